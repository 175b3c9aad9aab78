// The DirectShow interfaces, declared with their Windows ids, method order and argument types.
// Every method follows the COM rules of platform/com: pointer arguments are checked first
// (E_POINTER), out-parameters are nulled on failure, and no C++ exception leaves a method.
// Interfaces that Windows derives from IDispatch do so here too; their automation methods are
// not supported by our objects (GetTypeInfoCount gives 0, the others E_NOTIMPL).
#pragma once

#include "platform/com/Bstr.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Persist.h"
#include "platform/dshow/DShowTypes.h"

DEFINE_GUID(IID_IPin, 0x56A86891, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IEnumPins, 0x56A86892, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IEnumFilters, 0x56A86893, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IEnumMediaTypes, 0x89C31040, 0x846B, 0x11CE, 0x97, 0xD3, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A);
DEFINE_GUID(IID_IBaseFilter, 0x56A86895, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IReferenceClock, 0x56A86897, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IMediaFilter, 0x56A86899, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IMediaSample, 0x56A8689A, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IMemAllocator, 0x56A8689C, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IMemInputPin, 0x56A8689D, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IFilterGraph, 0x56A8689F, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IMediaEventSink, 0x56A868A2, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IGraphBuilder, 0x56A868A9, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IMediaControl, 0x56A868B1, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IBasicVideo, 0x56A868B5, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IMediaEvent, 0x56A868B6, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IMediaEventEx, 0x56A868C0, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IMediaSeeking, 0x36B73880, 0xC2C8, 0x11CF, 0x8B, 0x46, 0x00, 0x80, 0x5F, 0x6C, 0xEF, 0x60);
DEFINE_GUID(IID_ISampleGrabber, 0x6B652FFF, 0x11FE, 0x4FCE, 0x92, 0xAD, 0x02, 0x66, 0xB5, 0xD7, 0xC7, 0x8F);
DEFINE_GUID(IID_ISampleGrabberCB, 0x0579154A, 0x2B53, 0x4994, 0xB0, 0xD0, 0xE7, 0x73, 0x14, 0x8E, 0xFF, 0x85);
// Our own: the renderer's window placement, its image without a copy, and the graph's last
// failure text.
DEFINE_GUID(IID_IRendererImage, 0x7D41C2E6, 0x3B58, 0x4F1A, 0x9E, 0x62, 0xA4, 0x0B, 0x5D, 0x17, 0xC8, 0x93);
DEFINE_GUID(IID_IVideoOwner, 0x2F3E8C41, 0x77B2, 0x4C0D, 0xA6, 0x5E, 0x19, 0xC4, 0x80, 0x3B, 0xD2, 0x57);
DEFINE_GUID(IID_IGraphDiagnostics, 0x8A5D2F70, 0x0E4B, 0x4B9A, 0x8C, 0x3F, 0x61, 0x27, 0xE9, 0x54, 0xA0, 0x1D);
DEFINE_GUID(IID_IGraphLock, 0x5C0B7E21, 0x9A43, 0x4E6F, 0xB1, 0x7D, 0x3E, 0x88, 0x20, 0x6A, 0xC4, 0x15);

// Never implemented here: every graph runs on the system's steady clock. Filters keep a clock
// they are given and hand it back.
struct IReferenceClock : IUnknown {
    virtual HRESULT GetTime(REFERENCE_TIME* time) = 0;
    virtual HRESULT AdviseTime(REFERENCE_TIME baseTime, REFERENCE_TIME streamTime, HANDLE event, DWORD_PTR* cookie) = 0;
    virtual HRESULT AdvisePeriodic(REFERENCE_TIME startTime, REFERENCE_TIME periodTime, HANDLE semaphore,
                                   DWORD_PTR* cookie) = 0;
    virtual HRESULT Unadvise(DWORD_PTR cookie) = 0;
};
COM_INTERFACE_TRAITS(IReferenceClock, IUnknown, IID_IReferenceClock);
struct IMemAllocator;    // samples are allocated by the output pin that sends them
struct ALLOCATOR_PROPERTIES {
    LONG cBuffers;
    LONG cbBuffer;
    LONG cbAlign;
    LONG cbPrefix;
};

struct IEnumMediaTypes;

