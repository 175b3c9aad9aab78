#include "platform/dshow/VideoRenderer.h"

#include "platform/dshow/MediaSample.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/WinUser.h"

#include <atomic>
#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>
#include <vector>

// What the window needs to paint, shared by the filter and its window so that either may go
// first. Guarded by `lock`, except `window`, which the streaming thread reads to post to.
struct VideoRenderer::FrameStore {
    std::mutex lock;
    bool connected = false;
    BITMAPINFOHEADER header{};
    REFERENCE_TIME avgTimePerFrame = 0;
    DWORD bitRate = 0;
    DWORD bitErrorRate = 0;
    // The last frame received: its sample is held rather than copied. A sample's bytes do not
    // change once it has been passed on, and a source makes a new one for every frame. Its
    // pixels are asked for only when they are read (a decoding source's samples make them
    // then), outside the lock.
    ComPtr<IMediaSample> sample;
    std::size_t pixelBytes = 0;
    bool hasFrame = false;
    std::uint64_t received = 0;
    RECT source{};
    bool defaultSource = true;
    RECT destination{};
    bool defaultDestination = true;
    std::atomic<HWND> window{nullptr};
};

namespace {

constexpr char kWindowClass[] = "QuellonVideoRenderer";
// Rows written into a bitmap at a time, about this many bytes of them: a band stays in the
// processor's cache between its conversion and its copy.
constexpr std::size_t kBandBytes = std::size_t{512} << 10;
// Posted by the streaming thread when a new frame is stored.
constexpr UINT kFrameMessage = WM_USER + 0x31;

using StorePtr = std::shared_ptr<VideoRenderer::FrameStore>;

LONG Width(const RECT& r)
{
    return r.right - r.left;
}

LONG Height(const RECT& r)
{
    return r.bottom - r.top;
}

void PaintFrame(HWND window, VideoRenderer::FrameStore& store)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc == nullptr)
        return;
    RECT client{};
    GetClientRect(window, &client);
    BITMAPINFO info{};
    ComPtr<IMediaSample> sample; // keeps its pixels alive outside the lock
    RECT source{};
    RECT destination = client;
    bool hasFrame;
    {
        std::lock_guard lock(store.lock);
        hasFrame = store.hasFrame;
        if (hasFrame) {
            info.bmiHeader = store.header;
            sample = store.sample;
            source = store.defaultSource ? RECT{0, 0, store.header.biWidth, std::abs(store.header.biHeight)}
                                         : store.source;
            if (!store.defaultDestination)
                destination = store.destination;
        }
    }
    PatBlt(dc, 0, 0, client.right, client.bottom, BLACKNESS);
    // The whole picture, made once for the sample: a still taken of the same frame then copies
    // its rows instead of converting them again.
    BYTE* pixels = nullptr;
    if (hasFrame && (sample->GetPointer(&pixels) != S_OK || pixels == nullptr))
        hasFrame = false;
    if (hasFrame) {
        HBITMAP bitmap = CreateDIBitmap(dc, &info.bmiHeader, CBM_INIT, pixels, &info, DIB_RGB_COLORS);
        HDC memory = bitmap != nullptr ? CreateCompatibleDC(dc) : nullptr;
        if (memory != nullptr) {
            HGDIOBJ old = SelectObject(memory, ToGdiObject(bitmap));
            StretchBlt(dc, destination.left, destination.top, Width(destination), Height(destination), memory,
                       source.left, source.top, Width(source), Height(source), SRCCOPY);
            SelectObject(memory, old);
            DeleteDC(memory);
        }
        if (bitmap != nullptr)
            DeleteObject(bitmap);
    }
    EndPaint(window, &paint);
}

LRESULT RendererWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        const auto* store = static_cast<const StorePtr*>(create->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new StorePtr(*store)));
        break;
    }
    case WM_NCDESTROY:
        delete reinterpret_cast<StorePtr*>(SetWindowLongPtrA(window, GWLP_USERDATA, 0));
        break;
    case kFrameMessage:
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the paint covers everything
    case WM_PAINT:
        if (auto* store = reinterpret_cast<StorePtr*>(GetWindowLongPtrA(window, GWLP_USERDATA))) {
            PaintFrame(window, **store);
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterRendererClass()
{
    WNDCLASSA existing;
    if (GetClassInfoA(nullptr, kWindowClass, &existing))
        return;
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = RendererWindowProc;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass);
}

