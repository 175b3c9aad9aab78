// The graph's IMediaSeeking, IBasicVideo, IRendererImage and IVideoOwner: each call goes to the filter that
// has the interface (the source seeks, the renderer shows), as the real manager does.
#include "platform/dshow/FilterGraph.h"

template <class Interface>
ComPtr<Interface> FilterGraph::FindFilterInterface() const
{
    std::vector<Entry> filters;
    {
        std::lock_guard lock(filtersLock_);
        filters = filters_;
    }
    for (const Entry& entry : filters) {
        ComPtr<Interface> found;
        if (ComQuery(entry.filter.Get(), found) == S_OK)
            return found;
    }
    return nullptr;
}

#define FORWARD_SEEKING(call)                                                  \
    {                                                                          \
        const ComPtr<IMediaSeeking> seeking = FindFilterInterface<IMediaSeeking>(); \
        if (!seeking)                                                          \
            return E_NOTIMPL;                                                  \
        return seeking->call;                                                  \
    }

HRESULT FilterGraph::GetCapabilities(DWORD* capabilities) FORWARD_SEEKING(GetCapabilities(capabilities))
HRESULT FilterGraph::CheckCapabilities(DWORD* capabilities) FORWARD_SEEKING(CheckCapabilities(capabilities))
HRESULT FilterGraph::IsFormatSupported(const GUID* format) FORWARD_SEEKING(IsFormatSupported(format))
HRESULT FilterGraph::QueryPreferredFormat(GUID* format) FORWARD_SEEKING(QueryPreferredFormat(format))
HRESULT FilterGraph::GetTimeFormat(GUID* format) FORWARD_SEEKING(GetTimeFormat(format))
HRESULT FilterGraph::IsUsingTimeFormat(const GUID* format) FORWARD_SEEKING(IsUsingTimeFormat(format))
HRESULT FilterGraph::GetDuration(LONGLONG* duration) FORWARD_SEEKING(GetDuration(duration))
HRESULT FilterGraph::GetStopPosition(LONGLONG* stop) FORWARD_SEEKING(GetStopPosition(stop))
HRESULT FilterGraph::GetCurrentPosition(LONGLONG* current) FORWARD_SEEKING(GetCurrentPosition(current))
HRESULT FilterGraph::ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                       const GUID* sourceFormat)
    FORWARD_SEEKING(ConvertTimeFormat(target, targetFormat, source, sourceFormat))
HRESULT FilterGraph::GetPositions(LONGLONG* current, LONGLONG* stop) FORWARD_SEEKING(GetPositions(current, stop))
HRESULT FilterGraph::GetAvailable(LONGLONG* earliest, LONGLONG* latest) FORWARD_SEEKING(GetAvailable(earliest, latest))
HRESULT FilterGraph::GetRate(double* rate) FORWARD_SEEKING(GetRate(rate))
HRESULT FilterGraph::GetPreroll(LONGLONG* preroll) FORWARD_SEEKING(GetPreroll(preroll))
#undef FORWARD_SEEKING

// Changes of the position, the rate and the unit are driving calls: under the drive lock.
HRESULT FilterGraph::SetTimeFormat(const GUID* format)
{
    std::lock_guard drive(driveLock_);
    const ComPtr<IMediaSeeking> seeking = FindFilterInterface<IMediaSeeking>();
    return seeking ? seeking->SetTimeFormat(format) : E_NOTIMPL;
}

HRESULT FilterGraph::SetRate(double rate)
{
    std::lock_guard drive(driveLock_);
    const ComPtr<IMediaSeeking> seeking = FindFilterInterface<IMediaSeeking>();
    return seeking ? seeking->SetRate(rate) : E_NOTIMPL;
}

