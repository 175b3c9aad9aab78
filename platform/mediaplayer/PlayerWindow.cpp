// The player's windows: the one it creates in its container (video area and control bar),
// the full-screen window, and the hook on the renderer's window that lets mouse and key
// input on the video reach the control's standard events.
#include "platform/mediaplayer/MediaPlayerControl.h"

#include "platform/gdi/Gdi.h"
#include "platform/user/WinUser.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace mediaplayer {
namespace {

constexpr char kFullScreenWindowClass[] = "QuellonMediaPlayerFullScreen";
constexpr UINT_PTR kTrackerTimer = 1;
constexpr int kButtonWidth = kControlBarHeight;
constexpr int kTrackerMargin = 8;

struct RendererHook {
    MediaPlayerControl* control;
    WNDPROC previous;
};

// Renderer windows we subclassed; user-interface thread only.
std::map<HWND, RendererHook>& RendererHooks()
{
    static std::map<HWND, RendererHook> hooks;
    return hooks;
}

void RegisterWindowClass(const char* name, WNDPROC procedure, UINT style)
{
    WNDCLASSA existing;
    if (GetClassInfoA(nullptr, name, &existing))
        return;
    WNDCLASSA windowClass;
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
}

bool IsInputMessage(UINT message)
{
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || message == WM_KEYDOWN || message == WM_KEYUP ||
           message == WM_CHAR;
}

// A 32-bit picture drawn in memory and copied to a device context in one go.
class Canvas32 {
public:
    Canvas32(int width, int height) : width_(width), height_(height), pixels_(std::size_t(width) * height, 0) {}

    void Fill(int left, int top, int right, int bottom, COLORREF color)
    {
        const DWORD bgr = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
        for (int y = std::max(top, 0); y < std::min(bottom, height_); ++y)
            for (int x = std::max(left, 0); x < std::min(right, width_); ++x)
                pixels_[std::size_t(height_ - 1 - y) * width_ + x] = bgr;  // rows bottom-up
    }

    void CopyTo(HDC dc, int x, int y) const
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = height_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        HBITMAP bitmap = CreateDIBitmap(dc, &info.bmiHeader, CBM_INIT, pixels_.data(), &info, DIB_RGB_COLORS);
        if (bitmap == nullptr)
            return;
        HDC memory = CreateCompatibleDC(dc);
        if (memory != nullptr) {
            HGDIOBJ old = SelectObject(memory, ToGdiObject(bitmap));
            BitBlt(dc, x, y, width_, height_, memory, 0, 0, SRCCOPY);
            SelectObject(memory, old);
            DeleteDC(memory);
        }
        DeleteObject(bitmap);
    }

private:
    int width_;
    int height_;
    std::vector<DWORD> pixels_;
};

RECT FitInto(const RECT& area, LONG width, LONG height)
{
    const double areaWidth = area.right - area.left;
    const double areaHeight = area.bottom - area.top;
    const double scale = std::min(areaWidth / width, areaHeight / height);
    const LONG w = std::lround(width * scale);
    const LONG h = std::lround(height * scale);
    const LONG x = area.left + std::lround((areaWidth - w) / 2);
    const LONG y = area.top + std::lround((areaHeight - h) / 2);
    return RECT{x, y, x + w, y + h};
}

}  // namespace

void MediaPlayerControl::CreatePlayerWindow(HWND parent, const RECT& position)
{
    RegisterWindowClass(kPlayerWindowClass, PlayerWindowProc, CS_DBLCLKS);
    window_ = CreateWindowExA(0, kPlayerWindowClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, position.left,
                              position.top, position.right - position.left, position.bottom - position.top, parent,
                              nullptr, nullptr, this);
    if (window_ == nullptr)
        return;
    EnableWindow(window_, properties_.Bool(kDispEnabled));
    if (playState_ == kPlayPlaying)
        SetTimer(window_, kTrackerTimer, 200, nullptr);
    Layout();
}

void MediaPlayerControl::DestroyPlayerWindow()
{
    if (window_ == nullptr)
        return;
    // The renderer's window outlives ours: it moves to the hidden window until the next
    // activation, keeping its handle (a container may have subclassed it).
    const HWND renderer = graph_ ? graph_->RendererWindow() : nullptr;
    if (renderer != nullptr && GetParent(renderer) == window_)
        SetParent(renderer, notifyWindow_);
    HWND window = window_;
    window_ = nullptr;
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
}

RECT MediaPlayerControl::ControlBarRect() const
{
    RECT client{};
    if (window_ != nullptr)
        GetClientRect(window_, &client);
    if (!properties_.Bool(kDispShowControls))
        return RECT{0, client.bottom, client.right, client.bottom};
    return RECT{0, std::max<LONG>(client.bottom - kControlBarHeight, 0), client.right, client.bottom};
}

