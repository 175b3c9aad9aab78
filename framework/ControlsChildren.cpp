// A windowed control's children: the control list and its z-order, hit-testing, tab
// order and focus, and the alignment of children in the parent's client area.
#include "framework/Controls.h"

#include "framework/ControlsWidget.h"
#include "framework/Forms.h"

#include <QWidget>

#include <algorithm>

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
