// The OLE side of the media player control: embedding, in-place activation, persistence,
// connection points and the IMediaPlayer methods.
#include "platform/mediaplayer/MediaPlayerControl.h"

#include "platform/com/ComRuntime.h"
#include "platform/user/WinUser.h"

#include <cmath>
#include <stdexcept>
#include <utility>

namespace mediaplayer {
namespace {

constexpr char kNotifyWindowClass[] = "QuellonMediaPlayerNotify";
constexpr int kDefaultWidthPixels = 320;
constexpr int kDefaultHeightPixels = 240;

void RegisterNotifyClass()
{
    WNDCLASSA existing;
    if (GetClassInfoA(nullptr, kNotifyWindowClass, &existing))
        return;
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = MediaPlayerControl::NotifyWindowProc;
    windowClass.lpszClassName = kNotifyWindowClass;
    RegisterClassA(&windowClass);
}

}  // namespace

MediaPlayerControl::MediaPlayerControl()
    : eventPoint_(points_.Add(DIID_MediaPlayerEvents)), propertyNotifyPoint_(points_.Add(IID_IPropertyNotifySink))
{
    extent_.cx = MulDiv(kDefaultWidthPixels, 2540, 96);
    extent_.cy = MulDiv(kDefaultHeightPixels, 2540, 96);
    RegisterNotifyClass();
    // A hidden window of our own receives what the loading, command and streaming threads
    // post, whether or not the control is active in a container.
    notifyWindow_ = CreateWindowExA(0, kNotifyWindowClass, "", WS_POPUP, 0, 0, kDefaultWidthPixels,
                                    kDefaultHeightPixels, nullptr, nullptr, nullptr, nullptr);
    if (notifyWindow_ == nullptr)
        throw std::runtime_error("the media player's notify window cannot be created");
    SetWindowLongPtrA(notifyWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    graph_ = std::make_unique<PlayerGraph>(notifyWindow_);
}

MediaPlayerControl::~MediaPlayerControl()
{
    ForgetRendererHooks();
    graph_.reset();  // joins the loading and command threads, releases the renderer
    DestroyPlayerWindow();
    if (fullScreenWindow_ != nullptr)
        DestroyWindow(fullScreenWindow_);
    SetWindowLongPtrA(notifyWindow_, GWLP_USERDATA, 0);
    DestroyWindow(notifyWindow_);
}

// --- IOleObject ----------------------------------------------------------------------------

HRESULT MediaPlayerControl::SetClientSite(IOleClientSite* site)
{
    site_ = ComPtr<IOleClientSite>::AddRefFrom(site);
    if (site == nullptr)
        inPlaceSite_.Reset();
    return S_OK;
}

HRESULT MediaPlayerControl::GetClientSite(IOleClientSite** site)
{
    if (site == nullptr)
        return E_POINTER;
    return site_.CopyTo(site);
}

HRESULT MediaPlayerControl::SetHostNames(LPCOLESTR, LPCOLESTR)
{
    return S_OK;
}

HRESULT MediaPlayerControl::Close(DWORD saveOption)
{
    if (saveOption > OLECLOSE_PROMPTSAVE)
        return E_INVALIDARG;
    // The media stays open: a container re-creating its window activates us again.
    return InPlaceDeactivate();
}

HRESULT MediaPlayerControl::SetMoniker(DWORD, IMoniker*)
{
    return E_NOTIMPL;
}

HRESULT MediaPlayerControl::GetMoniker(DWORD, DWORD, IMoniker** moniker)
{
    if (moniker == nullptr)
        return E_POINTER;
    *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT MediaPlayerControl::InitFromData(IDataObject*, BOOL, DWORD)
{
    return E_NOTIMPL;
}

HRESULT MediaPlayerControl::GetClipboardData(DWORD, IDataObject** data)
{
    if (data == nullptr)
        return E_POINTER;
    *data = nullptr;
    return E_NOTIMPL;
}

HRESULT MediaPlayerControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT position)
{
    return ComBoundary([&]() -> HRESULT {
        switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_OPEN:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE:
            break;
        case OLEIVERB_HIDE:
            if (window_ != nullptr)
                ShowWindow(window_, SW_HIDE);
            return S_OK;
        default:
            return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
        }
        if (window_ == nullptr) {
            if (parent == nullptr || !IsWindow(parent))
                return OLE_E_INVALIDHWND;
            if (position == nullptr)
                return E_INVALIDARG;
            IOleClientSite* activeSite = site != nullptr ? site : site_.Get();
            if (activeSite == nullptr)
                return E_UNEXPECTED;
            ComPtr<IOleInPlaceSite> inPlace;
            if (FAILED(ComQuery(activeSite, inPlace)))
                return E_NOINTERFACE;
            if (inPlace->CanInPlaceActivate() != S_OK)
                return E_FAIL;
            inPlaceSite_ = inPlace;
            inPlace->OnInPlaceActivate();
            CreatePlayerWindow(parent, *position);
            if (window_ == nullptr) {
                inPlace->OnInPlaceDeactivate();
                inPlaceSite_.Reset();
                return E_FAIL;
            }
        } else if (position != nullptr) {
            SetObjectRects(position, nullptr);
        }
        ShowWindow(window_, SW_SHOW);
        if (verb == OLEIVERB_UIACTIVATE && !uiActive_ && inPlaceSite_) {
            uiActive_ = true;
            inPlaceSite_->OnUIActivate();
            SetFocus(window_);
        }
        return S_OK;
    });
}

HRESULT MediaPlayerControl::EnumVerbs(IEnumOLEVERB** verbs)
{
    if (verbs == nullptr)
        return E_POINTER;
    *verbs = nullptr;
    return E_NOTIMPL;
}

HRESULT MediaPlayerControl::Update()
{
    return S_OK;
}

HRESULT MediaPlayerControl::IsUpToDate()
{
    return S_OK;
}

HRESULT MediaPlayerControl::GetUserClassID(CLSID* clsid)
{
    if (clsid == nullptr)
        return E_POINTER;
    *clsid = CLSID_MediaPlayer;
    return S_OK;
}

HRESULT MediaPlayerControl::GetUserType(DWORD, LPOLESTR* userType)
{
    if (userType == nullptr)
        return E_POINTER;
    static const char16_t kName[] = u"Windows Media Player";
    *userType = static_cast<LPOLESTR>(CoTaskMemAlloc(sizeof kName));
    if (*userType == nullptr)
        return E_OUTOFMEMORY;
    std::copy(std::begin(kName), std::end(kName), *userType);
    return S_OK;
}

HRESULT MediaPlayerControl::SetExtent(DWORD aspect, SIZEL* size)
{
    if (size == nullptr)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (size->cx < 0 || size->cy < 0)
        return E_INVALIDARG;
    extent_ = *size;
    return S_OK;
}

HRESULT MediaPlayerControl::GetExtent(DWORD aspect, SIZEL* size)
{
    if (size == nullptr)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    *size = extent_;
    return S_OK;
}

HRESULT MediaPlayerControl::Advise(IAdviseSink*, DWORD* connection)
{
    if (connection == nullptr)
        return E_POINTER;
    *connection = 0;
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT MediaPlayerControl::Unadvise(DWORD)
{
    return OLE_E_NOCONNECTION;
}

HRESULT MediaPlayerControl::EnumAdvise(IEnumSTATDATA** advises)
{
    if (advises == nullptr)
        return E_POINTER;
    *advises = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT MediaPlayerControl::GetMiscStatus(DWORD aspect, DWORD* status)
{
    if (status == nullptr)
        return E_POINTER;
    *status = 0;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    *status = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT |
              OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE;
    return S_OK;
}

HRESULT MediaPlayerControl::SetColorScheme(LOGPALETTE*)
{
    return E_NOTIMPL;
}

// --- in-place object ------------------------------------------------------------------------

HRESULT MediaPlayerControl::GetWindow(HWND* window)
{
    if (window == nullptr)
        return E_POINTER;
    *window = window_;
    return window_ != nullptr ? S_OK : E_FAIL;
}

HRESULT MediaPlayerControl::ContextSensitiveHelp(BOOL)
{
    return S_OK;
}

HRESULT MediaPlayerControl::InPlaceDeactivate()
{
    if (window_ == nullptr)
        return S_OK;
    UIDeactivate();
    DestroyPlayerWindow();
    if (ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_))
        site->OnInPlaceDeactivate();
    return S_OK;
}

HRESULT MediaPlayerControl::UIDeactivate()
{
    if (!uiActive_)
        return S_OK;
    uiActive_ = false;
    if (inPlaceSite_)
        inPlaceSite_->OnUIDeactivate(FALSE);
    return S_OK;
}

HRESULT MediaPlayerControl::SetObjectRects(LPCRECT position, LPCRECT)
{
    if (position == nullptr)
        return E_POINTER;
    if (window_ == nullptr)
        return OLE_E_NOT_INPLACEACTIVE;
    MoveWindow(window_, position->left, position->top, position->right - position->left,
               position->bottom - position->top, TRUE);
    return S_OK;
}

HRESULT MediaPlayerControl::ReactivateAndUndo()
{
    return INPLACE_E_NOTUNDOABLE;
}

HRESULT MediaPlayerControl::TranslateAccelerator(LPMSG message)
{
    if (message == nullptr)
        return E_POINTER;
    return S_FALSE;  // no accelerators: the keys reach our window as messages
}

HRESULT MediaPlayerControl::OnFrameWindowActivate(BOOL)
{
    return S_OK;
}

HRESULT MediaPlayerControl::OnDocWindowActivate(BOOL)
{
    return S_OK;
}

HRESULT MediaPlayerControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL)
{
    return S_OK;
}

HRESULT MediaPlayerControl::EnableModeless(BOOL)
{
    return S_OK;
}

// --- IOleControl ----------------------------------------------------------------------------

HRESULT MediaPlayerControl::GetControlInfo(CONTROLINFO* info)
{
    if (info == nullptr)
        return E_POINTER;
    if (info->cb < sizeof(CONTROLINFO))
        return E_INVALIDARG;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

HRESULT MediaPlayerControl::OnMnemonic(MSG* message)
{
    return message == nullptr ? E_POINTER : S_OK;
}

HRESULT MediaPlayerControl::OnAmbientPropertyChange(DISPID)
{
    return S_OK;
}

HRESULT MediaPlayerControl::FreezeEvents(BOOL freeze)
{
    if (freeze)
        ++freezeCount_;
    else if (freezeCount_ > 0)
        --freezeCount_;
    return S_OK;
}

// --- IPersistStreamInit ----------------------------------------------------------------------

HRESULT MediaPlayerControl::GetClassID(CLSID* clsid)
{
    if (clsid == nullptr)
        return E_POINTER;
    *clsid = CLSID_MediaPlayer;
    return S_OK;
}

HRESULT MediaPlayerControl::IsDirty()
{
    return dirty_ ? S_OK : S_FALSE;
}

HRESULT MediaPlayerControl::Load(LPSTREAM stream)
{
    if (stream == nullptr)
        return E_POINTER;
    return ComBoundary([&]() -> HRESULT {
        const HRESULT hr = properties_.Load(stream);
        if (FAILED(hr))
            return hr;
        initialised_ = true;
        dirty_ = false;
        Layout();
        return S_OK;
    });
}

HRESULT MediaPlayerControl::Save(LPSTREAM stream, BOOL clearDirty)
{
    if (stream == nullptr)
        return E_POINTER;
    return ComBoundary([&]() -> HRESULT {
        const HRESULT hr = properties_.Save(stream);
        if (SUCCEEDED(hr) && clearDirty)
            dirty_ = false;
        return hr;
    });
}

HRESULT MediaPlayerControl::GetSizeMax(ULARGE_INTEGER* size)
{
    if (size == nullptr)
        return E_POINTER;
    size->QuadPart = properties_.SaveSize();
    return S_OK;
}

HRESULT MediaPlayerControl::InitNew()
{
    properties_.ResetToDefaults();
    initialised_ = true;
    dirty_ = false;
    return S_OK;
}

// --- IConnectionPointContainer ----------------------------------------------------------------

HRESULT MediaPlayerControl::EnumConnectionPoints(IEnumConnectionPoints** points)
{
    return points_.EnumConnectionPoints(points);
}

HRESULT MediaPlayerControl::FindConnectionPoint(REFIID iid, IConnectionPoint** point)
{
    return points_.FindConnectionPoint(iid, point);
}

// --- IMediaPlayer -------------------------------------------------------------------------------

HRESULT MediaPlayerControl::get_ErrorDescription(BSTR* description)
{
    if (description == nullptr)
        return E_POINTER;
    *description = SysAllocString(errorDescription_.c_str());
    return *description != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT MediaPlayerControl::get_ErrorCode(LONG* code)
{
    if (code == nullptr)
        return E_POINTER;
    *code = errorCode_;
    return S_OK;
}

HRESULT MediaPlayerControl::Play()
{
    return ComBoundary([&]() -> HRESULT {
        if (openState_ == kOpenOpening) {
            playWhenReady_ = true;
            return S_OK;
        }
        if (openState_ != kOpenOpen)
            return E_UNEXPECTED;
        openingPosition_.reset();
        if (playState_ != kPlayPlaying) {
            playsDone_ = 0;
            StartPlaying();
        }
        return S_OK;
    });
}

HRESULT MediaPlayerControl::Stop()
{
    return ComBoundary([&]() -> HRESULT {
        playWhenReady_ = false;
        openingPosition_.reset();
        if (openState_ != kOpenOpen)
            return S_OK;
        if (playState_ == kPlayPlaying)
            graph_->Pause();
        SetPlayState(kPlayStopped);
        return S_OK;
    });
}

HRESULT MediaPlayerControl::Pause()
{
    return ComBoundary([&]() -> HRESULT {
        playWhenReady_ = false;
        const std::optional<OpeningPosition> opening = std::exchange(openingPosition_, std::nullopt);
        if (openState_ != kOpenOpen || playState_ != kPlayPlaying)
            return S_OK;
        if (!opening)
            graph_->Pause();
        else if (opening->byFrame)
            graph_->PauseAtFrame(std::llround(opening->value));
        else
            graph_->PauseAtSeconds(opening->value);
        SetPlayState(kPlayPaused);
        return S_OK;
    });
}

HRESULT MediaPlayerControl::Open(BSTR fileName)
{
    return ComBoundary([&]() -> HRESULT {
        CloseMedia();
        if (fileName == nullptr || SysStringLen(fileName) == 0)
            return E_INVALIDARG;
        errorCode_ = S_OK;
        errorDescription_.clear();
        playWhenReady_ = properties_.Bool(kDispAutoStart);
        graph_->BeginLoad(BstrToUtf8(fileName));
        SetOpenState(kOpenOpening);
        SetReadyState(kReadyLoading);
        return S_OK;
    });
}

// --- IActiveMovie -------------------------------------------------------------------------------

HRESULT MediaPlayerControl::get_FilterGraph(IUnknown** graph)
{
    if (graph == nullptr)
        return E_POINTER;
    *graph = nullptr;
    if (openState_ != kOpenOpen)
        return S_FALSE;
    return graph_->GetGraph(graph);
}

}  // namespace mediaplayer
