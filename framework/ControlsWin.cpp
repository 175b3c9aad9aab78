// TWinControl: its window (creation, take-over, destruction), its window procedure and
// message handling, and the state it passes on to the window (font, cursor, text, ...).
#include "framework/Controls.h"

#include "framework/Application.h"
#include "framework/ControlsWidget.h"
#include "framework/GraphicsQt.h"
#include "framework/Forms.h"
#include "platform/gdi/GdiQt.h"

#include <QCursor>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <set>
#include <unordered_map>

namespace {

std::unordered_map<HWND, TWinControl*>& HandleMap()
{
    static std::unordered_map<HWND, TWinControl*> map;
    return map;
}

// The control whose window is being created: its first message binds the new window.
TWinControl* creationControl = nullptr;

} // namespace

Qt::CursorShape QtCursorShape(TCursor cursor)
{
    switch (cursor) {
    case crNone:
        return Qt::BlankCursor;
    case crCross:
        return Qt::CrossCursor;
    case crIBeam:
        return Qt::IBeamCursor;
    case crSizeNESW:
        return Qt::SizeBDiagCursor;
    case crSizeNS:
        return Qt::SizeVerCursor;
    case crSizeNWSE:
        return Qt::SizeFDiagCursor;
    case crSizeWE:
        return Qt::SizeHorCursor;
    case crUpArrow:
        return Qt::UpArrowCursor;
    case crHourGlass:
        return Qt::WaitCursor;
    case crNo:
        return Qt::ForbiddenCursor;
    case crHandPoint:
        return Qt::PointingHandCursor;
    default:
        return Qt::ArrowCursor;
    }
}

namespace {

void RegisterFrameworkClass(const std::string& name, bool doubleClicks)
{
    static std::set<std::string> registered;
    if (registered.count(name) != 0)
        return;
    WNDCLASSA existing;
    if (GetClassInfoA(nullptr, name.c_str(), &existing) == FALSE) {
        WNDCLASSA windowClass;
        windowClass.style = doubleClicks ? CS_DBLCLKS : 0;
        windowClass.lpfnWndProc = FrameworkWindowProc;
        windowClass.lpszClassName = name.c_str();
        if (RegisterClassA(&windowClass) == 0)
            throw EInvalidOperation("Impossible d'enregistrer la classe de fenêtre " + name);
    }
    registered.insert(name);
}


} // namespace

LRESULT FrameworkWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    TWinControl* control = TWinControl::FindControl(window);
    if (control == nullptr && creationControl != nullptr && !creationControl->HandleAllocated()) {
        control = creationControl;
        control->BindHandle(window);
    }
    if (control == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    TMessage record{message, wParam, lParam, 0};
    control->MainWndProc(record);
    if (message == WM_NCDESTROY && control->handle_ == window)
        control->UnbindHandle();
    return record.Result;
}

