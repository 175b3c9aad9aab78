// TWinControl and its window procedure; TGraphicControl and TCustomControl painting.
#include "framework/Controls.h"

#include "framework/Application.h"
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

// The canvas of a graphic control: its drawing area is the control, not the parent.
class TControlCanvas final : public TCanvas {
public:
    explicit TControlCanvas(const TControl* control) : control_(control) {}
    TRect ClipRect() override { return HandleAllocated() ? control_->ClientRect() : TRect{}; }

private:
    const TControl* control_; // the holder; not owned
};

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

QWidget* TWinControl::Widget() const { return handle_ != nullptr ? WindowWidget(handle_) : nullptr; }

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
        if (TCustomForm* form = GetParentForm(this))
            form->FocusArrived(this);
        DoEnter();
        return;
    case WM_KILLFOCUS:
        DefaultHandler(message);
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
    case CM_DIALOGKEY:
        for (int i = 0; i < ControlCount() && message.Result == 0; ++i)
            message.Result = Controls(i)->Perform(CM_DIALOGKEY, message.WParam, message.LParam);
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

void TWinControl::WMPaint(TMessage& message)
{
    ++paintCount_;
    if (NativePainting()) {
        DefaultHandler(message);
        return;
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle_, &paint);
    if (dc == nullptr) {
        DefaultHandler(message);
        return;
    }
    try {
        PaintWindow(dc);
        PaintControls(dc, TRect::FromRECT(paint.rcPaint));
    } catch (...) {
        EndPaint(handle_, &paint);
        throw;
    }
    EndPaint(handle_, &paint);
}

void TWinControl::PaintWindow(HDC dc)
{
    if (QPainter* painter = DCPainter(dc))
        painter->fillRect(QRect(0, 0, Width(), Height()), ColorToQColor(Color()));
}

void TWinControl::PaintControls(HDC dc, const TRect& area)
{
    QPainter* painter = DCPainter(dc);
    if (painter == nullptr)
        return;
    const std::vector<TControl*> children = controls_;
    for (TControl* child : children) {
        auto* graphic = dynamic_cast<TGraphicControl*>(child);
        if (graphic == nullptr || !graphic->Visible())
            continue;
        const TRect bounds = graphic->BoundsRect();
        if (bounds.IsEmpty() || bounds.Right <= area.Left || bounds.Left >= area.Right ||
            bounds.Bottom <= area.Top || bounds.Top >= area.Bottom)
            continue;
        painter->save();
        painter->translate(bounds.Left, bounds.Top);
        painter->setClipRect(QRect(0, 0, bounds.Width(), bounds.Height()), Qt::IntersectClip);
        TCanvas* canvas = graphic->Canvas();
        canvas->SetHandle(dc);
        try {
            graphic->Paint();
        } catch (...) {
            canvas->SetHandle(nullptr);
            painter->restore();
            throw;
        }
        canvas->SetHandle(nullptr);
        painter->restore();
    }
}

void TWinControl::RepaintArea(const TRect& area)
{
    if (!HandleAllocated()) {
        if (!CanHaveHandle())
            return;
        HandleNeeded();
    }
    QWidget* widget = Widget();
    if (widget == nullptr || area.IsEmpty())
        return;
    const int before = paintCount_;
    if (widget->isVisible())
        widget->repaint(ToQRect(area));
    if (paintCount_ == before)
        PaintOffscreen(area);
}