// Writes the picture of a sample of that header into a bitmap of its size: a band of rows at a
// time where the sample makes them so (no whole copy of the picture on the way), else whole.
bool WriteSample(IMediaSample* sample, const BITMAPINFOHEADER& header, HBITMAP bitmap)
{
    BITMAPINFO info{};
    info.bmiHeader = header;
    const LONG height = std::abs(header.biHeight);
    ComPtr<ISampleRows> bands;
    if (header.biHeight > 0 && ComQuery(sample, bands) == S_OK) {
        const std::size_t stride = static_cast<std::size_t>(DibRowBytes(header.biWidth, header.biBitCount));
        const LONG bandRows = static_cast<LONG>(
            std::max<std::size_t>(1, kBandBytes / stride / kSampleRowBand) * static_cast<std::size_t>(kSampleRowBand));
        std::vector<BYTE> band(stride * static_cast<std::size_t>(std::min(bandRows, height)));
        LONG top = 0;
        for (; top < height; top += bandRows) {
            const LONG count = std::min(bandRows, height - top);
            if (bands->CopyRows(top, count, band.data()) != S_OK)
                break; // the whole picture then, below
            if (SetDIBits(nullptr, bitmap, static_cast<UINT>(height - top - count), static_cast<UINT>(count), band.data(),
                          &info, DIB_RGB_COLORS) != count)
                return false;
        }
        if (top >= height)
            return true;
    }
    BYTE* pixels = nullptr;
    if (sample->GetPointer(&pixels) != S_OK || pixels == nullptr)
        return false;
    return SetDIBits(nullptr, bitmap, 0, static_cast<UINT>(height), pixels, &info, DIB_RGB_COLORS) == height;
}

// A rectangle handed out as position and size: pointers checked first, outputs written only
// when the rectangle could be read.
template <class GetRect>
HRESULT RectAsPosition(GetRect getRect, LONG* left, LONG* top, LONG* width, LONG* height)
{
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr)
        return E_POINTER;
    RECT rect;
    const HRESULT hr = getRect(rect);
    if (hr == S_OK) {
        *left = rect.left;
        *top = rect.top;
        *width = Width(rect);
        *height = Height(rect);
    }
    return hr;
}

}  // namespace

// --- input pin ---------------------------------------------------------------------------

VideoRendererInputPin::VideoRendererInputPin(VideoRenderer& owner) : InputPinBase(owner, u"Input"), owner_(owner) {}