const TClass& TWinControl::StaticClass()
{
    static const TClass cls = TClassBuilder<TWinControl>("TWinControl", &TControl::StaticClass())
        .Integer("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder)
        .StoredIf(&TWinControl::HasParent)
        .Boolean("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, false)
        .Event("OnKeyDown", &TWinControl::OnKeyDown)
        .Event("OnKeyPress", &TWinControl::OnKeyPress)
        .Event("OnKeyUp", &TWinControl::OnKeyUp)
        .Event("OnEnter", &TWinControl::OnEnter)
        .Event("OnExit", &TWinControl::OnExit)
        .Build();
    return cls;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl()
{
    if (handle_ != nullptr)
        UnbindHandle();
}

void TWinControl::BeforeDestruction()
{
    // From here on no window is made again, whatever the handlers of the last messages do.
    Destroying();
    if (TCustomForm* form = GetParentForm(this); form != nullptr && form != this)
        form->ControlGoing(this);
    // The window goes first, while the whole control can still answer its messages.
    try {
        DestroyHandle();
    } catch (...) {
        UnbindHandle();
    }
    for (TControl* child : controls_)
        child->parent_ = nullptr;
    controls_.clear();
    tabList_.clear();
    TControl::BeforeDestruction();
}

TWinControl* TWinControl::FindControl(HWND window)
{
    auto it = HandleMap().find(window);
    return it == HandleMap().end() ? nullptr : it->second;
}

void TWinControl::BindHandle(HWND window)
{
    handle_ = window;
    if (defWndProc_ == nullptr)
        defWndProc_ = DefWindowProcA;
    HandleMap()[window] = this;
}

void TWinControl::UnbindHandle()
{
    if (handle_ != nullptr) {
        auto it = HandleMap().find(handle_);
        if (it != HandleMap().end() && it->second == this)
            HandleMap().erase(it);
    }
    handle_ = nullptr;
    defWndProc_ = nullptr;
    takenOver_ = false;
}


HWND TWinControl::Handle()
{
    if (handle_ == nullptr)
        CreateHandle();
    return handle_;
}

bool TWinControl::CanHaveHandle() const
{
    if (handle_ != nullptr)
        return true;
    if (ComponentState().Contains(csDestroying))
        return false;
    return Parent() != nullptr ? Parent()->CanHaveHandle() : IsTopLevelWindow();
}

void TWinControl::CreateParams(TCreateParams& params)
{
    params.Caption = text_;
    params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (Visible())
        params.Style |= WS_VISIBLE;
    if (!Enabled())
        params.Style |= WS_DISABLED;
    if (tabStop_)
        params.Style |= WS_TABSTOP;
    if (clipChildren_)
        params.Style |= WS_CLIPCHILDREN;
    params.X = Left();
    params.Y = Top();
    params.Width = Width();
    params.Height = Height();
    params.WndParent = Parent() != nullptr ? Parent()->HandleOrNull() : nullptr;
    params.WinClassName = ClassName();
}

void TWinControl::CreateHandle()
{
    if (handle_ != nullptr)
        return;
    if (ComponentState().Contains(csDestroying))
        throw EInvalidOperation("Le contrôle '" + Name() + "' est en cours de destruction");
    if (Parent() != nullptr && !Parent()->HandleAllocated()) {
        Parent()->HandleNeeded(); // creates ours with its children
        if (handle_ != nullptr)
            return;
    }
    CreateWnd();
    ApplyFont();
    if (QWidget* widget = Widget()) {
        if (Cursor() != crDefault)
            widget->setCursor(QtCursorShape(Cursor()));
        HintChanged();
        if (tabStop_)
            widget->setFocusPolicy(Qt::StrongFocus);
        else if ((widget->focusPolicy() & Qt::ClickFocus) != 0)
            widget->setFocusPolicy(Qt::ClickFocus);
    }
    InitializeWindow();
    // Children after us, bottom first, so the window order matches the control order.
    const std::vector<TControl*> children = controls_;
    for (TControl* child : children) {
        if (auto* windowed = dynamic_cast<TWinControl*>(child); windowed != nullptr && !windowed->HandleAllocated())
            windowed->CreateHandle();
    }
    UpdateTabChain();
}

void TWinControl::CreateWnd()
{
    TCreateParams params;
    CreateParams(params);
    if ((params.Style & WS_CHILD) != 0 && params.WndParent == nullptr)
        throw EInvalidOperation("Le contrôle '" + Name() + "' n'a pas de fenêtre parente");
    RegisterFrameworkClass(params.WinClassName, controlStyle_.Contains(csDoubleClicks));
    TWinControl* saved = creationControl;
    creationControl = this;
    try {
        CreateWindowHandle(params);
    } catch (...) {
        creationControl = saved;
        throw;
    }
    creationControl = saved;
    if (handle_ == nullptr)
        throw EInvalidOperation("Impossible de créer la fenêtre de " + Name() + " (" + ClassName() + ")");
}

void TWinControl::CreateWindowHandle(const TCreateParams& params) { CreateWidgetHandle<QWidget>(params); }

void TWinControl::TakeOverWindow(HWND window)
{
    if (window == nullptr || !IsWindow(window))
        throw EInvalidOperation("Fenêtre invalide pour " + Name());
    if (handle_ != nullptr && handle_ != window)
        throw EInvalidOperation(Name() + " a déjà une fenêtre");
    defWndProc_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    BindHandle(window);
    takenOver_ = true;
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrameworkWindowProc));
}

void TWinControl::GiveBackWindow()
{
    if (handle_ == nullptr || !takenOver_)
        return;
    if (IsWindow(handle_) &&
        GetWindowLongPtrA(handle_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&FrameworkWindowProc))
        SetWindowLongPtrA(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(defWndProc_));
    // The window's children that are ours lose their parent window with it.
    for (TControl* child : controls_) {
        if (auto* windowed = dynamic_cast<TWinControl*>(child))
            windowed->DestroyHandle();
    }
    UnbindHandle();
}

void TWinControl::DestroyHandle()
{
    if (handle_ == nullptr)
        return;
    DestroyWnd();
}

void TWinControl::DestroyWnd()
{
    text_ = GetText();
    DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle()
{
    if (takenOver_) {
        GiveBackWindow();
        return;
    }
    const HWND window = handle_;
    DestroyWindow(window);
    if (handle_ == window) // a procedure that kept WM_NCDESTROY from us
        UnbindHandle();
}

void TWinControl::MainWndProc(TMessage& message)
{
    try {
        if (WindowProc.Assigned())
            WindowProc(message);
        else
            WndProc(message);
    } catch (...) {
        Application->HandleException(this);
    }
}

void TWinControl::WndProc(TMessage& message)
{
    const UINT msg = message.Msg;
    if (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) {
        // The control itself may take the key first (a hosted control does).
        if (Perform(CN_BASE + msg, message.WParam, message.LParam) != 0) {
            message.Result = 1;
            return;
        }
    }
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL) {
        if (MouseForGraphicChild(message))
            return;
        if (msg == WM_MOUSEMOVE)
            ShowCursorOf(this);
    }
    TControl::WndProc(message);
}

bool TWinControl::MouseForGraphicChild(TMessage& message)
{
    const int x = MessageX(message);
    const int y = MessageY(message);
    TControl* target = nullptr;
    TControl* capture = CaptureControl();
    if (capture != nullptr) {
        if (capture != this && capture->Parent() == this && dynamic_cast<TWinControl*>(capture) == nullptr)
            target = capture;
    } else {
        TControl* hit = ControlAtPos(Point(x, y));
        if (hit != nullptr && dynamic_cast<TWinControl*>(hit) == nullptr)
            target = hit;
    }
    if (target == nullptr)
        return false;
    message.Result = target->Perform(message.Msg, message.WParam, PointToLParam(x - target->Left(), y - target->Top()));
    if (message.Msg == WM_MOUSEMOVE)
        ShowCursorOf(target);
    return true;
}

void TWinControl::ShowCursorOf(const TControl* control)
{
    QWidget* widget = Widget();
    if (widget == nullptr)
        return;
    TCursor cursor = control->Cursor();
    if (cursor == crDefault && control != this)
        cursor = Cursor();
    if (cursor == crDefault)
        widget->unsetCursor();
    else
        widget->setCursor(QtCursorShape(cursor));
}

void TWinControl::HintChanged()
{
    if (QWidget* widget = Widget())
        widget->setToolTip(ShowHint() ? QString::fromStdString(Hint()) : QString());
}

void TWinControl::CursorChanged()
{
    if (HandleAllocated())
        ShowCursorOf(this);
}

void TWinControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_PAINT:
        WMPaint(message);
        return;
    case WM_WINDOWPOSCHANGING:
        WMWindowPosChanging(message);
        return;
    case WM_WINDOWPOSCHANGED:
        WMWindowPosChanged(message);
        return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        if (!controlStyle_.Contains(csNoStdEvents)) {
            WORD key = static_cast<WORD>(message.WParam);
            if (message.Msg == WM_KEYDOWN || message.Msg == WM_SYSKEYDOWN)
                KeyDown(key, KeyboardShiftState());
            else
                KeyUp(key, KeyboardShiftState());
            if (key == 0)
                return;
            message.WParam = key;
            if (message.Msg == WM_KEYDOWN && (key == VK_RETURN || key == VK_ESCAPE)) {
                TCustomForm* form = GetParentForm(this);
                if (form != nullptr && form->Perform(CM_DIALOGKEY, key, message.LParam) != 0)
                    return;
            }
        }
        DefaultHandler(message);
        return;
    }
    case WM_CHAR:
        if (!controlStyle_.Contains(csNoStdEvents) && message.WParam < 0x80) {
            char key = static_cast<char>(message.WParam);
            KeyPress(key);
            if (key == 0)
                return;
            message.WParam = static_cast<unsigned char>(key);
        }
        DefaultHandler(message);
        return;
    case WM_SETFOCUS:
        DefaultHandler(message);
        if (ComponentState().Contains(csDestroying))
            return;
        if (TCustomForm* form = GetParentForm(this))
            form->FocusArrived(this);
        DoEnter();
        return;
    case WM_KILLFOCUS:
        DefaultHandler(message);
        if (!ComponentState().Contains(csDestroying))
            DoExit();
        return;
    case WM_CAPTURECHANGED:
        // Someone else took the mouse: a drag of ours (or of a graphic child) is over.
        if (reinterpret_cast<HWND>(message.LParam) != handle_) {
            TControl* capture = CaptureControl();
            if (capture == this || (capture != nullptr && capture->Parent() == this &&
                                    dynamic_cast<TWinControl*>(capture) == nullptr))
                ForgetCaptureControl();
        }
        DefaultHandler(message);
        return;
    case WM_SYSCHAR:
        // Alt with a character: the form's controls get a chance to take it as their mnemonic.
        if (message.WParam != VK_SPACE) {
            TCustomForm* form = GetParentForm(this);
            if (form != nullptr && form->Perform(CM_DIALOGCHAR, message.WParam, message.LParam) != 0) {
                message.Result = 0;
                return;
            }
        }
        DefaultHandler(message);
        return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
        for (int i = 0; i < ControlCount() && message.Result == 0; ++i)
            message.Result = Controls(i)->Perform(message.Msg, message.WParam, message.LParam);
        return;
    default:
        TControl::Dispatch(message);
        return;
    }
}