bool TWinControl::PaintOffscreen(const TRect& area)
{
    QWidget* widget = Widget();
    if (widget == nullptr)
        return false;
    // A window that is hidden or not on a screen still paints, into an image that is then
    // dropped: what the paint computes is what counts.
    QImage image(std::max(1, Width()), std::max(1, Height()), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setClipRect(ToQRect(area));
    HDC dc = CreatePainterDC(&painter, image.width(), image.height());
    if (dc == nullptr)
        return false;
    ++paintCount_;
    // As for a paint sent through the window, a failing paint is reported, not passed on.
    try {
        if (!NativePainting())
            PaintWindow(dc);
        PaintControls(dc, area);
    } catch (...) {
        DeletePainterDC(dc);
        Application->HandleException(this);
        return true;
    }
    DeletePainterDC(dc);
    return true;
}

void TWinControl::Invalidate()
{
    if (handle_ != nullptr)
        InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::Update()
{
    if (handle_ != nullptr)
        UpdateWindow(handle_);
}

void TWinControl::Repaint()
{
    if (!Visible())
        return;
    RepaintArea(ClientRect());
}

TControl* TWinControl::Controls(int index) const
{
    if (index < 0 || index >= ControlCount())
        throw EInvalidOperation("Indice de contrôle hors limites (" + std::to_string(index) + ")");
    return controls_[static_cast<std::size_t>(index)];
}

bool TWinControl::ContainsControl(const TControl* control) const
{
    for (const TControl* c = control; c != nullptr; c = c->Parent()) {
        if (c == this)
            return true;
    }
    return false;
}

void TWinControl::InsertControl(TControl* control)
{
    if (control == nullptr || control->Parent() == this)
        return;
    if (auto* windowed = dynamic_cast<TWinControl*>(control); windowed != nullptr && windowed->ContainsControl(this))
        throw EInvalidOperation("Un contrôle ne peut pas contenir son propre parent");
    controls_.push_back(control);
    control->parent_ = this;
    auto* windowed = dynamic_cast<TWinControl*>(control);
    if (windowed != nullptr)
        tabList_.push_back(windowed);
    if (control->ParentColor() && control->Color() != Color()) {
        control->color_ = Color();
        control->ColorChanged();
    }
    if (control->ParentFont())
        control->SetParentFont(true);
    if (HandleAllocated()) {
        if (windowed != nullptr) {
            if (windowed->HandleAllocated() && !windowed->IsTopLevelWindow())
                ::SetParent(windowed->HandleOrNull(), handle_);
            else if (!windowed->IsTopLevelWindow())
                windowed->CreateHandle();
            UpdateTabChain();
        } else {
            control->Invalidate();
        }
    }
    if (control->Align() != alNone)
        Realign();
}

void TWinControl::RemoveControl(TControl* control)
{
    auto it = std::find(controls_.begin(), controls_.end(), control);
    if (it == controls_.end())
        return;
    if (CaptureControl() == control)
        SetCaptureControl(nullptr);
    auto* windowed = dynamic_cast<TWinControl*>(control);
    if (windowed != nullptr && windowed->HandleAllocated() && !windowed->IsTopLevelWindow())
        windowed->DestroyHandle();
    else
        control->Invalidate();
    controls_.erase(std::find(controls_.begin(), controls_.end(), control));
    if (windowed != nullptr)
        tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), windowed), tabList_.end());
    control->parent_ = nullptr;
    if (control->Align() != alNone)
        Realign();
}

TControl* TWinControl::ControlAtPos(TPoint point, bool allowDisabled) const
{
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* control = *it;
        if (!control->Visible() || (!control->Enabled() && !allowDisabled))
            continue;
        const TRect r = control->BoundsRect();
        if (point.X >= r.Left && point.X < r.Right && point.Y >= r.Top && point.Y < r.Bottom)
            return control;
    }
    return nullptr;
}

void TWinControl::MoveControlInZOrder(TControl* control, bool toFront)
{
    auto it = std::find(controls_.begin(), controls_.end(), control);
    if (it == controls_.end())
        return;
    controls_.erase(it);
    if (toFront)
        controls_.push_back(control);
    else
        controls_.insert(controls_.begin(), control);
    if (auto* windowed = dynamic_cast<TWinControl*>(control); windowed != nullptr && windowed->HandleAllocated())
        SetWindowPos(windowed->HandleOrNull(), toFront ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    control->Invalidate();
}

int TWinControl::TabOrder() const
{
    if (Parent() == nullptr)
        return -1;
    const auto& list = Parent()->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int value)
{
    if (Parent() == nullptr)
        return;
    auto& list = Parent()->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end())
        return;
    list.erase(it);
    value = std::clamp(value, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + value, this);
    Parent()->UpdateTabChain();
}

