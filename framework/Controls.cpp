#include "framework/Controls.h"

#include "framework/Application.h"
#include "framework/ControlsWidget.h"

#include <QCursor>
#include <QWidget>

#include <algorithm>

const TEnumInfo AlignInfo{"TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"}};
const TEnumInfo AnchorKindInfo{"TAnchorKind", {"akLeft", "akTop", "akRight", "akBottom"}};

namespace {

TControl* captureControl = nullptr; // not owned; cleared when it goes

} // namespace

// --- TSizeConstraints -------------------------------------------------------------------

const TClass& TSizeConstraints::StaticClass()
{
    static const TClass cls = TClassBuilder<TSizeConstraints>("TSizeConstraints", &TPersistent::StaticClass())
        .Integer("MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight, 0)
        .Integer("MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth, 0)
        .Integer("MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight, 0)
        .Integer("MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth, 0)
        .Build();
    return cls;
}

void TSizeConstraints::Assign(const TPersistent* source)
{
    if (const auto* other = dynamic_cast<const TSizeConstraints*>(source)) {
        minWidth_ = other->minWidth_;
        maxWidth_ = other->maxWidth_;
        minHeight_ = other->minHeight_;
        maxHeight_ = other->maxHeight_;
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

TPersistent* TSizeConstraints::GetOwner() const { return control_; }

void TSizeConstraints::SetMinWidth(int value)
{
    value = std::max(0, value);
    if (value == minWidth_)
        return;
    minWidth_ = value;
    if (maxWidth_ > 0 && maxWidth_ < minWidth_)
        maxWidth_ = minWidth_;
    Changed();
}

void TSizeConstraints::SetMaxWidth(int value)
{
    value = std::max(0, value);
    if (value > 0 && value < minWidth_)
        value = minWidth_;
    if (value == maxWidth_)
        return;
    maxWidth_ = value;
    Changed();
}

void TSizeConstraints::SetMinHeight(int value)
{
    value = std::max(0, value);
    if (value == minHeight_)
        return;
    minHeight_ = value;
    if (maxHeight_ > 0 && maxHeight_ < minHeight_)
        maxHeight_ = minHeight_;
    Changed();
}

void TSizeConstraints::SetMaxHeight(int value)
{
    value = std::max(0, value);
    if (value > 0 && value < minHeight_)
        value = minHeight_;
    if (value == maxHeight_)
        return;
    maxHeight_ = value;
    Changed();
}

int TSizeConstraints::ConstrainWidth(int width) const noexcept
{
    if (maxWidth_ > 0 && width > maxWidth_)
        width = maxWidth_;
    if (width < minWidth_)
        width = minWidth_;
    return width;
}

int TSizeConstraints::ConstrainHeight(int height) const noexcept
{
    if (maxHeight_ > 0 && height > maxHeight_)
        height = maxHeight_;
    if (height < minHeight_)
        height = minHeight_;
    return height;
}

void TSizeConstraints::Changed() { OnChange(this); }

// --- TControl ----------------------------------------------------------------------------

const TClass& TControl::StaticClass()
{
    static const TClass cls = TClassBuilder<TControl>("TControl", &TComponent::StaticClass())
        .Integer("Left", &TControl::Left, &TControl::SetLeft)
        .Integer("Top", &TControl::Top, &TControl::SetTop)
        .Integer("Width", &TControl::Width, &TControl::SetWidth)
        .Integer("Height", &TControl::Height, &TControl::SetHeight)
        .Enum("Align", AlignInfo, &TControl::Align, &TControl::SetAlign, alNone)
        .Set("Anchors", AnchorKindInfo, &TControl::Anchors, &TControl::SetAnchors, TAnchors{akLeft, akTop})
        .Nested("Constraints", &TControl::Constraints)
        .Boolean("Visible", &TControl::Visible, &TControl::SetVisible, true)
        .Boolean("Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
        .Integer("Color", &TControl::Color, &TControl::SetColor)
        .StoredIf(&TControl::IsColorStored)
        .Boolean("ParentColor", &TControl::ParentColor, &TControl::SetParentColor)
        .Nested("Font", &TControl::Font)
        .StoredIf(&TControl::IsFontStored)
        .Boolean("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, true)
        .Integer("Cursor", &TControl::Cursor, &TControl::SetCursor, crDefault)
        .String("Caption", &TControl::Caption, &TControl::SetCaption, "")
        .String("Hint", &TControl::Hint, &TControl::SetHint, "")
        .Boolean("ShowHint", &TControl::ShowHint, &TControl::SetShowHint, false)
        .Event("OnClick", &TControl::OnClick)
        .Event("OnDblClick", &TControl::OnDblClick)
        .Event("OnMouseDown", &TControl::OnMouseDown)
        .Event("OnMouseMove", &TControl::OnMouseMove)
        .Event("OnMouseUp", &TControl::OnMouseUp)
        .Event("OnResize", &TControl::OnResize)
        .Event("OnDragDrop", &TControl::OnDragDrop)
        .Event("OnDragOver", &TControl::OnDragOver)
        .Event("OnEndDrag", &TControl::OnEndDrag)
        .Event("OnStartDrag", &TControl::OnStartDrag)
        .Build();
    return cls;
}

TControl::TControl(TComponent* owner)
    : TComponent(owner), font_(std::make_unique<TFont>()),
      constraints_(std::make_unique<TSizeConstraints>(this))
{
    font_->OnChange.Assign(this, &TControl::FontChangedSlot);
    constraints_->OnChange.Assign(this, &TControl::ConstraintsChanged);
    WindowProc.Assign(this, &TControl::WndProc);
}

TControl::~TControl()
{
    if (captureControl == this)
        captureControl = nullptr;
}

void TControl::BeforeDestruction()
{
    if (captureControl == this)
        SetCaptureControl(nullptr);
    if (parent_ != nullptr)
        SetParent(nullptr);
    TComponent::BeforeDestruction();
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    width = constraints_->ConstrainWidth(std::max(0, width));
    height = constraints_->ConstrainHeight(std::max(0, height));
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    const TRect old = BoundsRect();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    BoundsChanged(old);
    if (old.Width() != width_ || old.Height() != height_) {
        if (auto* self = dynamic_cast<TWinControl*>(this)) {
            for (int i = 0; i < self->ControlCount(); ++i)
                self->Controls(i)->AnchorsParentResized(width_ - old.Width(), height_ - old.Height());
            self->Realign();
        }
        Resize();
    }
    RequestAlign();
}

void TControl::BoundsChanged(const TRect& oldBounds)
{
    if (parent_ != nullptr && parent_->HandleAllocated() && visible_) {
        const RECT oldRect = oldBounds.ToRECT();
        const RECT newRect = BoundsRect().ToRECT();
        InvalidateRect(parent_->HandleOrNull(), &oldRect, TRUE);
        InvalidateRect(parent_->HandleOrNull(), &newRect, TRUE);
    }
}

void TControl::AnchorsParentResized(int dw, int dh)
{
    if (align_ != alNone || ComponentState().Contains(csLoading))
        return;
    int left = left_, top = top_, width = width_, height = height_;
    if (anchors_.Contains(akRight)) {
        if (anchors_.Contains(akLeft))
            width += dw;
        else
            left += dw;
    }
    if (anchors_.Contains(akBottom)) {
        if (anchors_.Contains(akTop))
            height += dh;
        else
            top += dh;
    }
    SetBounds(left, top, width, height);
}

TPoint TControl::ClientOrigin() const
{
    if (parent_ == nullptr)
        return Point(0, 0);
    const TPoint parentOrigin = parent_->ClientOrigin();
    return Point(parentOrigin.X + left_, parentOrigin.Y + top_);
}

namespace {

// Where the client area of the window at the top of `control`'s parents lies on the screen
// (frame and all, as the window system placed it); (0, 0) while it has no window.
TPoint TopWindowOnScreen(const TControl& control)
{
    const TControl* top = &control;
    while (top->Parent() != nullptr)
        top = top->Parent();
    const auto* window = dynamic_cast<const TWinControl*>(top);
    POINT origin{0, 0};
    if (window == nullptr || !window->HandleAllocated() || !::ClientToScreen(window->HandleOrNull(), &origin))
        return Point(0, 0);
    return Point(origin.x, origin.y);
}

} // namespace

TPoint TControl::ClientToScreen(TPoint point) const
{
    const TPoint origin = ClientOrigin();
    const TPoint screen = TopWindowOnScreen(*this);
    return Point(point.X + origin.X + screen.X, point.Y + origin.Y + screen.Y);
}

TPoint TControl::ScreenToClient(TPoint point) const
{
    const TPoint origin = ClientOrigin();
    const TPoint screen = TopWindowOnScreen(*this);
    return Point(point.X - origin.X - screen.X, point.Y - origin.Y - screen.Y);
}

void TControl::SetAlign(TAlign value)
{
    if (value == align_)
        return;
    align_ = value;
    if (value == alClient || value == alNone)
        anchors_ = {akLeft, akTop};
    RequestAlign();
}

void TControl::RequestAlign()
{
    if (parent_ != nullptr && align_ != alNone && !ComponentState().Contains(csLoading))
        parent_->Realign();
}

void TControl::ConstraintsChanged(TObject*)
{
    SetBounds(left_, top_, width_, height_);
}

void TControl::SetVisible(bool value)
{
    if (value == visible_)
        return;
    visible_ = value;
    VisibleChanged();
    Perform(CM_VISIBLECHANGED, value ? 1 : 0, 0);
    if (align_ != alNone)
        RequestAlign();
}

void TControl::VisibleChanged()
{
    if (parent_ != nullptr && parent_->HandleAllocated()) {
        const RECT area = BoundsRect().ToRECT();
        InvalidateRect(parent_->HandleOrNull(), &area, TRUE);
    }
}

void TControl::Show()
{
    SetVisible(true);
    BringToFront();
}

bool TControl::Showing() const { return visible_ && parent_ != nullptr && parent_->Showing(); }

void TControl::SetEnabled(bool value)
{
    if (value == enabled_)
        return;
    enabled_ = value;
    EnabledChanged();
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::EnabledChanged() { Invalidate(); }

void TControl::SetParent(TWinControl* parent)
{
    if (parent == parent_)
        return;
    if (parent == this)
        throw EInvalidOperation("Un contrôle ne peut pas être son propre parent");
    if (parent_ != nullptr)
        parent_->RemoveControl(this);
    if (parent != nullptr)
        parent->InsertControl(this);
}

TComponent* TControl::GetParentComponent() const { return parent_; }

void TControl::SetParentComponent(TComponent* parent)
{
    auto* windowed = dynamic_cast<TWinControl*>(parent);
    if (parent != nullptr && windowed == nullptr)
        throw EInvalidOperation(parent->Name() + " ne peut pas contenir de contrôles");
    SetParent(windowed);
}

void TControl::SetColor(TColor value)
{
    parentColor_ = false;
    if (value == color_)
        return;
    color_ = value;
    ColorChanged();
}

void TControl::SetParentColor(bool value)
{
    parentColor_ = value;
    if (value && parent_ != nullptr && parent_->Color() != color_) {
        color_ = parent_->Color();
        ColorChanged();
    }
}

void TControl::ColorChanged()
{
    Invalidate();
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentFont(bool value)
{
    parentFont_ = value;
    if (value && parent_ != nullptr) {
        applyingParentFont_ = true;
        try {
            font_->Assign(parent_->Font());
        } catch (...) {
            applyingParentFont_ = false;
            throw;
        }
        applyingParentFont_ = false;
    }
}

void TControl::FontChangedSlot(TObject*)
{
    if (!applyingParentFont_)
        parentFont_ = false;
    FontChanged();
}

void TControl::FontChanged()
{
    Invalidate();
    Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor value)
{
    if (value == cursor_)
        return;
    cursor_ = value;
    CursorChanged();
}

void TControl::CursorChanged()
{
    // A graphic control's shape shows through its parent's window while the pointer is
    // over it; handlers change it during a move, so it must show at once.
    if (parent_ == nullptr || parent_->Widget() == nullptr)
        return;
    QWidget* widget = parent_->Widget();
    const QPoint local = widget->mapFromGlobal(QCursor::pos());
    if (captureControl == this || parent_->ControlAtPos(Point(local.x(), local.y())) == this)
        parent_->ShowCursorOf(this);
}

void TControl::SetText(const std::string& value)
{
    if (value == text_)
        return;
    text_ = value;
    Perform(CM_TEXTCHANGED, 0, 0);
    Invalidate();
}

void TControl::SetHint(const std::string& value)
{
    hint_ = value;
    HintChanged();
}

void TControl::SetShowHint(bool value)
{
    showHint_ = value;
    HintChanged();
}

void TControl::ForgetCaptureControl() { captureControl = nullptr; }

void TControl::Invalidate()
{
    if (parent_ != nullptr && parent_->HandleAllocated() && visible_) {
        const RECT area = BoundsRect().ToRECT();
        InvalidateRect(parent_->HandleOrNull(), &area, TRUE);
    }
}

void TControl::Update()
{
    if (parent_ != nullptr)
        parent_->Update();
}

void TControl::Repaint()
{
    if (parent_ == nullptr || !visible_)
        return;
    parent_->RepaintArea(BoundsRect());
}

void TControl::BringToFront()
{
    if (parent_ != nullptr)
        parent_->MoveControlInZOrder(this, true);
}

void TControl::SendToBack()
{
    if (parent_ != nullptr)
        parent_->MoveControlInZOrder(this, false);
}

LRESULT TControl::Perform(UINT message, WPARAM wParam, LPARAM lParam)
{
    TMessage record{message, wParam, lParam, 0};
    if (WindowProc.Assigned())
        WindowProc(record);
    else
        WndProc(record);
    return record.Result;
}

void TControl::WndProc(TMessage& message)
{
    const UINT msg = message.Msg;
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL) {
        const bool down = msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN ||
                          msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
        const bool up = msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP;
        if (down && controlStyle_.Contains(csCaptureMouse))
            SetCaptureControl(this);
        if (msg == WM_LBUTTONDOWN && controlStyle_.Contains(csClickEvents))
            controlState_.Include(csClicked);
        // The last button up lets the mouse go before anything reports the click, whose
        // handler may run a modal loop (a dialog, a modal form) that needs the mouse.
        if (up && (message.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && captureControl == this)
            SetCaptureControl(nullptr);
        if (msg == WM_LBUTTONUP && controlState_.Contains(csClicked)) {
            controlState_.Exclude(csClicked);
            const int x = MessageX(message);
            const int y = MessageY(message);
            if (x >= 0 && y >= 0 && x < width_ && y < height_)
                Click();
        }
        Dispatch(message);
        return;
    }
    Dispatch(message);
}

void TControl::Dispatch(TMessage& message)
{
    const bool stdEvents = !controlStyle_.Contains(csNoStdEvents);
    const int x = MessageX(message);
    const int y = MessageY(message);
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
        const UINT base = message.Msg >= WM_MBUTTONDOWN ? WM_MBUTTONDOWN
                          : message.Msg >= WM_RBUTTONDOWN ? WM_RBUTTONDOWN
                                                         : WM_LBUTTONDOWN;
        const TMouseButton button = base == WM_LBUTTONDOWN ? mbLeft : base == WM_RBUTTONDOWN ? mbRight : mbMiddle;
        TShiftState shift = ShiftStateFromMouseKeys(message.WParam);
        const bool dbl = message.Msg == base + 2;
        if (dbl) {
            shift.Include(ssDouble);
            if (button == mbLeft)
                DblClick();
        }
        if (stdEvents)
            MouseDown(button, shift, x, y);
        DefaultHandler(message);
        return;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        const TMouseButton button = message.Msg == WM_LBUTTONUP ? mbLeft : message.Msg == WM_RBUTTONUP ? mbRight : mbMiddle;
        if (stdEvents)
            MouseUp(button, ShiftStateFromMouseKeys(message.WParam), x, y);
        DefaultHandler(message);
        return;
    }
    case WM_MOUSEMOVE:
        if (stdEvents)
            MouseMove(ShiftStateFromMouseKeys(message.WParam), x, y);
        DefaultHandler(message);
        return;
    case CM_PARENTCOLORCHANGED:
        if (parentColor_ && parent_ != nullptr && parent_->Color() != color_) {
            color_ = parent_->Color();
            ColorChanged();
        }
        return;
    case CM_PARENTFONTCHANGED:
        if (parentFont_)
            SetParentFont(true);
        return;
    default:
        DefaultHandler(message);
        return;
    }
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::Click() { OnClick(this); }
void TControl::DblClick() { OnDblClick(this); }

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) { OnMouseMove(this, shift, x, y); }

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    OnMouseUp(this, button, shift, x, y);
}

void TControl::Resize() { OnResize(this); }

void TControl::Loaded()
{
    TComponent::Loaded();
    if (parent_ != nullptr) {
        if (parentColor_ && parent_->Color() != color_) {
            color_ = parent_->Color();
            ColorChanged();
        }
        if (parentFont_)
            SetParentFont(true);
    }
    RequestAlign();
}

void TControl::SetControlStateFlag(TControlStateItem item, bool on)
{
    if (on)
        controlState_.Include(item);
    else
        controlState_.Exclude(item);
}

HWND TControl::ParentWindowHandle() const
{
    return parent_ != nullptr ? parent_->HandleOrNull() : nullptr;
}

TControl* TControl::CaptureControl() { return captureControl; }

void TControl::SetCaptureControl(TControl* control)
{
    captureControl = control;
    if (control == nullptr) {
        if (GetCapture() != nullptr)
            ReleaseCapture();
        return;
    }
    // The window that receives the mouse: the control's own, or its parent's for a
    // graphic control.
    HWND window = nullptr;
    if (auto* windowed = dynamic_cast<TWinControl*>(control))
        window = windowed->HandleOrNull();
    else
        window = control->ParentWindowHandle();
    if (window != nullptr)
        SetCapture(window);
}

// --- helpers -------------------------------------------------------------------------------

TShiftState ShiftStateFromMouseKeys(WPARAM keys)
{
    TShiftState shift;
    if ((keys & MK_SHIFT) != 0)
        shift.Include(ssShift);
    if ((keys & MK_CONTROL) != 0)
        shift.Include(ssCtrl);
    if ((keys & MK_LBUTTON) != 0)
        shift.Include(ssLeft);
    if ((keys & MK_RBUTTON) != 0)
        shift.Include(ssRight);
    if ((keys & MK_MBUTTON) != 0)
        shift.Include(ssMiddle);
    if ((GetKeyState(VK_MENU) & 0x8000) != 0)
        shift.Include(ssAlt);
    return shift;
}

TShiftState KeyboardShiftState()
{
    TShiftState shift;
    if ((GetKeyState(VK_SHIFT) & 0x8000) != 0)
        shift.Include(ssShift);
    if ((GetKeyState(VK_CONTROL) & 0x8000) != 0)
        shift.Include(ssCtrl);
    if ((GetKeyState(VK_MENU) & 0x8000) != 0)
        shift.Include(ssAlt);
    return shift;
}