struct IPin : IUnknown {
    virtual HRESULT Connect(IPin* receivePin, const AM_MEDIA_TYPE* mediaType) = 0;
    virtual HRESULT ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mediaType) = 0;
    virtual HRESULT Disconnect() = 0;
    virtual HRESULT ConnectedTo(IPin** pin) = 0;
    virtual HRESULT ConnectionMediaType(AM_MEDIA_TYPE* mediaType) = 0;
    virtual HRESULT QueryPinInfo(PIN_INFO* info) = 0;
    virtual HRESULT QueryDirection(PIN_DIRECTION* direction) = 0;
    virtual HRESULT QueryId(LPWSTR* id) = 0;
    virtual HRESULT QueryAccept(const AM_MEDIA_TYPE* mediaType) = 0;
    virtual HRESULT EnumMediaTypes(IEnumMediaTypes** types) = 0;
    virtual HRESULT QueryInternalConnections(IPin** pins, ULONG* count) = 0;
    virtual HRESULT EndOfStream() = 0;
    virtual HRESULT BeginFlush() = 0;
    virtual HRESULT EndFlush() = 0;
    virtual HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) = 0;
};
COM_INTERFACE_TRAITS(IPin, IUnknown, IID_IPin);

struct IEnumPins : IUnknown {
    virtual HRESULT Next(ULONG count, IPin** pins, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumPins** copy) = 0;
};
COM_INTERFACE_TRAITS(IEnumPins, IUnknown, IID_IEnumPins);

// Next hands out CoTaskMemAlloc'd records (free each with DeleteMediaType).
struct IEnumMediaTypes : IUnknown {
    virtual HRESULT Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumMediaTypes** copy) = 0;
};
COM_INTERFACE_TRAITS(IEnumMediaTypes, IUnknown, IID_IEnumMediaTypes);

struct IMediaFilter : IPersist {
    virtual HRESULT Stop() = 0;
    virtual HRESULT Pause() = 0;
    virtual HRESULT Run(REFERENCE_TIME start) = 0;
    virtual HRESULT GetState(DWORD timeoutMs, FILTER_STATE* state) = 0;
    virtual HRESULT SetSyncSource(IReferenceClock* clock) = 0;
    virtual HRESULT GetSyncSource(IReferenceClock** clock) = 0;
};
COM_INTERFACE_TRAITS(IMediaFilter, IPersist, IID_IMediaFilter);

struct IBaseFilter : IMediaFilter {
    virtual HRESULT EnumPins(IEnumPins** pins) = 0;
    virtual HRESULT FindPin(LPCWSTR id, IPin** pin) = 0;
    virtual HRESULT QueryFilterInfo(FILTER_INFO* info) = 0;
    virtual HRESULT JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) = 0;
    virtual HRESULT QueryVendorInfo(LPWSTR* vendorInfo) = 0;
};
COM_INTERFACE_TRAITS(IBaseFilter, IMediaFilter, IID_IBaseFilter);

struct IEnumFilters : IUnknown {
    virtual HRESULT Next(ULONG count, IBaseFilter** filters, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumFilters** copy) = 0;
};
COM_INTERFACE_TRAITS(IEnumFilters, IUnknown, IID_IEnumFilters);

struct IMediaSample : IUnknown {
    virtual HRESULT GetPointer(BYTE** buffer) = 0;
    virtual LONG GetSize() = 0;
    virtual HRESULT GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) = 0;
    virtual HRESULT SetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) = 0;
    virtual HRESULT IsSyncPoint() = 0;
    virtual HRESULT SetSyncPoint(BOOL syncPoint) = 0;
    virtual HRESULT IsPreroll() = 0;
    virtual HRESULT SetPreroll(BOOL preroll) = 0;
    virtual LONG GetActualDataLength() = 0;
    virtual HRESULT SetActualDataLength(LONG length) = 0;
    virtual HRESULT GetMediaType(AM_MEDIA_TYPE** mediaType) = 0;
    virtual HRESULT SetMediaType(AM_MEDIA_TYPE* mediaType) = 0;
    virtual HRESULT IsDiscontinuity() = 0;
    virtual HRESULT SetDiscontinuity(BOOL discontinuity) = 0;
    virtual HRESULT GetMediaTime(LONGLONG* start, LONGLONG* end) = 0;
    virtual HRESULT SetMediaTime(LONGLONG* start, LONGLONG* end) = 0;
};
COM_INTERFACE_TRAITS(IMediaSample, IUnknown, IID_IMediaSample);

