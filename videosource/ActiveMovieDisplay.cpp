// TActiveMovie: where the video goes inside the panel (LayoutVideo and the settings that
// feed it), the set-up once the player's window exists, and the two window filters that
// catch key-ups in full screen for OnFullScreenKeyPress.
#include "videosource/ActiveMovie.h"

#include "framework/Dialogs.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>

namespace {

constexpr DISPID kShowControls = 23;
constexpr DISPID kDisplaySize = 1032;
constexpr DISPID kSourceWidth = 1001;
constexpr DISPID kSourceHeight = 1002;
constexpr LONG kFullScreen = 3;
constexpr LONG kFitToWindow = 4;

int RoundInt(double value) { return static_cast<int>(Round(value)); }

// side x zoom / 100, rounded halves to even, from a product in 64 bits; at most what a window
// can hold.
int ZoomedExtent(LONG side, int zoom)
{
    const double exact = static_cast<double>(std::int64_t{side} * zoom) / 100.0;
    return static_cast<int>(std::clamp<std::int64_t>(Round(exact), 0, TActiveMovie::kMaxPictureExtent));
}

// The renderer windows we replaced the procedure of, with the procedure they had and the
// component that hooked them. A window forgotten by its component (its media closed) keeps
// its entry until it dies or the component goes, so hooking it again never chains us to
// ourselves and no message ever reaches a component that is gone.
struct RendererHook {
    TActiveMovie* Owner = nullptr;
    WNDPROC Previous = nullptr;
};
std::map<HWND, RendererHook>& RendererHooks()
{
    static std::map<HWND, RendererHook> hooks;
    return hooks;
}

struct RendererSearch {
    HWND Found = nullptr;
};

BOOL FindRendererChild(HWND window, LPARAM param)
{
    char name[101] = {};
    GetClassNameA(window, name, 101);
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.find("renderer") == std::string::npos)
        return TRUE;
    reinterpret_cast<RendererSearch*>(param)->Found = window;
    return FALSE;
}

} // namespace

// --- LayoutVideo -----------------------------------------------------------------------------

void TActiveMovie::HideBars()
{
    if (hScrollBar_ != nullptr)
        hScrollBar_->SetVisible(false);
    if (vScrollBar_ != nullptr)
        vScrollBar_->SetVisible(false);
    if (cornerPanel_ != nullptr)
        cornerPanel_->SetVisible(false);
}

void TActiveMovie::PlaceVideoPanel(int x, int y, int w, int h)
{
    videoPanel_->SetBounds(x, y, w, h);
    if (repaint_)
        videoPanel_->Repaint();
    repaint_ = false;
    Refresh();
}

