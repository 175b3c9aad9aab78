// The filter graph manager (CLSID_FilterGraph). It holds filters under unique names,
// connects pins (directly, or through the colour converter when two pins agree on no type),
// builds "file source -> video renderer" for a file, runs the filters in the right order
// (downstream filters change state before the filters that feed them; sources stop first),
// passes position questions to its source (IMediaSeeking) and video questions to its renderer
// (IBasicVideo, IRendererImage, IVideoOwner), and collects the filters' events for its owner (IMediaEventEx):
// EC_COMPLETE once every renderer has finished, EC_ERRORABORT when the stream failed, posted
// as the owner's message to the owner's window and queued for GetEvent.
//
// Threads. Every call that changes the graph (membership, connections, state changes,
// seeks, rate, time format, the video owner) takes the graph's drive lock for its duration, so
// that calls from several threads are each carried out whole, one after another: a media
// player drives its graph from its command thread while its container may drive it from the
// user-interface thread. IGraphLock holds that lock across a sequence of calls (stop,
// reconnect, run) so that no other thread's call comes in between; the player's command
// thread takes it for each of its commands. Which thread may call what:
//   - Render, RenderFile and put_Owner make or move the renderer's window: the user-interface
//     thread. AddSourceFilter makes no window, so a graph not yet shared may open and index its
//     file on a loading thread.
//   - AddFilter, RemoveFilter, Connect, ConnectDirect, Disconnect, Run, Pause, Stop,
//     StopWhenReady, SetPositions, SetRate, SetTimeFormat: any thread but a streaming thread.
//     A filter's streaming thread, and a Sample Grabber callback running on it, must not call
//     them: a stop waits for that thread, which would then wait for itself.
//   - Reads (GetState, positions, durations, the renderer's IBasicVideo, EnumFilters,
//     FindFilterByName, GetEvent) and IMediaEventSink::Notify: any thread, without the drive
//     lock; filters report events from the streaming thread, which only queues the event and
//     posts the notification.
// After EC_COMPLETE the graph stays running, as the real one does: to play again, set a new
// position (which restarts the stream) rather than Run. The graph keeps a reference to each of
// its filters; filters do not hold the graph.
#pragma once

#include "platform/com/ComObject.h"
#include "platform/dshow/DShowInterfaces.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