RECT MediaPlayerControl::VideoRect(const RECT& area) const
{
    const MediaInfo& info = graph_->Info();
    if (info.width <= 0 || info.height <= 0)
        return RECT{area.left, area.top, area.left, area.top};
    LONG w = info.width;
    LONG h = info.height;
    switch (properties_.Int(kDispDisplaySize)) {
    case kSizeHalf:
        w /= 2;
        h /= 2;
        break;
    case kSizeDouble:
        w *= 2;
        h *= 2;
        break;
    case kSizeDefault:
        break;
    default:
        return FitInto(area, info.width, info.height);
    }
    const LONG x = area.left + (area.right - area.left - w) / 2;
    const LONG y = area.top + (area.bottom - area.top - h) / 2;
    return RECT{x, y, x + w, y + h};
}

void MediaPlayerControl::UpdateFullScreen()
{
    const bool wanted = properties_.Int(kDispDisplaySize) == kSizeFullScreen && openState_ == kOpenOpen &&
                        graph_->Info().width > 0;
    if (wanted && fullScreenWindow_ == nullptr) {
        RegisterWindowClass(kFullScreenWindowClass, FullScreenWindowProc, CS_DBLCLKS);
        fullScreenWindow_ = CreateWindowExA(0, kFullScreenWindowClass, "", WS_POPUP | WS_VISIBLE, 0, 0,
                                            GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                                            nullptr, nullptr, this);
    } else if (!wanted && fullScreenWindow_ != nullptr) {
        // Back into our window (or the hidden one) before the full-screen window goes.
        const HWND renderer = graph_->RendererWindow();
        const bool rendererHadFocus = renderer != nullptr && GetFocus() == renderer;
        if (renderer != nullptr)
            SetParent(renderer, window_ != nullptr ? window_ : notifyWindow_);
        HWND window = fullScreenWindow_;
        fullScreenWindow_ = nullptr;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
        if (rendererHadFocus && window_ != nullptr)
            SetFocus(window_);
    }
}

HWND MediaPlayerControl::FocusTarget() const
{
    // In full screen the keys go to the video itself: a container that subclassed the
    // renderer's window (to catch the key that leaves full screen) sees them there, and our
    // hook on it still turns them into the standard key events.
    if (fullScreenWindow_ != nullptr) {
        const HWND renderer = graph_->RendererWindow();
        if (renderer != nullptr && GetParent(renderer) == fullScreenWindow_)
            return renderer;
    }
    return window_;
}

void MediaPlayerControl::Layout()
{
    if (!graph_)
        return;
    UpdateFullScreen();
    const bool open = graph_->IsOpen();
    if (fullScreenWindow_ != nullptr) {
        RECT screen{};
        GetClientRect(fullScreenWindow_, &screen);
        const bool entering = GetParent(graph_->RendererWindow()) != fullScreenWindow_;
        graph_->PlaceVideo(fullScreenWindow_, FitInto(screen, graph_->Info().width, graph_->Info().height));
        if (entering && FocusTarget() != window_)
            SetFocus(FocusTarget());
    } else if (window_ == nullptr) {
        if (open)
            graph_->PlaceVideo(notifyWindow_, RECT{0, 0, graph_->Info().width, graph_->Info().height});
    } else if (open) {
        RECT area{};
        GetClientRect(window_, &area);
        area.bottom = ControlBarRect().top;
        graph_->PlaceVideo(window_, VideoRect(area));
    }
    if (window_ != nullptr)
        InvalidateRect(window_, nullptr, TRUE);
}

void MediaPlayerControl::HookRenderer()
{
    const HWND renderer = graph_->RendererWindow();
    if (renderer == nullptr || renderer == hookedRenderer_)
        return;
    hookedRenderer_ = renderer;
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(renderer, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MediaPlayerControl::RendererHookProc)));
    RendererHooks()[renderer] = RendererHook{this, previous};
}

void MediaPlayerControl::ForgetRendererHooks()
{
    // The renderer may outlive us (a caller can hold the graph), so its hook stays in place
    // but no longer reaches this object.
    for (auto& [window, hook] : RendererHooks())
        if (hook.control == this)
            hook.control = nullptr;
}

void MediaPlayerControl::PaintWindow()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    if (dc == nullptr)
        return;
    RECT client{};
    GetClientRect(window_, &client);
    const RECT bar = ControlBarRect();
    PatBlt(dc, 0, 0, client.right, bar.top, BLACKNESS);
    if (bar.bottom > bar.top && bar.right > 0)
        PaintControlBar(dc, bar);
    EndPaint(window_, &paint);
}