void TActiveMovie::LayoutVideo()
{
    if (player_ == nullptr || videoPanel_ == nullptr)
        return;
    // A video moved out of view takes no Tab: the focus would land on nothing to be seen.
    player_->SetTabStop(visible_ && !videoHidden_);
    const int cw = Width();
    const int ch = Height();
    if (cw == 0 || ch == 0)
        return;
    if (!visible_ || videoHidden_) {
        videoPanel_->SetBounds(Left() + player_->Width() + 500, Top() + player_->Height() + 500, player_->Width(),
                               player_->Height());
        HideBars();
        return;
    }
    const LONG sourceW = OpenState() == 6 ? GetDispInt(kSourceWidth) : 0;
    const LONG sourceH = sourceW != 0 ? GetDispInt(kSourceHeight) : 0;
    if (sourceW == 0 || sourceH == 0 || controlsShown_) {
        videoPanel_->SetBounds(0, 0, cw, ch);
        HideBars();
        repaint_ = false;
        Refresh();
        return;
    }

    const double r = static_cast<double>(sourceH) / sourceW;
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    TDisplaySize mode = displaySize_;
    if (mode == mpDefaultSize || mode == mpHalfSize || mode == mpDoubleSize) {
        const auto uw = static_cast<std::uint32_t>(sourceW);
        const auto uh = static_cast<std::uint32_t>(sourceH);
        w = mode == mpDefaultSize ? sourceW : mode == mpHalfSize ? static_cast<int>(uw / 2) : 2 * sourceW;
        h = mode == mpDefaultSize ? sourceH : mode == mpHalfSize ? static_cast<int>(uh / 2) : 2 * sourceH;
        if (w > cw || h > ch) {
            mode = mpFitToSize;
        } else {
            x = RoundInt((cw - w) / 2.0);
            y = RoundInt((ch - h) / 2.0);
        }
    }
    if (mode == mpFitToSize) {
        // The spare room in pixels decides, not the ratio of the sides.
        if (cw - sourceW < ch - sourceH) {
            w = cw;
            h = RoundInt(cw * r);
        } else {
            h = ch;
            w = RoundInt(ch / r);
        }
        x = RoundInt((cw - w) / 2.0);
        y = RoundInt((ch - h) / 2.0);
    }
    if (mode == mpCustomSize) {
        w = ZoomedExtent(sourceW, zoomSize_);
        h = ZoomedExtent(sourceH, zoomSize_);
        x = RoundInt((cw - w) / 2.0);
        y = RoundInt((ch - h) / 2.0);
        const int t = scrollBarsThickness_;
        if (showScrollBars_ && hScrollBar_ != nullptr && vScrollBar_ != nullptr && cornerPanel_ != nullptr) {
            const bool wide = cw < w;
            const bool tall = h > ch;
            if (wide) {
                hScrollBar_->SetSmallChange(RoundInt(w / 50.0));
                hScrollBar_->SetLargeChange(RoundInt(w / 10.0));
                const int m = tall ? w + t : w;
                const int position = RoundInt(m * scrollFractionX_);
                hScrollBar_->SetParams(position, 0, m);
                x = RoundInt(static_cast<double>(std::int64_t{cw - w} * hScrollBar_->Position()) / w);
            }
            if (tall) {
                vScrollBar_->SetSmallChange(RoundInt(h / 50.0));
                vScrollBar_->SetLargeChange(RoundInt(h / 10.0));
                const int m = wide ? h + t : h;
                const int position = RoundInt(m * scrollFractionY_);
                vScrollBar_->SetParams(position, 0, m);
                y = RoundInt(static_cast<double>(std::int64_t{ch - h} * vScrollBar_->Position()) / h);
            }
            if (wide && tall) {
                cornerPanel_->SetBounds(cw - t, ch - t, t, t);
                hScrollBar_->SetBounds(0, ch - t, cw - t, t);
                vScrollBar_->SetBounds(cw - t, 0, t, ch - t);
                cornerPanel_->SetVisible(true);
                hScrollBar_->SetVisible(true);
                vScrollBar_->SetVisible(true);
            } else if (wide) {
                hScrollBar_->SetBounds(0, ch - t, cw, t);
                hScrollBar_->SetVisible(true);
                vScrollBar_->SetVisible(false);
                cornerPanel_->SetVisible(false);
            } else if (tall) {
                vScrollBar_->SetBounds(cw - t, 0, t, ch);
                vScrollBar_->SetVisible(true);
                hScrollBar_->SetVisible(false);
                cornerPanel_->SetVisible(false);
            } else {
                HideBars();
            }
        } else {
            if (scrollFractionX_ != 0.5 || scrollFractionY_ != 0.5) {
                if (w > cw)
                    x = RoundInt((cw - w) * scrollFractionX_);
                if (h > ch)
                    y = RoundInt((ch - h) * scrollFractionY_);
            }
            HideBars();
        }
    } else {
        HideBars();
    }
    PlaceVideoPanel(x, y, w, h);
}

void TActiveMovie::ScrollBarScroll(TObject* Sender, TScrollCode, int& ScrollPos)
{
    auto* bar = static_cast<TScrollBar*>(Sender);
    if (bar->Max() == 0)
        return;
    const double fraction = static_cast<double>(ScrollPos) / bar->Max();
    if (bar == hScrollBar_)
        scrollFractionX_ = fraction;
    else
        scrollFractionY_ = fraction;
    repaint_ = true;
    LayoutVideo();
}