class FilterGraph final : public ComObject<IGraphBuilder, IMediaControl, IMediaSeeking, IBasicVideo, IRendererImage,
                                           IMediaEventEx, IMediaEventSink, IVideoOwner, IGraphDiagnostics, IGraphLock> {
public:
    FilterGraph();
    ~FilterGraph() override;

    // IFilterGraph
    HRESULT AddFilter(IBaseFilter* filter, LPCWSTR name) override;
    HRESULT RemoveFilter(IBaseFilter* filter) override;
    HRESULT EnumFilters(IEnumFilters** filters) override;
    HRESULT FindFilterByName(LPCWSTR name, IBaseFilter** filter) override;
    HRESULT ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* mediaType) override;
    HRESULT Reconnect(IPin* pin) override;
    HRESULT Disconnect(IPin* pin) override;
    HRESULT SetDefaultSyncSource() override;
    // IGraphBuilder
    HRESULT Connect(IPin* output, IPin* input) override;
    HRESULT Render(IPin* output) override;
    HRESULT RenderFile(LPCWSTR file, LPCWSTR playList) override;
    HRESULT AddSourceFilter(LPCWSTR file, LPCWSTR filterName, IBaseFilter** filter) override;
    HRESULT SetLogFile(DWORD_PTR file) override;
    HRESULT Abort() override;
    HRESULT ShouldOperationContinue() override;

    // IDispatch (shared by IMediaControl, IBasicVideo and IMediaEvent): no type information.
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) override;
    HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT nameCount, LCID locale, DISPID* ids) override;
    HRESULT Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argumentError) override;

    // IMediaControl
    HRESULT Run() override;
    HRESULT Pause() override;
    HRESULT Stop() override;
    HRESULT GetState(LONG timeoutMs, OAFilterState* state) override;
    HRESULT RenderFile(BSTR file) override;
    HRESULT AddSourceFilter(BSTR file, IDispatch** filter) override;
    HRESULT get_FilterCollection(IDispatch** collection) override;
    HRESULT get_RegFilterCollection(IDispatch** collection) override;
    HRESULT StopWhenReady() override;

    // IMediaSeeking, answered by the source filter; E_NOTIMPL when no filter can seek.
    HRESULT GetCapabilities(DWORD* capabilities) override;
    HRESULT CheckCapabilities(DWORD* capabilities) override;
    HRESULT IsFormatSupported(const GUID* format) override;
    HRESULT QueryPreferredFormat(GUID* format) override;
    HRESULT GetTimeFormat(GUID* format) override;
    HRESULT IsUsingTimeFormat(const GUID* format) override;
    HRESULT SetTimeFormat(const GUID* format) override;
    HRESULT GetDuration(LONGLONG* duration) override;
    HRESULT GetStopPosition(LONGLONG* stop) override;
    HRESULT GetCurrentPosition(LONGLONG* current) override;
    HRESULT ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                              const GUID* sourceFormat) override;
    HRESULT SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) override;
    HRESULT GetPositions(LONGLONG* current, LONGLONG* stop) override;
    HRESULT GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
    HRESULT SetRate(double rate) override;
    HRESULT GetRate(double* rate) override;
    HRESULT GetPreroll(LONGLONG* preroll) override;

    // IBasicVideo, answered by the renderer; E_NOINTERFACE when the graph has none.
    HRESULT get_AvgTimePerFrame(REFTIME* value) override;
    HRESULT get_BitRate(LONG* value) override;
    HRESULT get_BitErrorRate(LONG* value) override;
    HRESULT get_VideoWidth(LONG* value) override;
    HRESULT get_VideoHeight(LONG* value) override;
    HRESULT put_SourceLeft(LONG value) override;
    HRESULT get_SourceLeft(LONG* value) override;
    HRESULT put_SourceWidth(LONG value) override;
    HRESULT get_SourceWidth(LONG* value) override;
    HRESULT put_SourceTop(LONG value) override;
    HRESULT get_SourceTop(LONG* value) override;
    HRESULT put_SourceHeight(LONG value) override;
    HRESULT get_SourceHeight(LONG* value) override;
    HRESULT put_DestinationLeft(LONG value) override;
    HRESULT get_DestinationLeft(LONG* value) override;
    HRESULT put_DestinationWidth(LONG value) override;
    HRESULT get_DestinationWidth(LONG* value) override;
    HRESULT put_DestinationTop(LONG value) override;
    HRESULT get_DestinationTop(LONG* value) override;
    HRESULT put_DestinationHeight(LONG value) override;
    HRESULT get_DestinationHeight(LONG* value) override;
    HRESULT SetSourcePosition(LONG left, LONG top, LONG width, LONG height) override;
    HRESULT GetSourcePosition(LONG* left, LONG* top, LONG* width, LONG* height) override;
    HRESULT SetDefaultSourcePosition() override;
    HRESULT SetDestinationPosition(LONG left, LONG top, LONG width, LONG height) override;
    HRESULT GetDestinationPosition(LONG* left, LONG* top, LONG* width, LONG* height) override;
    HRESULT SetDefaultDestinationPosition() override;
    HRESULT GetVideoSize(LONG* width, LONG* height) override;
    HRESULT GetVideoPaletteEntries(LONG start, LONG count, LONG* retrieved, LONG* palette) override;
    HRESULT GetCurrentImage(LONG* bufferSize, LONG* image) override;
    HRESULT IsUsingDefaultSource() override;
    HRESULT IsUsingDefaultDestination() override;

    // IMediaEvent / IMediaEventEx
    HRESULT GetEventHandle(OAEVENT* event) override;
    HRESULT GetEvent(LONG* eventCode, LONG_PTR* param1, LONG_PTR* param2, LONG timeoutMs) override;
    HRESULT WaitForCompletion(LONG timeoutMs, LONG* eventCode) override;
    HRESULT CancelDefaultHandling(LONG eventCode) override;
    HRESULT RestoreDefaultHandling(LONG eventCode) override;
    HRESULT FreeEventParams(LONG eventCode, LONG_PTR param1, LONG_PTR param2) override;
    HRESULT SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instanceData) override;
    HRESULT SetNotifyFlags(LONG noNotifyFlags) override;
    HRESULT GetNotifyFlags(LONG* noNotifyFlags) override;

    // IMediaEventSink: any thread.
    HRESULT Notify(LONG eventCode, LONG_PTR param1, LONG_PTR param2) override;

    // IRendererImage: lent by the renderer that answers IBasicVideo (E_NOINTERFACE when it
    // cannot lend). Any thread.
    HRESULT LendCurrentImage(BITMAPINFOHEADER* header, const BYTE** pixels, IUnknown** holder) override;
    HRESULT WriteCurrentImage(HBITMAP bitmap) override;

    // IVideoOwner: remembered by the graph and given to every renderer it holds or gets.
    HRESULT put_Owner(HWND owner) override;
    HRESULT get_Owner(HWND* owner) override;
    HRESULT get_RendererWindow(HWND* window) override;
    HRESULT SetWindowPosition(LONG left, LONG top, LONG width, LONG height) override;

    HRESULT GetLastErrorText(BSTR* text) override;

    // IGraphLock
    HRESULT Lock() override;
    HRESULT Unlock() override;

