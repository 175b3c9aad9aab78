// TOleControl2's window: in-place activation, taking over the control's window, the
// messages handled on it, and the size given to the control in HIMETRIC units.
#include "axhost/OleControl.h"

#include "axhost/OleSupport.h"
#include "framework/Forms.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/Ole.h"

#include <cctype>

namespace {

// The point of a MSG built for a reflected key: no meaningful position.
constexpr LONG kNoPosition = 0x115DE1F1;

// Reflected notifications are numbered from CN_BASE in the framework and from OCM__BASE in
// controls; both keep the original message number as their offset.
constexpr UINT kReflectedRange = 0x400;

int PixelsToHimetric(int pixels) { return MulDiv(pixels, 2540, ScreenPixelsPerInch); }

} // namespace

void TOleControl2::CreateWnd()
{
    EnsureControl();
    if (InvisibleAtRuntime()) {
        TWinControl::CreateWnd();
        return;
    }
    const RECT bounds = BoundsRect().ToRECT();
    // The status does not tell whether the control became in-place active; the in-place
    // object it hands us through OnInPlaceActivate does.
    oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, ParentWindowHandle(), &bounds);
    if (!inPlaceObject_)
        throw EOleError("Echec de l'activation du contrôle OLE");
    HookControlWindow();
    if (!Visible() && IsWindowVisible(HandleOrNull()))
        ShowWindow(HandleOrNull(), SW_HIDE);
    OnWindowCreated(this);
}

void TOleControl2::HookControlWindow()
{
    if (!inPlaceObject_ || HandleAllocated())
        return;
    HWND window = nullptr;
    if (FAILED(inPlaceObject_->GetWindow(&window)) || window == nullptr)
        throw EOleError("Impossible d'obtenir le handle de fenêtre du contrôle OLE");
    TakeOverWindow(window);
}

void TOleControl2::DestroyWindowHandle()
{
    if (InvisibleAtRuntime() || !WindowTakenOver()) {
        TWinControl::DestroyWindowHandle();
        return;
    }
    GiveBackWindow();
    if (oleObject_)
        oleObject_->Close(OLECLOSE_NOSAVE);
}

void TOleControl2::SetBounds(int left, int top, int width, int height)
{
    if ((width != Width() && Width() > 0) || (height != Height() && Height() > 0)) {
        if (InvisibleAtRuntime()) {
            width = Width();
            height = Height();
        } else if (oleObject_) {
            SIZEL extent{PixelsToHimetric(width), PixelsToHimetric(height)};
            if (oleObject_->SetExtent(DVASPECT_CONTENT, &extent) != S_OK) {
                width = Width();
                height = Height();
            }
        }
    }
    TWinControl::SetBounds(left, top, width, height);
}

void TOleControl2::AmbientChanged(DISPID id)
{
    if (oleControl_)
        oleControl_->OnAmbientPropertyChange(id);
}

bool TOleControl2::HandleMnemonic(TMessage& message)
{
    if (!oleControl_ || !CanFocus())
        return false;
    CONTROLINFO info{};
    info.cb = sizeof info;
    if (FAILED(oleControl_->GetControlInfo(&info)) || info.cAccel == 0)
        return false;
    // The control's table speaks in keys: a letter is asked for as its key, whatever its case.
    WPARAM key = message.WParam;
    if (key < 0x80 && std::isalpha(static_cast<int>(key)))
        key = static_cast<WPARAM>(std::toupper(static_cast<int>(key)));
    MSG record;
    record.hwnd = HandleOrNull();
    record.message = WM_KEYDOWN;
    record.wParam = key;
    record.lParam = message.LParam;
    record.time = static_cast<DWORD>(GetMessageTime());
    if (!IsAccelerator(info.hAccel, info.cAccel, &record, nullptr))
        return false;
    oleControl_->OnMnemonic(&record);
    message.Result = 1;
    return true;
}

void TOleControl2::Dispatch(TMessage& message)
{
    const UINT msg = message.Msg;
    if (IsReflectedKeyMessage(msg) && inPlaceActiveObject_) {
        MSG record;
        record.hwnd = HandleOrNull();
        record.message = msg - CN_BASE;
        record.wParam = message.WParam;
        record.lParam = message.LParam;
        record.time = static_cast<DWORD>(GetMessageTime());
        record.pt = {kNoPosition, kNoPosition};
        if (inPlaceActiveObject_->TranslateAccelerator(&record) == S_OK) {
            message.Result = 1;
            return;
        }
    }
    switch (msg) {
    case CM_PARENTFONTCHANGED:
        if (ParentFont() && Connected()) {
            AmbientChanged(DISPID_AMBIENT_FONT);
            AmbientChanged(DISPID_AMBIENT_FORECOLOR);
        }
        break;
    case CM_PARENTCOLORCHANGED:
        if (ParentColor() && Connected())
            AmbientChanged(DISPID_AMBIENT_BACKCOLOR);
        break;
    case WM_ERASEBKGND:
        if (!InvisibleAtRuntime()) {
            DefaultHandler(message);
            return;
        }
        break;
    case WM_PAINT:
        if (!InvisibleAtRuntime()) {
            DefaultHandler(message);
            return;
        }
        WMPaint(message);
        return;
    case WM_QUERYNEWPALETTE:
        if (WindowTakenOver()) {
            message.Result = CallWindowProcA(PreviousWindowProc(), HandleOrNull(), msg, message.WParam, message.LParam);
            if (message.Result != 0)
                return;
        }
        break;
    case CM_DIALOGCHAR:
        if (HandleMnemonic(message))
            return;
        break;
    case CM_UIACTIVATE: {
        TCustomForm* form = GetParentForm(this);
        if ((form == nullptr || form->ActiveOleControl() != this) && oleObject_) {
            const RECT bounds = BoundsRect().ToRECT();
            oleObject_->DoVerb(OLEIVERB_UIACTIVATE, nullptr, this, 0, ParentWindowHandle(), &bounds);
        }
        return;
    }
    case CM_UIDEACTIVATE: {
        TCustomForm* form = GetParentForm(this);
        if ((form == nullptr || form->ActiveOleControl() == this) && inPlaceObject_) {
            inPlaceObject_->UIDeactivate();
            if (form != nullptr && form->ActiveControl() == this)
                OnUIDeactivate(FALSE);
        }
        return;
    }
    default:
        break;
    }
    TWinControl::Dispatch(message);
}

void TOleControl2::DefaultHandler(TMessage& message)
{
    if (!WindowTakenOver() || PreviousWindowProc() == nullptr || (miscStatus_ & OLEMISC_SIMPLEFRAME) != 0) {
        TWinControl::DefaultHandler(message);
        return;
    }
    UINT msg = message.Msg;
    if (msg >= CN_BASE && msg < CN_BASE + kReflectedRange)
        msg = OCM__BASE + (msg - CN_BASE);
    message.Result = CallWindowProcA(PreviousWindowProc(), HandleOrNull(), msg, message.WParam, message.LParam);
}

void TOleControl2::WMPaint(TMessage& message)
{
    HDC dc = reinterpret_cast<HDC>(message.WParam);
    PAINTSTRUCT paint;
    const bool own = dc == nullptr;
    if (own)
        dc = BeginPaint(HandleOrNull(), &paint);
    RECT client = ClientRect().ToRECT();
    if (dc != nullptr && oleObject_)
        OleDraw(oleObject_.Get(), DVASPECT_CONTENT, dc, &client);
    if (own)
        EndPaint(HandleOrNull(), &paint);
}
