// The standard controls: push button, check box, label, single-line edit and scroll bar.
//
// Buttons, check boxes, edits and scroll bars are windows whose Qt widgets draw themselves
// and take the person's input; the control keeps the authoritative state (checked, text,
// position) and fires its events from it. A label is a graphic control painted on its
// parent. Thread: the user-interface thread.
#pragma once

#include "framework/Controls.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
extern const TEnumInfo AlignmentInfo;

class TButton : public TWinControl {
    QUELLON_CLASS()

public:
    explicit TButton(TComponent* owner);
    // Fires OnClick; a non-zero ModalResult is given to the button's form first.
    void Click() override;
    bool Default() const noexcept { return default_; }
    void SetDefault(bool value);
    bool Cancel() const noexcept { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }
    int ModalResult() const noexcept { return modalResult_; }
    void SetModalResult(int value) { modalResult_ = value; }
    // Return clicks the default button, Escape the cancel button, of the focused form.
    void Dispatch(TMessage& message) override;

protected:
    void CreateWindowHandle(const TCreateParams& params) override;
    void InitializeWindow() override;
    bool NativePainting() const override { return true; }

private:
    bool default_ = false;
    bool cancel_ = false;
    int modalResult_ = 0;
};

class TCheckBox : public TWinControl {
    QUELLON_CLASS()

public:
    explicit TCheckBox(TComponent* owner);
    bool Checked() const noexcept { return checked_; }
    // A change fires OnClick, whether it comes from the person or from code.
    void SetChecked(bool value);

protected:
    void CreateWindowHandle(const TCreateParams& params) override;
    void InitializeWindow() override;
    bool NativePainting() const override { return true; }

private:
    bool checked_ = false;
};

class TLabel : public TGraphicControl {
    QUELLON_CLASS()

public:
    explicit TLabel(TComponent* owner);
    bool AutoSize() const noexcept { return autoSize_; }
    void SetAutoSize(bool value);
    bool Transparent() const noexcept { return transparent_; }
    void SetTransparent(bool value);
    TAlignment Alignment() const noexcept { return alignment_; }
    void SetAlignment(TAlignment value);

protected:
    void Paint() override;
    void SetText(const std::string& value) override;
    void FontChanged() override;
    void Loaded() override;

private:
    // With AutoSize, the label takes the size of its text.
    void AdjustBounds();

    bool autoSize_ = true;
    bool transparent_ = false;
    TAlignment alignment_ = taLeftJustify;
};

// Single-line text field. OnChange fires on every change of the text, typed or set.
class TCustomEdit : public TWinControl {
    QUELLON_CLASS()

public:
    explicit TCustomEdit(TComponent* owner);
    bool ReadOnly() const noexcept { return readOnly_; }
    void SetReadOnly(bool value);
    // 0: no limit.
    int MaxLength() const noexcept { return maxLength_; }
    void SetMaxLength(int value);
    TNotifyEvent OnChange;

protected:
    void CreateWindowHandle(const TCreateParams& params) override;
    void InitializeWindow() override;
    bool NativePainting() const override { return true; }
    void SetText(const std::string& value) override;
    // Characters are typed when WM_CHAR arrives, so OnKeyPress can change or drop them.
    void DefaultHandler(TMessage& message) override;
    virtual void Change();

private:
    bool readOnly_ = false;
    int maxLength_ = 0;
};

class TEdit : public TCustomEdit {
    QUELLON_CLASS()

public:
    explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

enum TScrollBarKind { sbHorizontal, sbVertical };
extern const TEnumInfo ScrollBarKindInfo;
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
using TScrollEvent = TEvent<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

// Position always lies within Min..Max (less PageSize - 1 when a page size is set).
// OnChange fires only when the position really changes, at once, also from inside the
// setter of Min, Max or PageSize that moved it.
class TScrollBar : public TWinControl {
    QUELLON_CLASS()

public:
    explicit TScrollBar(TComponent* owner);

    TScrollBarKind Kind() const noexcept { return kind_; }
    void SetKind(TScrollBarKind value);
    int Min() const noexcept { return min_; }
    int Max() const noexcept { return max_; }
    int Position() const noexcept { return position_; }
    void SetMin(int value) { SetParams(position_, value, max_); }
    void SetMax(int value) { SetParams(position_, min_, value); }
    void SetPosition(int value) { SetParams(value, min_, max_); }
    // Sets the three together; the position is brought into the new range. EInvalidOperation
    // when max < min (the range is then unchanged).
    void SetParams(int position, int min, int max);
    int PageSize() const noexcept { return pageSize_; }
    // EInvalidOperation for a page larger than the range or negative.
    void SetPageSize(int value);
    int SmallChange() const noexcept { return smallChange_; }
    void SetSmallChange(int value);
    int LargeChange() const noexcept { return largeChange_; }
    void SetLargeChange(int value);
    // The flat look: kept for the layouts; Qt draws its own style.
    bool Ctl3D() const noexcept { return ctl3D_; }
    void SetCtl3D(bool value);
    bool ParentCtl3D() const noexcept { return parentCtl3D_; }
    void SetParentCtl3D(bool value) { parentCtl3D_ = value; }

    TNotifyEvent OnChange;
    TScrollEvent OnScroll;

protected:
    void CreateWindowHandle(const TCreateParams& params) override;
    void InitializeWindow() override;
    bool NativePainting() const override { return true; }
    virtual void Change();
    virtual void Scroll(TScrollCode code, int& position);

private:
    int PositionLimit() const noexcept;
    void SyncWidget();
    void WidgetMoved(int value);

    TScrollBarKind kind_ = sbHorizontal;
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int pageSize_ = 0;
    int smallChange_ = 1;
    int largeChange_ = 1;
    bool ctl3D_ = true;
    bool parentCtl3D_ = true;
    bool syncing_ = false;
    int lastAction_ = 0;
};