private:
    struct Entry {
        ComPtr<IBaseFilter> filter;
        std::u16string name;
    };
    struct Event {
        LONG code;
        LONG_PTR param1;
        LONG_PTR param2;
    };

    // A lock that the holding thread may take again (and must release as often), and that
    // tells whether the calling thread holds it.
    class DriveLock {
    public:
        void lock();
        bool unlock();  // false when the calling thread does not hold it

    private:
        std::mutex lock_;
        std::condition_variable free_;
        std::thread::id owner_;
        int depth_ = 0;
    };

    // Filters ordered so that each comes before every filter that feeds it.
    std::vector<ComPtr<IBaseFilter>> DownstreamFirst() const;
    bool Contains(IBaseFilter* filter) const;
    bool OwnsPin(IPin* pin) const;
    HRESULT ConnectThroughConverter(IPin* output, IPin* input);
    void DisconnectAll(IBaseFilter* filter);
    template <class Interface>
    ComPtr<Interface> FindFilterInterface() const;
    // The image of the renderer that answers IBasicVideo, or nullptr.
    ComPtr<IRendererImage> VideoRendererImage();
    void PrepareCompletion();
    void QueueEvent(const Event& event);  // eventLock_ held

    DriveLock driveLock_;
    // Changed only under driveLock_ and filtersLock_ both; read under either (other threads
    // take a copy under filtersLock_, so that a callback may ask the graph for positions).
    std::vector<Entry> filters_;
    mutable std::mutex filtersLock_;
    std::atomic<FILTER_STATE> state_{State_Stopped};
    HWND videoOwner_ = nullptr;
    std::string buildError_;

    std::mutex eventLock_;
    std::condition_variable eventArrived_;
    std::deque<Event> events_;
    HWND notifyWindow_ = nullptr;
    LONG notifyMessage_ = 0;
    LONG_PTR notifyInstance_ = 0;
    LONG notifyFlags_ = 0;
    std::set<LONG> defaultHandlingCancelled_;
    int completesNeeded_ = 1;
    int completesSeen_ = 0;
    bool streamFailed_ = false;
};