void TWinControl::UpdateTabChain()
{
    QWidget* previous = nullptr;
    for (TWinControl* control : tabList_) {
        QWidget* widget = control->Widget();
        if (widget == nullptr)
            continue;
        if (previous != nullptr)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

void TWinControl::SetTabStop(bool value)
{
    tabStop_ = value;
    if (QWidget* widget = Widget())
        widget->setFocusPolicy(value ? Qt::StrongFocus : Qt::ClickFocus);
}

bool TWinControl::CanFocus() const
{
    for (const TWinControl* c = this; c != nullptr; c = c->Parent()) {
        if (!c->Visible() || !c->Enabled())
            return false;
    }
    return true;
}

bool TWinControl::Focused() const { return handle_ != nullptr && GetFocus() == handle_; }

void TWinControl::SetFocus()
{
    if (!CanFocus())
        throw EInvalidOperation("Impossible de focaliser une fenêtre désactivée ou invisible");
    ::SetFocus(Handle());
}

void TWinControl::SetClipChildren(bool value)
{
    clipChildren_ = value;
    if (handle_ != nullptr) {
        const LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
        SetWindowLongPtrA(handle_, GWL_STYLE,
                          value ? (style | WS_CLIPCHILDREN) : (style & ~static_cast<LONG_PTR>(WS_CLIPCHILDREN)));
    }
}

bool TWinControl::Showing() const
{
    return handle_ != nullptr && IsWindowVisible(handle_) != FALSE;
}

void TWinControl::Realign()
{
    if (!ComponentState().Contains(csLoading))
        AlignControls();
}

void TWinControl::AlignControls()
{
    if (aligning_)
        return;
    aligning_ = true;
    try {
        TRect r = AlignRect();
        for (TAlign kind : {alTop, alBottom, alLeft, alRight, alClient}) {
            const std::vector<TControl*> children = controls_;
            for (TControl* child : children) {
                if (child->Align() != kind || !child->Visible())
                    continue;
                switch (kind) {
                case alTop:
                    child->SetBounds(r.Left, r.Top, r.Width(), child->Height());
                    r.Top += child->Height();
                    break;
                case alBottom:
                    child->SetBounds(r.Left, r.Bottom - child->Height(), r.Width(), child->Height());
                    r.Bottom -= child->Height();
                    break;
                case alLeft:
                    child->SetBounds(r.Left, r.Top, child->Width(), r.Height());
                    r.Left += child->Width();
                    break;
                case alRight:
                    child->SetBounds(r.Right - child->Width(), r.Top, child->Width(), r.Height());
                    r.Right -= child->Width();
                    break;
                default:
                    child->SetBounds(r.Left, r.Top, r.Width(), r.Height());
                    break;
                }
            }
        }
    } catch (...) {
        aligning_ = false;
        throw;
    }
    aligning_ = false;
}

void TWinControl::Loaded()
{
    TControl::Loaded();
    Realign();
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
        widget->setFont(Font()->ToQFont());
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

// --- TGraphicControl -------------------------------------------------------------------------

const TClass& TGraphicControl::StaticClass()
{
    static const TClass cls = TClassBuilder<TGraphicControl>("TGraphicControl", &TControl::StaticClass()).Build();
    return cls;
}

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), canvas_(std::make_unique<TControlCanvas>(this))
{
}

TGraphicControl::~TGraphicControl() = default;

// --- TCustomControl --------------------------------------------------------------------------

const TClass& TCustomControl::StaticClass()
{
    static const TClass cls = TClassBuilder<TCustomControl>("TCustomControl", &TWinControl::StaticClass()).Build();
    return cls;
}

TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner), canvas_(std::make_unique<TControlCanvas>(this))
{
}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(HDC dc)
{
    TWinControl::PaintWindow(dc);
    canvas_->SetHandle(dc);
    try {
        Paint();
    } catch (...) {
        canvas_->SetHandle(nullptr);
        throw;
    }
    canvas_->SetHandle(nullptr);
}