// --- display settings --------------------------------------------------------------------------

void TActiveMovie::SetDisplaySize(TDisplaySize value)
{
    if (controlsShown_) {
        if (value == mpCustomSize) {
            ShowMessage("this setting is not allowed when ShowControls is enabled. Disable ShowControls first.");
            return;
        }
        static constexpr LONG kMapped[] = {0, 1, 2, kFitToWindow};
        SetDispInt(kDisplaySize, kMapped[value]);
    } else {
        SetDispInt(kDisplaySize, kFitToWindow);
    }
    displaySize_ = value;
    LayoutVideo();
}

void TActiveMovie::ApplyDisplaySize() { SetDisplaySize(displaySize_); }

WordBool TActiveMovie::ShowControls() const
{
    controlsShown_ = GetDispBool(kShowControls);
    return controlsShown_;
}

void TActiveMovie::SetShowControls(WordBool value)
{
    if (value && displaySize_ == mpCustomSize) {
        ShowMessage("this setting is not allowed when DisplaySize = mpCustomSize. Set DisplaySize to another value "
                    "first.");
        return;
    }
    SetDispBool(kShowControls, value);
    const WordBool wasShown = controlsShown_;
    controlsShown_ = ToWordBool(value != 0);
    if (!value) {
        SetDispInt(kDisplaySize, kFitToWindow);
        ApplyDisplaySize();
    }
    if (!wasShown && controlsShown_)
        ApplyDisplaySize();
    LayoutVideo();
}

void TActiveMovie::SetShowScrollBars(WordBool value)
{
    showScrollBars_ = ToWordBool(value != 0);
    repaint_ = true;
    LayoutVideo();
}

void TActiveMovie::SetZoomSize(int value)
{
    if (value <= 0 || value == zoomSize_)
        return;
    zoomSize_ = value;
    if (displaySize_ == mpCustomSize)
        Perform(WM_SIZE, 0, 0);
}

void TActiveMovie::SetDisplayLogo(WordBool value)
{
    displayLogo_ = ToWordBool(value != 0);
    if (displayLogo_)
        videoHidden_ = WordFalse;
    else if (OpenState() != 6 || ReadyState() != 4 || GetDispInt(kSourceWidth) == 0)
        videoHidden_ = WordTrue;
    LayoutVideo();
}

void TActiveMovie::SetVisible(bool value)
{
    if (value == visible_)
        return;
    visible_ = value;
    if (!value) {
        // A component that follows its parent's colour shows it already, and must go on
        // following it (the colour setter would end that).
        if (Parent() != nullptr && !ParentColor()) {
            paintingUnremembered_ = true;
            SetColor(Parent()->Color());
            paintingUnremembered_ = false;
        }
    } else if (ParentColor()) {
        SetParentColor(true);
    } else {
        SetColor(rememberedColor_);
    }
    repaint_ = true;
    LayoutVideo();
}

void TActiveMovie::SetFullScreenMode(WordBool value)
{
    fullScreenMode_ = ToWordBool(value != 0);
    if (fullScreenMode_)
        SetDispInt(kDisplaySize, kFullScreen);
    else
        ApplyDisplaySize();
}

// --- the player's window -----------------------------------------------------------------------

void TActiveMovie::PlayerWindowCreated(TObject*)
{
    player_->SetParentColor(true);
    player_->SetAlign(alClient);
    SetClipChildren(true);
    videoPanel_->SetClipChildren(true);
    player_->SetClipChildren(true);
    if (!ComponentState().Contains(csDesigning) && auxWindow_ == nullptr) {
        auxWindow_ = new TForm(this);
        auxWindow_->SetVisible(false);
        auxPreviousProc_ = auxWindow_->WindowProc;
        auxWindow_->WindowProc.Assign(this, &TActiveMovie::AuxiliaryWindowProc);
        auxHooked_ = true;
        hScrollBar_->SetClipChildren(true);
        vScrollBar_->SetClipChildren(true);
        cornerPanel_->SetClipChildren(true);
        vScrollBar_->BringToFront();
        hScrollBar_->BringToFront();
        cornerPanel_->BringToFront();
    }
    LayoutVideo();
    OnCreate(this);
}