void MediaPlayerControl::PaintControlBar(HDC dc, const RECT& bar)
{
    const int width = bar.right - bar.left;
    const int height = bar.bottom - bar.top;
    const bool open = openState_ == kOpenOpen;
    Canvas32 canvas(width, height);
    canvas.Fill(0, 0, width, height, RGB(192, 192, 192));
    canvas.Fill(0, 0, width, 1, RGB(255, 255, 255));
    // Play/pause button: a raised square with the glyph of what a click does.
    canvas.Fill(2, 3, kButtonWidth - 2, height - 2, RGB(128, 128, 128));
    canvas.Fill(2, 3, kButtonWidth - 3, height - 3, RGB(224, 224, 224));
    const COLORREF glyph = open ? RGB(0, 0, 0) : RGB(128, 128, 128);
    const int middle = height / 2;
    if (playState_ == kPlayPlaying) {
        canvas.Fill(9, middle - 6, 12, middle + 7, glyph);
        canvas.Fill(15, middle - 6, 18, middle + 7, glyph);
    } else {
        for (int i = 0; i < 12; ++i)
            canvas.Fill(9 + i / 2, middle - 6 + i / 2, 10 + i / 2, middle + 7 - i / 2, glyph);
    }
    if (properties_.Bool(kDispShowTracker)) {
        const int left = kButtonWidth + kTrackerMargin;
        const int right = width - kTrackerMargin;
        if (right > left) {
            canvas.Fill(left, middle - 2, right, middle + 2, RGB(96, 96, 96));
            const double duration = graph_->Info().durationSeconds;
            const double fraction = open && duration > 0 ? std::clamp(graph_->PositionSeconds() / duration, 0.0, 1.0) : 0;
            const int thumb = left + static_cast<int>(fraction * (right - left));
            canvas.Fill(thumb - 4, 4, thumb + 5, height - 4, open ? RGB(0, 0, 128) : RGB(160, 160, 160));
        }
    }
    canvas.CopyTo(dc, bar.left, bar.top);
}

void MediaPlayerControl::SeekToTrackerPoint(int x)
{
    const RECT bar = ControlBarRect();
    const int left = kButtonWidth + kTrackerMargin;
    const int right = (bar.right - bar.left) - kTrackerMargin;
    if (right <= left || openState_ != kOpenOpen)
        return;
    const double fraction = std::clamp(double(x - left) / (right - left), 0.0, 1.0);
    openingPosition_.reset();
    graph_->SeekSeconds(fraction * graph_->Info().durationSeconds);
    InvalidateRect(window_, nullptr, FALSE);
}

bool MediaPlayerControl::HandleControlBarMouse(UINT message, POINT point)
{
    const RECT bar = ControlBarRect();
    const bool inBar = point.y >= bar.top && point.y < bar.bottom;
    if (trackerDragging_) {
        if (message == WM_MOUSEMOVE || message == WM_LBUTTONUP)
            SeekToTrackerPoint(point.x);
        if (message == WM_LBUTTONUP) {
            trackerDragging_ = false;
            ReleaseCapture();
        }
        return true;
    }
    if (!inBar)
        return false;
    if (message == WM_LBUTTONDOWN) {
        if (point.x < kButtonWidth) {
            if (playState_ == kPlayPlaying)
                Pause();
            else if (openState_ == kOpenOpen)
                Play();
        } else if (properties_.Bool(kDispEnableTracker) && properties_.Bool(kDispShowTracker)) {
            trackerDragging_ = true;
            SetCapture(window_);
            SeekToTrackerPoint(point.x);
        }
    }
    return true;
}

short MediaPlayerControl::ShiftState() const
{
    short shift = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        shift |= 1;
    if (GetKeyState(VK_CONTROL) < 0)
        shift |= 2;
    if (GetKeyState(VK_MENU) < 0)
        shift |= 4;
    return shift;
}

void MediaPlayerControl::FireMouse(DISPID id, WPARAM keys, POINT point)
{
    short buttons = 0;
    if ((keys & MK_LBUTTON) != 0)
        buttons |= 1;
    if ((keys & MK_RBUTTON) != 0)
        buttons |= 2;
    if ((keys & MK_MBUTTON) != 0)
        buttons |= 4;
    std::vector<VARIANT> arguments(4);
    for (VARIANT& v : arguments)
        VariantInit(&v);
    arguments[0].vt = VT_I2;
    arguments[0].iVal = buttons;
    // Shift and Ctrl as the message says; Alt is not part of a mouse message.
    short shift = static_cast<short>(ShiftState() & 4);
    if ((keys & MK_SHIFT) != 0)
        shift |= 1;
    if ((keys & MK_CONTROL) != 0)
        shift |= 2;
    arguments[1].vt = VT_I2;
    arguments[1].iVal = shift;
    arguments[2].vt = VT_I4;
    arguments[2].lVal = point.x;
    arguments[3].vt = VT_I4;
    arguments[3].lVal = point.y;
    FireNow(id, arguments);
}