void TWinControl::DefaultHandler(TMessage& message)
{
    if (handle_ == nullptr || defWndProc_ == nullptr)
        return;
    message.Result = CallWindowProcA(defWndProc_, handle_, message.Msg, message.WParam, message.LParam);
}

void TWinControl::WMWindowPosChanging(TMessage& message)
{
    auto* pos = reinterpret_cast<WINDOWPOS*>(message.LParam);
    if (pos != nullptr && (pos->flags & SWP_NOSIZE) == 0) {
        pos->cx = Constraints()->ConstrainWidth(pos->cx);
        pos->cy = Constraints()->ConstrainHeight(pos->cy);
    }
    DefaultHandler(message);
}

void TWinControl::WMWindowPosChanged(TMessage& message)
{
    DefaultHandler(message);
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(message.LParam);
    if (pos == nullptr || handle_ == nullptr)
        return;
    int left = Left(), top = Top(), width = Width(), height = Height();
    if ((pos->flags & SWP_NOMOVE) == 0) {
        left = pos->x;
        top = pos->y;
    }
    if ((pos->flags & SWP_NOSIZE) == 0) {
        width = pos->cx;
        height = pos->cy;
    }
    boundsFromWindow_ = true;
    try {
        SetBounds(left, top, width, height);
    } catch (...) {
        boundsFromWindow_ = false;
        throw;
    }
    boundsFromWindow_ = false;
}