HRESULT FilterGraph::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags)
{
    std::lock_guard drive(driveLock_);
    const ComPtr<IMediaSeeking> seeking = FindFilterInterface<IMediaSeeking>();
    if (!seeking)
        return E_NOTIMPL;
    // A new position starts a new stream: its end is counted afresh.
    if ((currentFlags & AM_SEEKING_PositioningBitsMask) != AM_SEEKING_NoPositioning) {
        std::lock_guard lock(eventLock_);
        completesSeen_ = 0;
    }
    return seeking->SetPositions(current, currentFlags, stop, stopFlags);
}

#define FORWARD_VIDEO(call)                                                   \
    {                                                                         \
        const ComPtr<IBasicVideo> video = FindFilterInterface<IBasicVideo>(); \
        if (!video)                                                           \
            return E_NOINTERFACE;                                             \
        return video->call;                                                   \
    }

HRESULT FilterGraph::get_AvgTimePerFrame(REFTIME* value) FORWARD_VIDEO(get_AvgTimePerFrame(value))
HRESULT FilterGraph::get_BitRate(LONG* value) FORWARD_VIDEO(get_BitRate(value))
HRESULT FilterGraph::get_BitErrorRate(LONG* value) FORWARD_VIDEO(get_BitErrorRate(value))
HRESULT FilterGraph::get_VideoWidth(LONG* value) FORWARD_VIDEO(get_VideoWidth(value))
HRESULT FilterGraph::get_VideoHeight(LONG* value) FORWARD_VIDEO(get_VideoHeight(value))
HRESULT FilterGraph::put_SourceLeft(LONG value) FORWARD_VIDEO(put_SourceLeft(value))
HRESULT FilterGraph::get_SourceLeft(LONG* value) FORWARD_VIDEO(get_SourceLeft(value))
HRESULT FilterGraph::put_SourceWidth(LONG value) FORWARD_VIDEO(put_SourceWidth(value))
HRESULT FilterGraph::get_SourceWidth(LONG* value) FORWARD_VIDEO(get_SourceWidth(value))
HRESULT FilterGraph::put_SourceTop(LONG value) FORWARD_VIDEO(put_SourceTop(value))
HRESULT FilterGraph::get_SourceTop(LONG* value) FORWARD_VIDEO(get_SourceTop(value))
HRESULT FilterGraph::put_SourceHeight(LONG value) FORWARD_VIDEO(put_SourceHeight(value))
HRESULT FilterGraph::get_SourceHeight(LONG* value) FORWARD_VIDEO(get_SourceHeight(value))
HRESULT FilterGraph::put_DestinationLeft(LONG value) FORWARD_VIDEO(put_DestinationLeft(value))
HRESULT FilterGraph::get_DestinationLeft(LONG* value) FORWARD_VIDEO(get_DestinationLeft(value))
HRESULT FilterGraph::put_DestinationWidth(LONG value) FORWARD_VIDEO(put_DestinationWidth(value))
HRESULT FilterGraph::get_DestinationWidth(LONG* value) FORWARD_VIDEO(get_DestinationWidth(value))
HRESULT FilterGraph::put_DestinationTop(LONG value) FORWARD_VIDEO(put_DestinationTop(value))
HRESULT FilterGraph::get_DestinationTop(LONG* value) FORWARD_VIDEO(get_DestinationTop(value))
HRESULT FilterGraph::put_DestinationHeight(LONG value) FORWARD_VIDEO(put_DestinationHeight(value))
HRESULT FilterGraph::get_DestinationHeight(LONG* value) FORWARD_VIDEO(get_DestinationHeight(value))
HRESULT FilterGraph::SetSourcePosition(LONG left, LONG top, LONG width, LONG height)
    FORWARD_VIDEO(SetSourcePosition(left, top, width, height))
HRESULT FilterGraph::GetSourcePosition(LONG* left, LONG* top, LONG* width, LONG* height)
    FORWARD_VIDEO(GetSourcePosition(left, top, width, height))