void MediaPlayerControl::FireKey(DISPID id, WPARAM key)
{
    short code = static_cast<short>(key);
    std::vector<VARIANT> arguments(id == DISPID_KEYPRESS ? 1 : 2);
    for (VARIANT& v : arguments)
        VariantInit(&v);
    arguments[0].vt = VT_I2 | VT_BYREF;
    arguments[0].piVal = &code;
    if (id != DISPID_KEYPRESS) {
        arguments[1].vt = VT_I2;
        arguments[1].iVal = ShiftState();
    }
    FireNow(id, arguments);
}

bool MediaPlayerControl::HandleInput(HWND from, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!properties_.Bool(kDispEnabled) || freezeCount_ > 0)
        return false;
    ComPtr<IUnknown> self = ComPtr<IUnknown>::AddRefFrom(CanonicalUnknown());  // a handler may let us go
    if (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR) {
        // F1 goes on to the default handling, which sends WM_HELP up from the window it hit.
        if (properties_.Bool(kDispSendKeyboardEvents))
            FireKey(message == WM_KEYDOWN ? DISPID_KEYDOWN : message == WM_KEYUP ? DISPID_KEYUP : DISPID_KEYPRESS,
                    wParam);
        return false;
    }
    // Mouse positions are reported in the coordinates of the control's own window.
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (window_ != nullptr && from != window_ && from != fullScreenWindow_) {
        ClientToScreen(from, &point);
        ScreenToClient(window_, &point);
    }
    if (from == window_ && HandleControlBarMouse(message, point))
        return true;
    const bool clicks = properties_.Bool(kDispSendMouseClickEvents);
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (const HWND target = FocusTarget(); target != nullptr)
            SetFocus(target);
        doubleClicked_ = false;
        if (clicks)
            FireMouse(DISPID_MOUSEDOWN, wParam | (message == WM_LBUTTONDOWN   ? MK_LBUTTON
                                                  : message == WM_RBUTTONDOWN ? MK_RBUTTON
                                                                              : MK_MBUTTON),
                      point);
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        if (clicks) {
            FireMouse(DISPID_MOUSEUP, message == WM_LBUTTONUP   ? MK_LBUTTON
                                      : message == WM_RBUTTONUP ? MK_RBUTTON
                                                                : MK_MBUTTON,
                      point);
            if (!doubleClicked_) {
                std::vector<VARIANT> none;
                FireNow(DISPID_CLICK, none);
            }
        }
        doubleClicked_ = false;
        break;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        doubleClicked_ = true;
        if (clicks) {
            std::vector<VARIANT> none;
            FireNow(DISPID_DBLCLICK, none);
        }
        break;
    case WM_MOUSEMOVE:
        if (properties_.Bool(kDispSendMouseMoveEvents))
            FireMouse(DISPID_MOUSEMOVE, wParam, point);
        break;
    default:
        break;
    }
    return false;
}

LRESULT MediaPlayerControl::PlayerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<MediaPlayerControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self != nullptr && self->window_ == window) {
        switch (message) {
        case WM_SIZE:
            self->Layout();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint covers everything
        case WM_PAINT:
            self->PaintWindow();
            return 0;
        case WM_NCDESTROY:
            // Destroyed with its parent, without a Close first: forget it, so nothing is
            // placed in or sent to a dead window.
            self->window_ = nullptr;
            self->trackerDragging_ = false;
            break;
        case WM_TIMER:
            if (wParam == kTrackerTimer) {
                const RECT bar = self->ControlBarRect();
                InvalidateRect(window, &bar, FALSE);
                return 0;
            }
            break;
        default:
            if (IsInputMessage(message) && self->HandleInput(window, message, wParam, lParam))
                return 0;
            break;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT MediaPlayerControl::FullScreenWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<MediaPlayerControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_ERASEBKGND)
        return 1;
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        if (HDC dc = BeginPaint(window, &paint)) {
            RECT client{};
            GetClientRect(window, &client);
            PatBlt(dc, 0, 0, client.right, client.bottom, BLACKNESS);
            EndPaint(window, &paint);
        }
        return 0;
    }
    if (self != nullptr && IsInputMessage(message))
        self->HandleInput(window, message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT MediaPlayerControl::RendererHookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto& hooks = RendererHooks();
    const auto found = hooks.find(window);
    if (found == hooks.end())
        return DefWindowProcA(window, message, wParam, lParam);
    const RendererHook hook = found->second;
    if (message == WM_NCDESTROY) {
        hooks.erase(found);
        if (hook.control != nullptr && hook.control->hookedRenderer_ == window)
            hook.control->hookedRenderer_ = nullptr;
    } else if (hook.control != nullptr && IsInputMessage(message)) {
        hook.control->HandleInput(window, message, wParam, lParam);
    }
    return CallWindowProcA(hook.previous, window, message, wParam, lParam);
}

}  // namespace mediaplayer
