// The video renderer: one input pin "Input" that takes uncompressed RGB32 or RGB24 video,
// keeps the last frame it received (for IBasicVideo::GetCurrentImage and IRendererImage; the
// sample is held, and its pixels asked for only when they are read) and paints it into its
// own window, of class "QuellonVideoRenderer": a child of the owner window when one is given
// (IVideoOwner::put_Owner), a hidden top-level window otherwise. The source rectangle of the
// video is stretched over the destination rectangle (by default the whole window).
//
// End of stream while running reports EC_COMPLETE to the graph (held back until Run when it
// arrives while paused).
//
// Threads: created, owned and destroyed on the user-interface thread, where its window lives.
// Frames arrive on the streaming thread: the frame is stored under a lock and the window is
// told by a posted message, so the streaming thread never waits for the user-interface
// thread. Should the last reference go away on another thread, the window is closed through a
// posted message.
#pragma once

#include "platform/dshow/FilterBase.h"
#include "platform/dshow/PinBase.h"

#include <atomic>
#include <memory>
#include <thread>

class VideoRenderer;

class VideoRendererInputPin final : public InputPinBase {
public:
    explicit VideoRendererInputPin(VideoRenderer& owner);
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& type) override;

protected:
    HRESULT OnReceive(IMediaSample* sample) override;
    HRESULT OnEndOfStream() override;
    void OnConnected() override;
    void OnDisconnected() override;

private:
    VideoRenderer& owner_;
};

class VideoRenderer final : public FilterBase, public IBasicVideo, public IVideoOwner, public IRendererImage {
public:
    // User-interface thread. Throws std::bad_alloc without memory.
    static ComPtr<VideoRenderer> Create();

    FILTER_BASE_IUNKNOWN

    // IDispatch of IBasicVideo: no type information here.
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) override;
    HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT nameCount, LCID locale, DISPID* ids) override;
    HRESULT Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argumentError) override;

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

    HRESULT LendCurrentImage(BITMAPINFOHEADER* header, const BYTE** pixels, IUnknown** holder) override;
    HRESULT WriteCurrentImage(HBITMAP bitmap) override;

    HRESULT put_Owner(HWND owner) override;
    HRESULT get_Owner(HWND* owner) override;
    HRESULT get_RendererWindow(HWND* window) override;
    HRESULT SetWindowPosition(LONG left, LONG top, LONG width, LONG height) override;

    // Frames received since the renderer was made (a count for diagnostics and tests).
    std::uint64_t FramesReceived() const;

    struct FrameStore;

protected:
    int PinCount() override { return 1; }
    PinBase* PinAt(int index) override;
    HRESULT OnStateChange(FILTER_STATE from, FILTER_STATE to, REFERENCE_TIME start) override;
    HRESULT QueryOtherInterface(REFIID iid, void** object) override;

private:
    friend class VideoRendererInputPin;

    VideoRenderer();
    ~VideoRenderer() override;

    void CreateRendererWindow(HWND owner);
    void DestroyRendererWindow();
    void FrameArrived();
    HRESULT ConnectedHeader(BITMAPINFOHEADER& header) const;
    // The sample of the frame held, with the packed DIB's header and the bytes of its rows;
    // the results of GetCurrentImage when there is none.
    HRESULT HeldFrame(ComPtr<IMediaSample>& sample, BITMAPINFOHEADER& header, std::size_t& pixelBytes) const;
    HRESULT SetSourceRect(const RECT& rect);
    HRESULT SetDestinationRect(const RECT& rect);
    HRESULT GetSourceRect(RECT& rect) const;
    HRESULT GetDestinationRect(RECT& rect) const;

    VideoRendererInputPin pin_;
    const std::shared_ptr<FrameStore> store_;  // shared with the window
    const std::thread::id uiThread_;
    HWND window_ = nullptr;
    HWND owner_ = nullptr;
    std::atomic<bool> endOfStreamPending_{false};  // set on the streaming thread
};