struct IMemInputPin : IUnknown {
    virtual HRESULT GetAllocator(IMemAllocator** allocator) = 0;
    virtual HRESULT NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) = 0;
    virtual HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) = 0;
    virtual HRESULT Receive(IMediaSample* sample) = 0;
    virtual HRESULT ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed) = 0;
    virtual HRESULT ReceiveCanBlock() = 0;
};
COM_INTERFACE_TRAITS(IMemInputPin, IUnknown, IID_IMemInputPin);

struct IFilterGraph : IUnknown {
    virtual HRESULT AddFilter(IBaseFilter* filter, LPCWSTR name) = 0;
    virtual HRESULT RemoveFilter(IBaseFilter* filter) = 0;
    virtual HRESULT EnumFilters(IEnumFilters** filters) = 0;
    virtual HRESULT FindFilterByName(LPCWSTR name, IBaseFilter** filter) = 0;
    virtual HRESULT ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* mediaType) = 0;
    virtual HRESULT Reconnect(IPin* pin) = 0;
    virtual HRESULT Disconnect(IPin* pin) = 0;
    virtual HRESULT SetDefaultSyncSource() = 0;
};
COM_INTERFACE_TRAITS(IFilterGraph, IUnknown, IID_IFilterGraph);

struct IGraphBuilder : IFilterGraph {
    virtual HRESULT Connect(IPin* output, IPin* input) = 0;
    virtual HRESULT Render(IPin* output) = 0;
    virtual HRESULT RenderFile(LPCWSTR file, LPCWSTR playList) = 0;
    virtual HRESULT AddSourceFilter(LPCWSTR file, LPCWSTR filterName, IBaseFilter** filter) = 0;
    virtual HRESULT SetLogFile(DWORD_PTR file) = 0;
    virtual HRESULT Abort() = 0;
    virtual HRESULT ShouldOperationContinue() = 0;
};
COM_INTERFACE_TRAITS(IGraphBuilder, IFilterGraph, IID_IGraphBuilder);

// Filters report events (EC_COMPLETE, EC_ERRORABORT) to their graph through this; any thread.
struct IMediaEventSink : IUnknown {
    virtual HRESULT Notify(LONG eventCode, LONG_PTR param1, LONG_PTR param2) = 0;
};
COM_INTERFACE_TRAITS(IMediaEventSink, IUnknown, IID_IMediaEventSink);

struct IMediaControl : IDispatch {
    virtual HRESULT Run() = 0;
    virtual HRESULT Pause() = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT GetState(LONG timeoutMs, OAFilterState* state) = 0;
    virtual HRESULT RenderFile(BSTR file) = 0;
    virtual HRESULT AddSourceFilter(BSTR file, IDispatch** filter) = 0;
    virtual HRESULT get_FilterCollection(IDispatch** collection) = 0;
    virtual HRESULT get_RegFilterCollection(IDispatch** collection) = 0;
    virtual HRESULT StopWhenReady() = 0;
};
COM_INTERFACE_TRAITS(IMediaControl, IDispatch, IID_IMediaControl);

struct IMediaEvent : IDispatch {
    virtual HRESULT GetEventHandle(OAEVENT* event) = 0;
    virtual HRESULT GetEvent(LONG* eventCode, LONG_PTR* param1, LONG_PTR* param2, LONG timeoutMs) = 0;
    virtual HRESULT WaitForCompletion(LONG timeoutMs, LONG* eventCode) = 0;
    virtual HRESULT CancelDefaultHandling(LONG eventCode) = 0;
    virtual HRESULT RestoreDefaultHandling(LONG eventCode) = 0;
    virtual HRESULT FreeEventParams(LONG eventCode, LONG_PTR param1, LONG_PTR param2) = 0;
};
COM_INTERFACE_TRAITS(IMediaEvent, IDispatch, IID_IMediaEvent);

struct IMediaEventEx : IMediaEvent {
    virtual HRESULT SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instanceData) = 0;
    virtual HRESULT SetNotifyFlags(LONG noNotifyFlags) = 0;
    virtual HRESULT GetNotifyFlags(LONG* noNotifyFlags) = 0;
};
COM_INTERFACE_TRAITS(IMediaEventEx, IMediaEvent, IID_IMediaEventEx);