void TWinControl::BoundsChanged(const TRect& oldBounds)
{
    if (handle_ != nullptr && !boundsFromWindow_)
        SetWindowPos(handle_, nullptr, Left(), Top(), Width(), Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    (void)oldBounds;
}


void TWinControl::KeyDown(WORD& key, TShiftState shift) { OnKeyDown(this, key, shift); }
void TWinControl::KeyUp(WORD& key, TShiftState shift) { OnKeyUp(this, key, shift); }
void TWinControl::KeyPress(char& key) { OnKeyPress(this, key); }
void TWinControl::DoEnter() { OnEnter(this); }
void TWinControl::DoExit() { OnExit(this); }

void TWinControl::ColorChanged()
{
    TControl::ColorChanged();
    for (TControl* child : std::vector<TControl*>(controls_))
        child->Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TWinControl::FontChanged()
{
    ApplyFont();
    TControl::FontChanged();
    for (TControl* child : std::vector<TControl*>(controls_))
        child->Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TWinControl::ApplyFont()
{
    if (QWidget* widget = Widget()) {
        widget->setFont(ToQFont(*Font()));
        // The disabled look keeps the style's own grey text.
        QPalette palette = widget->palette();
        const QColor text = ColorToQColor(Font()->Color());
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            palette.setColor(group, QPalette::WindowText, text);
            palette.setColor(group, QPalette::ButtonText, text);
            palette.setColor(group, QPalette::Text, text);
        }
        widget->setPalette(palette);
    }
}

void TWinControl::EnabledChanged()
{
    if (handle_ != nullptr)
        EnableWindow(handle_, Enabled() ? TRUE : FALSE);
}

void TWinControl::VisibleChanged()
{
    if (handle_ != nullptr)
        ShowWindow(handle_, Visible() ? SW_SHOW : SW_HIDE);
}

void TWinControl::SetText(const std::string& value)
{
    if (value == GetText())
        return;
    text_ = value;
    if (handle_ != nullptr)
        SetWindowTextA(handle_, value.c_str());
    Perform(CM_TEXTCHANGED, 0, 0);
    Invalidate();
}

std::string TWinControl::GetText() const
{
    if (handle_ == nullptr)
        return text_;
    const int length = GetWindowTextLengthA(handle_);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(handle_, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(0, copied)));
    return text;
}