void TActiveMovie::FindRendererWindow()
{
    if (!HandleAllocated())
        return;
    RendererSearch search;
    EnumChildWindows(HandleOrNull(), &FindRendererChild, reinterpret_cast<LPARAM>(&search));
    if (search.Found == nullptr)
        return;
    RendererHook& hook = RendererHooks()[search.Found];
    const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(search.Found, GWLP_WNDPROC));
    if (current != &TActiveMovie::RendererFilter) {
        hook.Previous = current;
        SetWindowLongPtrA(search.Found, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TActiveMovie::RendererFilter));
    }
    hook.Owner = this;
    rendererWindow_ = search.Found;
    rendererPreviousProc_ = hook.Previous;
    SendMessageA(search.Found, WM_NULL, 0, 0);
}

void TActiveMovie::UnhookRendererWindow() noexcept
{
    auto& hooks = RendererHooks();
    for (auto it = hooks.begin(); it != hooks.end();) {
        if (it->second.Owner != this) {
            ++it;
            continue;
        }
        if (IsWindow(it->first))
            SetWindowLongPtrA(it->first, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second.Previous));
        it = hooks.erase(it);
    }
    rendererWindow_ = nullptr;
    rendererPreviousProc_ = nullptr;
}

LRESULT TActiveMovie::RendererFilter(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto& hooks = RendererHooks();
    auto it = hooks.find(window);
    if (it == hooks.end())
        return DefWindowProcA(window, message, wParam, lParam);
    const RendererHook hook = it->second;
    if (message == WM_KEYUP && hook.Owner->RecordKey(wParam, lParam))
        return 0;
    const LRESULT result = CallWindowProcA(hook.Previous, window, message, wParam, lParam);
    if (message == WM_NCDESTROY)
        hooks.erase(window);
    return result;
}

bool TActiveMovie::RecordKey(WPARAM key, LPARAM data)
{
    if (!OnFullScreenKeyPress.Assigned() || pendingKey_.Pending)
        return false;
    pendingKey_.Key = static_cast<WORD>(key);
    pendingKey_.Data = data;
    pendingKey_.Pending = true;
    return true;
}

void TActiveMovie::AuxiliaryWindowProc(TMessage& message)
{
    try {
        if (message.Msg == WM_WINDOWPOSCHANGING) {
            // Makes the control draw its still frame again.
            if (OpenState() == 6 && ControlPlayState() != 2)
                SeekToTime(timePosition_);
        } else if (message.Msg == WM_KEYUP) {
            if (GetDispInt(kDisplaySize) == kFullScreen && RecordKey(message.WParam, message.LParam)) {
                message.Result = 0;
                return;
            }
        }
    } catch (...) {
        HandleFrameworkException(this);
    }
    auxPreviousProc_(message);
}

void TActiveMovie::DeliverFullScreenKey()
{
    if (!OnFullScreenKeyPress.Assigned() || !pendingKey_.Pending)
        return;
    const WORD key = pendingKey_.Key;
    const LPARAM data = pendingKey_.Data;
    if (key == VK_ESCAPE) {
        ApplyDisplaySize();
    } else {
        const TShiftState keyboard = KeyboardShiftState();
        TShiftState shift;
        if (keyboard.Contains(ssShift))
            shift.Include(ssShift);
        if (keyboard.Contains(ssCtrl))
            shift.Include(ssCtrl);
        if ((static_cast<std::uint32_t>(data) & (1u << 29)) != 0)
            shift.Include(ssAlt);
        pendingKey_.Pending = false;
        OnFullScreenKeyPress(this, key, shift);
    }
    pendingKey_.Pending = false;
}