struct IMediaSeeking : IUnknown {
    virtual HRESULT GetCapabilities(DWORD* capabilities) = 0;
    virtual HRESULT CheckCapabilities(DWORD* capabilities) = 0;
    virtual HRESULT IsFormatSupported(const GUID* format) = 0;
    virtual HRESULT QueryPreferredFormat(GUID* format) = 0;
    virtual HRESULT GetTimeFormat(GUID* format) = 0;
    virtual HRESULT IsUsingTimeFormat(const GUID* format) = 0;
    virtual HRESULT SetTimeFormat(const GUID* format) = 0;
    virtual HRESULT GetDuration(LONGLONG* duration) = 0;
    virtual HRESULT GetStopPosition(LONGLONG* stop) = 0;
    virtual HRESULT GetCurrentPosition(LONGLONG* current) = 0;
    virtual HRESULT ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                      const GUID* sourceFormat) = 0;
    virtual HRESULT SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) = 0;
    virtual HRESULT GetPositions(LONGLONG* current, LONGLONG* stop) = 0;
    virtual HRESULT GetAvailable(LONGLONG* earliest, LONGLONG* latest) = 0;
    virtual HRESULT SetRate(double rate) = 0;
    virtual HRESULT GetRate(double* rate) = 0;
    virtual HRESULT GetPreroll(LONGLONG* preroll) = 0;
};
COM_INTERFACE_TRAITS(IMediaSeeking, IUnknown, IID_IMediaSeeking);

struct IBasicVideo : IDispatch {
    virtual HRESULT get_AvgTimePerFrame(REFTIME* value) = 0;
    virtual HRESULT get_BitRate(LONG* value) = 0;
    virtual HRESULT get_BitErrorRate(LONG* value) = 0;
    virtual HRESULT get_VideoWidth(LONG* value) = 0;
    virtual HRESULT get_VideoHeight(LONG* value) = 0;
    virtual HRESULT put_SourceLeft(LONG value) = 0;
    virtual HRESULT get_SourceLeft(LONG* value) = 0;
    virtual HRESULT put_SourceWidth(LONG value) = 0;
    virtual HRESULT get_SourceWidth(LONG* value) = 0;
    virtual HRESULT put_SourceTop(LONG value) = 0;
    virtual HRESULT get_SourceTop(LONG* value) = 0;
    virtual HRESULT put_SourceHeight(LONG value) = 0;
    virtual HRESULT get_SourceHeight(LONG* value) = 0;
    virtual HRESULT put_DestinationLeft(LONG value) = 0;
    virtual HRESULT get_DestinationLeft(LONG* value) = 0;
    virtual HRESULT put_DestinationWidth(LONG value) = 0;
    virtual HRESULT get_DestinationWidth(LONG* value) = 0;
    virtual HRESULT put_DestinationTop(LONG value) = 0;
    virtual HRESULT get_DestinationTop(LONG* value) = 0;
    virtual HRESULT put_DestinationHeight(LONG value) = 0;
    virtual HRESULT get_DestinationHeight(LONG* value) = 0;
    virtual HRESULT SetSourcePosition(LONG left, LONG top, LONG width, LONG height) = 0;
    virtual HRESULT GetSourcePosition(LONG* left, LONG* top, LONG* width, LONG* height) = 0;
    virtual HRESULT SetDefaultSourcePosition() = 0;
    virtual HRESULT SetDestinationPosition(LONG left, LONG top, LONG width, LONG height) = 0;
    virtual HRESULT GetDestinationPosition(LONG* left, LONG* top, LONG* width, LONG* height) = 0;
    virtual HRESULT SetDefaultDestinationPosition() = 0;
    virtual HRESULT GetVideoSize(LONG* width, LONG* height) = 0;
    virtual HRESULT GetVideoPaletteEntries(LONG start, LONG count, LONG* retrieved, LONG* palette) = 0;
    // A packed DIB of the frame the renderer holds: header, colour table, masks, rows. With
    // a null image, *bufferSize receives the bytes needed; a smaller buffer: E_OUTOFMEMORY.
    virtual HRESULT GetCurrentImage(LONG* bufferSize, LONG* image) = 0;
    virtual HRESULT IsUsingDefaultSource() = 0;
    virtual HRESULT IsUsingDefaultDestination() = 0;
};
COM_INTERFACE_TRAITS(IBasicVideo, IDispatch, IID_IBasicVideo);

struct ISampleGrabberCB : IUnknown {
    virtual HRESULT SampleCB(double sampleTime, IMediaSample* sample) = 0;
    virtual HRESULT BufferCB(double sampleTime, BYTE* buffer, LONG bufferLength) = 0;
};
COM_INTERFACE_TRAITS(ISampleGrabberCB, IUnknown, IID_ISampleGrabberCB);