HRESULT FilterGraph::SetDefaultSourcePosition() FORWARD_VIDEO(SetDefaultSourcePosition())
HRESULT FilterGraph::SetDestinationPosition(LONG left, LONG top, LONG width, LONG height)
    FORWARD_VIDEO(SetDestinationPosition(left, top, width, height))
HRESULT FilterGraph::GetDestinationPosition(LONG* left, LONG* top, LONG* width, LONG* height)
    FORWARD_VIDEO(GetDestinationPosition(left, top, width, height))
HRESULT FilterGraph::SetDefaultDestinationPosition() FORWARD_VIDEO(SetDefaultDestinationPosition())
HRESULT FilterGraph::GetVideoSize(LONG* width, LONG* height) FORWARD_VIDEO(GetVideoSize(width, height))
HRESULT FilterGraph::GetVideoPaletteEntries(LONG start, LONG count, LONG* retrieved, LONG* palette)
    FORWARD_VIDEO(GetVideoPaletteEntries(start, count, retrieved, palette))
HRESULT FilterGraph::GetCurrentImage(LONG* bufferSize, LONG* image) FORWARD_VIDEO(GetCurrentImage(bufferSize, image))
HRESULT FilterGraph::IsUsingDefaultSource() FORWARD_VIDEO(IsUsingDefaultSource())
HRESULT FilterGraph::IsUsingDefaultDestination() FORWARD_VIDEO(IsUsingDefaultDestination())
#undef FORWARD_VIDEO

HRESULT FilterGraph::LendCurrentImage(BITMAPINFOHEADER* header, const BYTE** pixels, IUnknown** holder)
{
    if (header == nullptr || pixels == nullptr || holder == nullptr)
        return E_POINTER;
    *pixels = nullptr;
    *holder = nullptr;
    const ComPtr<IRendererImage> lender = VideoRendererImage();
    return lender ? lender->LendCurrentImage(header, pixels, holder) : E_NOINTERFACE;
}

HRESULT FilterGraph::WriteCurrentImage(HBITMAP bitmap)
{
    if (bitmap == nullptr)
        return E_POINTER;
    const ComPtr<IRendererImage> writer = VideoRendererImage();
    return writer ? writer->WriteCurrentImage(bitmap) : E_NOINTERFACE;
}

ComPtr<IRendererImage> FilterGraph::VideoRendererImage()
{
    // The same renderer as GetCurrentImage's, so that all give the same frame.
    const ComPtr<IBasicVideo> video = FindFilterInterface<IBasicVideo>();
    ComPtr<IRendererImage> image;
    if (!video || ComQuery(video.Get(), image) != S_OK)
        return nullptr;
    return image;
}

HRESULT FilterGraph::put_Owner(HWND owner)
{
    std::lock_guard drive(driveLock_);
    HRESULT result = S_OK;
    for (const Entry& entry : filters_) {
        ComPtr<IVideoOwner> video;
        if (ComQuery(entry.filter.Get(), video) == S_OK) {
            const HRESULT hr = video->put_Owner(owner);
            if (FAILED(hr))
                result = hr;
        }
    }
    if (SUCCEEDED(result))
        videoOwner_ = owner;
    return result;
}

HRESULT FilterGraph::get_Owner(HWND* owner)
{
    if (owner == nullptr)
        return E_POINTER;
    *owner = videoOwner_;
    return S_OK;
}

HRESULT FilterGraph::get_RendererWindow(HWND* window)
{
    if (window == nullptr)
        return E_POINTER;
    *window = nullptr;
    const ComPtr<IVideoOwner> video = FindFilterInterface<IVideoOwner>();
    return video ? video->get_RendererWindow(window) : E_NOINTERFACE;
}

HRESULT FilterGraph::SetWindowPosition(LONG left, LONG top, LONG width, LONG height)
{
    const ComPtr<IVideoOwner> video = FindFilterInterface<IVideoOwner>();
    return video ? video->SetWindowPosition(left, top, width, height) : E_NOINTERFACE;
}