HRESULT VideoRendererInputPin::CheckMediaType(const AM_MEDIA_TYPE& type)
{
    if (type.majortype != MEDIATYPE_Video)
        return VFW_E_TYPE_NOT_ACCEPTED;
    int bits;
    if (type.subtype == MEDIASUBTYPE_RGB32)
        bits = 32;
    else if (type.subtype == MEDIASUBTYPE_RGB24)
        bits = 24;
    else
        return VFW_E_TYPE_NOT_ACCEPTED;
    const BITMAPINFOHEADER* header = VideoBitmapHeader(type);
    if (header == nullptr || header->biBitCount != bits || header->biCompression != BI_RGB || header->biWidth <= 0 ||
        header->biHeight == 0 || header->biWidth > 16384 || std::abs(header->biHeight) > 16384)
        return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

void VideoRendererInputPin::OnConnected()
{
    MediaTypeHolder type;
    if (CopyConnectionType(type) != S_OK)
        return;
    const BITMAPINFOHEADER* header = VideoBitmapHeader(type.Get());
    const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(type.Get().pbFormat);
    std::lock_guard lock(owner_.store_->lock);
    owner_.store_->connected = true;
    owner_.store_->header = *header;
    owner_.store_->header.biSizeImage =
        static_cast<DWORD>(DibRowBytes(header->biWidth, header->biBitCount) * std::abs(header->biHeight));
    // Both video info layouts start with the rectangles, rates and frame time.
    owner_.store_->avgTimePerFrame = info->AvgTimePerFrame;
    owner_.store_->bitRate = info->dwBitRate;
    owner_.store_->bitErrorRate = info->dwBitErrorRate;
    owner_.store_->hasFrame = false;
    owner_.store_->sample.Reset();
    owner_.store_->pixelBytes = 0;
    owner_.store_->defaultSource = true;
}

void VideoRendererInputPin::OnDisconnected()
{
    std::lock_guard lock(owner_.store_->lock);
    owner_.store_->connected = false;
    owner_.store_->hasFrame = false;
    owner_.store_->sample.Reset();
    owner_.store_->pixelBytes = 0;
}

HRESULT VideoRendererInputPin::OnReceive(IMediaSample* sample)
{
    const LONG length = sample->GetActualDataLength();
    {
        std::lock_guard lock(owner_.store_->lock);
        const std::size_t needed = owner_.store_->header.biSizeImage;
        if (length < 0 || static_cast<std::size_t>(length) < needed)
            return E_INVALIDARG;
        owner_.store_->sample = ComPtr<IMediaSample>::AddRefFrom(sample);
        owner_.store_->pixelBytes = needed;
        owner_.store_->hasFrame = true;
        ++owner_.store_->received;
    }
    owner_.FrameArrived();
    return S_OK;
}

HRESULT VideoRendererInputPin::OnEndOfStream()
{
    if (owner_.State() == State_Running)
        owner_.NotifyEvent(EC_COMPLETE, S_OK, 0);
    else
        owner_.endOfStreamPending_ = true;
    return S_OK;
}

// --- filter ------------------------------------------------------------------------------

ComPtr<VideoRenderer> VideoRenderer::Create()
{
    ComPtr<VideoRenderer> renderer = ComPtr<VideoRenderer>::TakeOver(new VideoRenderer());
    renderer->CreateRendererWindow(nullptr);
    return renderer;
}

VideoRenderer::VideoRenderer()
    : FilterBase(CLSID_VideoRenderer), pin_(*this), store_(std::make_shared<FrameStore>()),
      uiThread_(std::this_thread::get_id())
{
}

VideoRenderer::~VideoRenderer()
{
    DestroyRendererWindow();
}

PinBase* VideoRenderer::PinAt(int index)
{
    return index == 0 ? &pin_ : nullptr;
}

HRESULT VideoRenderer::QueryOtherInterface(REFIID iid, void** object)
{
    IUnknown* found = nullptr;
    if (iid == IID_IBasicVideo || iid == IID_IDispatch)
        found = static_cast<IBasicVideo*>(this);
    else if (iid == IID_IVideoOwner)
        found = static_cast<IVideoOwner*>(this);
    else if (iid == IID_IRendererImage)
        found = static_cast<IRendererImage*>(this);
    if (found == nullptr)
        return E_NOINTERFACE;
    found->AddRef();
    *object = found;
    return S_OK;
}

HRESULT VideoRenderer::OnStateChange(FILTER_STATE, FILTER_STATE to, REFERENCE_TIME)
{
    if (to == State_Running && endOfStreamPending_) {
        endOfStreamPending_ = false;
        NotifyEvent(EC_COMPLETE, S_OK, 0);
    }
    if (to == State_Stopped)
        endOfStreamPending_ = false;
    return S_OK;
}

std::uint64_t VideoRenderer::FramesReceived() const
{
    std::lock_guard lock(store_->lock);
    return store_->received;
}

void VideoRenderer::FrameArrived()
{
    endOfStreamPending_ = false;
    if (HWND window = store_->window.load())
        PostMessageA(window, kFrameMessage, 0, 0);
}

void VideoRenderer::CreateRendererWindow(HWND owner)
{
    RegisterRendererClass();
    RECT area{0, 0, 320, 240};
    if (owner != nullptr)
        GetClientRect(owner, &area);
    const DWORD style = owner != nullptr ? WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS : WS_POPUP;
    StorePtr param = store_;
    window_ = CreateWindowExA(0, kWindowClass, "Video Renderer", style, 0, 0, area.right, area.bottom, owner, nullptr,
                              nullptr, &param);
    owner_ = window_ != nullptr ? owner : nullptr;
    store_->window.store(window_);
}

void VideoRenderer::DestroyRendererWindow()
{
    HWND window = window_;
    window_ = nullptr;
    store_->window.store(nullptr);
    if (window == nullptr)
        return;
    if (std::this_thread::get_id() == uiThread_)
        DestroyWindow(window);
    else
        PostMessageA(window, WM_CLOSE, 0, 0);  // windows belong to the user-interface thread
}

HRESULT VideoRenderer::put_Owner(HWND owner)
{
    if (owner != nullptr && !IsWindow(owner))
        return E_INVALIDARG;
    return ComBoundary([&] {
        DestroyRendererWindow();
        CreateRendererWindow(owner);
        return window_ != nullptr ? S_OK : E_FAIL;
    });
}

HRESULT VideoRenderer::get_Owner(HWND* owner)
{
    if (owner == nullptr)
        return E_POINTER;
    *owner = owner_;
    return S_OK;
}

HRESULT VideoRenderer::get_RendererWindow(HWND* window)
{
    if (window == nullptr)
        return E_POINTER;
    *window = window_;
    return window_ != nullptr ? S_OK : E_FAIL;
}

HRESULT VideoRenderer::SetWindowPosition(LONG left, LONG top, LONG width, LONG height)
{
    if (width < 0 || height < 0)
        return E_INVALIDARG;
    if (window_ == nullptr)
        return E_FAIL;
    return MoveWindow(window_, left, top, width, height, TRUE) ? S_OK : E_FAIL;
}

// --- IBasicVideo -------------------------------------------------------------------------

HRESULT VideoRenderer::GetTypeInfoCount(UINT* count)
{
    if (count == nullptr)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT VideoRenderer::GetTypeInfo(UINT, LCID, ITypeInfo** typeInfo)
{
    if (typeInfo == nullptr)
        return E_POINTER;
    *typeInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT VideoRenderer::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

HRESULT VideoRenderer::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return E_NOTIMPL;
}

HRESULT VideoRenderer::ConnectedHeader(BITMAPINFOHEADER& header) const
{
    std::lock_guard lock(store_->lock);
    if (!store_->connected)
        return VFW_E_NOT_CONNECTED;
    header = store_->header;
    return S_OK;
}

HRESULT VideoRenderer::get_AvgTimePerFrame(REFTIME* value)
{
    if (value == nullptr)
        return E_POINTER;
    std::lock_guard lock(store_->lock);
    if (!store_->connected)
        return VFW_E_NOT_CONNECTED;
    *value = static_cast<double>(store_->avgTimePerFrame) / kUnitsPerSecond;
    return S_OK;
}

HRESULT VideoRenderer::get_BitRate(LONG* value)
{
    if (value == nullptr)
        return E_POINTER;
    std::lock_guard lock(store_->lock);
    if (!store_->connected)
        return VFW_E_NOT_CONNECTED;
    *value = static_cast<LONG>(std::min<DWORD>(store_->bitRate, std::numeric_limits<LONG>::max()));
    return S_OK;
}

HRESULT VideoRenderer::get_BitErrorRate(LONG* value)
{
    if (value == nullptr)
        return E_POINTER;
    std::lock_guard lock(store_->lock);
    if (!store_->connected)
        return VFW_E_NOT_CONNECTED;
    *value = static_cast<LONG>(std::min<DWORD>(store_->bitErrorRate, std::numeric_limits<LONG>::max()));
    return S_OK;
}

HRESULT VideoRenderer::GetVideoSize(LONG* width, LONG* height)
{
    if (width == nullptr || height == nullptr)
        return E_POINTER;
    BITMAPINFOHEADER header;
    const HRESULT hr = ConnectedHeader(header);
    if (hr != S_OK)
        return hr;
    *width = header.biWidth;
    *height = std::abs(header.biHeight);
    return S_OK;
}

HRESULT VideoRenderer::get_VideoWidth(LONG* value)
{
    LONG ignored;
    return value == nullptr ? E_POINTER : GetVideoSize(value, &ignored);
}

HRESULT VideoRenderer::get_VideoHeight(LONG* value)
{
    LONG ignored;
    return value == nullptr ? E_POINTER : GetVideoSize(&ignored, value);
}

HRESULT VideoRenderer::GetSourceRect(RECT& rect) const
{
    std::lock_guard lock(store_->lock);
    if (!store_->connected)
        return VFW_E_NOT_CONNECTED;
    rect = store_->defaultSource ? RECT{0, 0, store_->header.biWidth, std::abs(store_->header.biHeight)}
                                 : store_->source;
    return S_OK;
}

HRESULT VideoRenderer::SetSourceRect(const RECT& rect)
{
    std::lock_guard lock(store_->lock);
    if (!store_->connected)
        return VFW_E_NOT_CONNECTED;
    const LONG width = store_->header.biWidth;
    const LONG height = std::abs(store_->header.biHeight);
    if (rect.left < 0 || rect.top < 0 || rect.right > width || rect.bottom > height || Width(rect) <= 0 ||
        Height(rect) <= 0)
        return E_INVALIDARG;
    store_->source = rect;
    store_->defaultSource = rect.left == 0 && rect.top == 0 && rect.right == width && rect.bottom == height;
    return S_OK;
}

HRESULT VideoRenderer::GetDestinationRect(RECT& rect) const
{
    std::lock_guard lock(store_->lock);
    if (!store_->defaultDestination) {
        rect = store_->destination;
        return S_OK;
    }
    rect = RECT{};
    if (window_ != nullptr)
        GetClientRect(window_, &rect);
    return S_OK;
}

HRESULT VideoRenderer::SetDestinationRect(const RECT& rect)
{
    if (Width(rect) <= 0 || Height(rect) <= 0)
        return E_INVALIDARG;
    {
        std::lock_guard lock(store_->lock);
        store_->destination = rect;
        store_->defaultDestination = false;
    }
    if (window_ != nullptr)
        InvalidateRect(window_, nullptr, FALSE);
    return S_OK;
}

#define RENDERER_RECT_FIELD(Name, Getter, Setter, Field, Kind)                                     \
    HRESULT VideoRenderer::put_##Name(LONG value)                                                   \
    {                                                                                               \
        RECT rect;                                                                                  \
        HRESULT hr = Getter(rect);                                                                  \
        if (hr != S_OK)                                                                             \
            return hr;                                                                              \
        Field;                                                                                      \
        return Setter(rect);                                                                        \
    }                                                                                               \
    HRESULT VideoRenderer::get_##Name(LONG* value)                                                  \
    {                                                                                               \
        if (value == nullptr)                                                                       \
            return E_POINTER;                                                                       \
        RECT rect;                                                                                  \
        HRESULT hr = Getter(rect);                                                                  \
        if (hr == S_OK)                                                                             \
            *value = Kind;                                                                          \
        return hr;                                                                                  \
    }

// Moving an edge keeps the size, as the real interface does; changing a size keeps the edge.
RENDERER_RECT_FIELD(SourceLeft, GetSourceRect, SetSourceRect, (rect.right += value - rect.left, rect.left = value), rect.left)
RENDERER_RECT_FIELD(SourceTop, GetSourceRect, SetSourceRect, (rect.bottom += value - rect.top, rect.top = value), rect.top)
RENDERER_RECT_FIELD(SourceWidth, GetSourceRect, SetSourceRect, rect.right = rect.left + value, Width(rect))
RENDERER_RECT_FIELD(SourceHeight, GetSourceRect, SetSourceRect, rect.bottom = rect.top + value, Height(rect))
RENDERER_RECT_FIELD(DestinationLeft, GetDestinationRect, SetDestinationRect,
                    (rect.right += value - rect.left, rect.left = value), rect.left)
RENDERER_RECT_FIELD(DestinationTop, GetDestinationRect, SetDestinationRect,
                    (rect.bottom += value - rect.top, rect.top = value), rect.top)
RENDERER_RECT_FIELD(DestinationWidth, GetDestinationRect, SetDestinationRect, rect.right = rect.left + value, Width(rect))
RENDERER_RECT_FIELD(DestinationHeight, GetDestinationRect, SetDestinationRect, rect.bottom = rect.top + value,
                    Height(rect))
#undef RENDERER_RECT_FIELD

HRESULT VideoRenderer::SetSourcePosition(LONG left, LONG top, LONG width, LONG height)
{
    return SetSourceRect(RECT{left, top, left + width, top + height});
}

HRESULT VideoRenderer::GetSourcePosition(LONG* left, LONG* top, LONG* width, LONG* height)
{
    return RectAsPosition([this](RECT& rect) { return GetSourceRect(rect); }, left, top, width, height);
}

HRESULT VideoRenderer::SetDefaultSourcePosition()
{
    std::lock_guard lock(store_->lock);
    store_->defaultSource = true;
    return S_OK;
}

HRESULT VideoRenderer::SetDestinationPosition(LONG left, LONG top, LONG width, LONG height)
{
    return SetDestinationRect(RECT{left, top, left + width, top + height});
}

HRESULT VideoRenderer::GetDestinationPosition(LONG* left, LONG* top, LONG* width, LONG* height)
{
    return RectAsPosition([this](RECT& rect) { return GetDestinationRect(rect); }, left, top, width, height);
}

HRESULT VideoRenderer::SetDefaultDestinationPosition()
{
    std::lock_guard lock(store_->lock);
    store_->defaultDestination = true;
    return S_OK;
}

HRESULT VideoRenderer::IsUsingDefaultSource()
{
    std::lock_guard lock(store_->lock);
    return store_->defaultSource ? S_OK : S_FALSE;
}

HRESULT VideoRenderer::IsUsingDefaultDestination()
{
    std::lock_guard lock(store_->lock);
    return store_->defaultDestination ? S_OK : S_FALSE;
}

HRESULT VideoRenderer::GetVideoPaletteEntries(LONG, LONG, LONG* retrieved, LONG* palette)
{
    if (retrieved == nullptr || palette == nullptr)
        return E_POINTER;
    *retrieved = 0;
    // Only true-colour formats are rendered here, and they carry no palette.
    return VFW_E_NO_PALETTE_AVAILABLE;
}

HRESULT VideoRenderer::HeldFrame(ComPtr<IMediaSample>& sample, BITMAPINFOHEADER& header, std::size_t& pixelBytes) const
{
    std::lock_guard lock(store_->lock);
    if (!store_->connected)
        return VFW_E_NOT_CONNECTED;
    if (!store_->hasFrame)
        return E_UNEXPECTED;
    if (sizeof(BITMAPINFOHEADER) + store_->pixelBytes > static_cast<std::size_t>(std::numeric_limits<LONG>::max()))
        return E_OUTOFMEMORY;
    sample = store_->sample;
    header = store_->header;
    header.biClrUsed = 0;
    header.biClrImportant = 0;
    pixelBytes = store_->pixelBytes;
    return S_OK;
}

HRESULT VideoRenderer::GetCurrentImage(LONG* bufferSize, LONG* image)
{
    if (bufferSize == nullptr)
        return E_POINTER;
    ComPtr<IMediaSample> sample;
    BITMAPINFOHEADER header;
    std::size_t pixelBytes = 0;
    HRESULT hr = HeldFrame(sample, header, pixelBytes);
    if (hr != S_OK)
        return hr;
    const std::size_t needed = sizeof(BITMAPINFOHEADER) + pixelBytes;
    if (image == nullptr) {
        *bufferSize = static_cast<LONG>(needed);
        return S_OK;
    }
    if (*bufferSize < 0 || static_cast<std::size_t>(*bufferSize) < needed)
        return E_OUTOFMEMORY;
    BYTE* pixels = nullptr;
    hr = sample->GetPointer(&pixels);
    if (hr != S_OK)
        return hr;
    auto* bytes = reinterpret_cast<BYTE*>(image);
    std::memcpy(bytes, &header, sizeof header);
    std::memcpy(bytes + sizeof header, pixels, pixelBytes);
    return S_OK;
}

HRESULT VideoRenderer::LendCurrentImage(BITMAPINFOHEADER* header, const BYTE** pixels, IUnknown** holder)
{
    if (header == nullptr || pixels == nullptr || holder == nullptr)
        return E_POINTER;
    *pixels = nullptr;
    *holder = nullptr;
    ComPtr<IMediaSample> sample;
    BITMAPINFOHEADER held;
    std::size_t pixelBytes = 0;
    HRESULT hr = HeldFrame(sample, held, pixelBytes);
    if (hr != S_OK)
        return hr;
    BYTE* data = nullptr;
    hr = sample->GetPointer(&data);
    if (hr != S_OK)
        return hr;
    *header = held;
    *pixels = data;
    *holder = sample.Detach();
    return S_OK;
}

HRESULT VideoRenderer::WriteCurrentImage(HBITMAP bitmap)
{
    if (bitmap == nullptr)
        return E_POINTER;
    ComPtr<IMediaSample> sample;
    BITMAPINFOHEADER header;
    std::size_t pixelBytes = 0;
    const HRESULT hr = HeldFrame(sample, header, pixelBytes);
    if (hr != S_OK)
        return hr;
    BITMAP target{};
    if (GetObject(bitmap, sizeof target, &target) == 0)
        return E_INVALIDARG;
    if (target.bmWidth != header.biWidth || target.bmHeight != std::abs(header.biHeight))
        return E_INVALIDARG;
    return ComBoundary([&] { return WriteSample(sample.Get(), header, bitmap) ? S_OK : E_FAIL; });
}