struct ISampleGrabber : IUnknown {
    virtual HRESULT SetOneShot(BOOL oneShot) = 0;
    virtual HRESULT SetMediaType(const AM_MEDIA_TYPE* mediaType) = 0;
    virtual HRESULT GetConnectedMediaType(AM_MEDIA_TYPE* mediaType) = 0;
    virtual HRESULT SetBufferSamples(BOOL bufferThem) = 0;
    virtual HRESULT GetCurrentBuffer(LONG* bufferSize, LONG* buffer) = 0;
    virtual HRESULT GetCurrentSample(IMediaSample** sample) = 0;
    // which: 0 = SampleCB, 1 = BufferCB; called on the streaming thread for every sample.
    virtual HRESULT SetCallback(ISampleGrabberCB* callback, LONG which) = 0;
};
COM_INTERFACE_TRAITS(ISampleGrabber, IUnknown, IID_ISampleGrabber);

// The renderer's window: a child of the owner window when one is given, hidden otherwise.
// User-interface thread only. The graph answers it on behalf of its renderer.
struct IVideoOwner : IUnknown {
    virtual HRESULT put_Owner(HWND owner) = 0;
    virtual HRESULT get_Owner(HWND* owner) = 0;
    // The window whose class name contains "Renderer"; null before a renderer exists.
    virtual HRESULT get_RendererWindow(HWND* window) = 0;
    // Place the renderer window in its owner's client coordinates.
    virtual HRESULT SetWindowPosition(LONG left, LONG top, LONG width, LONG height) = 0;
};
COM_INTERFACE_TRAITS(IVideoOwner, IUnknown, IID_IVideoOwner);

// The frame the renderer holds, without a copy in between. The graph answers it on behalf of
// its renderer.
struct IRendererImage : IUnknown {
    // Lent rather than copied: a still is read straight from it. `header` describes the rows
    // (no colour table, no masks: biClrUsed 0, BI_RGB); `pixels` stays valid and unchanged as
    // long as `holder` is held (a renderer never writes into a frame it has received). The
    // same results as GetCurrentImage: VFW_E_NOT_CONNECTED, E_UNEXPECTED before the first
    // frame, E_OUTOFMEMORY for a frame too large for a packed DIB. Any thread.
    virtual HRESULT LendCurrentImage(BITMAPINFOHEADER* header, const BYTE** pixels, IUnknown** holder) = 0;
    // Writes the frame into `bitmap`, a bitmap of the video's size, as SetDIBits with the
    // packed DIB would, but a band of rows at a time where the frame is still a decoded
    // picture: the frame is never held whole in RGB on its way (at 8K that is 130 MB). The
    // results of GetCurrentImage, and E_INVALIDARG for a bitmap of another size, E_FAIL when
    // the bitmap takes no rows (it may then hold some of them). User-interface thread, where
    // bitmaps live.
    virtual HRESULT WriteCurrentImage(HBITMAP bitmap) = 0;
};
COM_INTERFACE_TRAITS(IRendererImage, IUnknown, IID_IRendererImage);

// Why the graph's last build (RenderFile, AddSourceFilter) or stream failed, in one English
// sentence; an empty string when nothing failed. The caller frees the BSTR.
struct IGraphDiagnostics : IUnknown {
    virtual HRESULT GetLastErrorText(BSTR* text) = 0;
};
COM_INTERFACE_TRAITS(IGraphDiagnostics, IUnknown, IID_IGraphDiagnostics);

// The graph's drive lock, the one every state change, seek and connection change of the graph
// takes for its duration: holding it makes a sequence of calls (stop, reconnect, run) one step
// for every other thread that drives the graph, a media player's command thread included.
// Lock blocks until no other thread holds it; a thread may lock again while it holds it, and
// unlocks as often. Never from a streaming thread (a filter's, or a Sample Grabber callback):
// a stop waits for that thread. While holding it, a thread must not wait for another thread
// that drives the graph, which may be waiting for the lock.
struct IGraphLock : IUnknown {
    virtual HRESULT Lock() = 0;
    virtual HRESULT Unlock() = 0;  // S_FALSE when this thread does not hold it
};
COM_INTERFACE_TRAITS(IGraphLock, IUnknown, IID_IGraphLock);
