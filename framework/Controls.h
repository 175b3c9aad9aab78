// Controls: the visual components of the framework.
//
// TControl is anything with a place on a parent: bounds, visibility, colour, font, cursor,
// alignment, size constraints, mouse events and message handling. Every message a control
// handles travels as a TMessage through WindowProc (a replaceable slot that starts out as
// the control's virtual WndProc), then Dispatch, which each class extends with the
// messages it knows, ending in DefaultHandler.
//
// TWinControl owns a window of platform/user (Handle creates it on demand; children are
// created inside it when it is created). Its window's procedure hands every message to the
// control; what the control does not handle reaches the window's previous procedure, and
// with it the Qt widget's own behaviour. CreateParams, CreateWnd, CreateWindowHandle,
// DestroyWnd and DestroyWindowHandle are virtual, so a subclass can create its window
// differently, including taking over a window made by someone else (TakeOverWindow).
//
// TGraphicControl has no window: it paints on its parent's window during the parent's
// paint, and receives the mouse messages its parent finds under the pointer; while a
// button is held it keeps them, also outside its bounds. TCustomControl is windowed and
// paints through its Canvas in Paint.
//
// Repaint paints before it returns, exactly once: through the window's WM_PAINT when the
// window is on a screen, else (hidden form, no display) by running the same painting
// (background, Paint, the graphic children) on an off-screen image, so that what a paint
// handler computes does not depend on the window being seen. A window that is being
// destroyed is never made again.
//
// Exceptions raised while a message is handled (by a handler of an event, a paint, ...)
// are given to the application's exception handler (Application.h) and do not travel on;
// the rest of that handler is skipped.
//
// Ownership: a control belongs to its owner component, which destroys it; its parent only
// lists it. A control being destroyed leaves its parent first, and a parent being
// destroyed lets its remaining children go without a parent (their windows die with its).
//
// Thread: the user-interface thread only.
#pragma once

#include "framework/Canvas.h"
#include "framework/ClassBuilder.h"
#include "framework/Component.h"
#include "framework/Events.h"
#include "framework/Font.h"
#include "framework/GraphicsTypes.h"
#include "framework/Messages.h"

#include <memory>
#include <string>
#include <vector>

class TWinControl;
class TControl;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
extern const TEnumInfo AlignInfo;

enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
extern const TEnumInfo AnchorKindInfo;

// Cursors: the desktop's numbering (0 default, negative values the stock shapes).
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crNo = -18;
constexpr TCursor crHandPoint = -21;

enum TControlStyleItem {
    csAcceptsControls, // may be the parent of other controls in a designer
    csCaptureMouse,    // keeps the mouse while a button is held
    csClickEvents,     // a press and release inside is a click
    csOpaque,          // paints its whole rectangle: the parent need not paint below it
    csDoubleClicks,
    csSetCaption,      // takes its name as caption when named in a designer
    csNoStdEvents,     // no OnMouse*/OnKey* events from its own window messages
    csReplicatable,
};
using TControlStyle = TSet<TControlStyleItem>;

enum TControlStateItem { csLButtonDown, csClicked, csAlignmentNeeded, csFocusing, csCreating, csPaintCopy };
using TControlState = TSet<TControlStateItem>;

// Size limits of a control; 0 means no limit. Every width or height given to the control
// (bounds, Width, Height, client size, alignment, a user's resize) is brought into them.
class TSizeConstraints : public TPersistent {
    QUELLON_CLASS()

public:
    explicit TSizeConstraints(TControl* control) : control_(control) {}
    void Assign(const TPersistent* source) override;
    TPersistent* GetOwner() const override;

    int MinWidth() const noexcept { return minWidth_; }
    int MaxWidth() const noexcept { return maxWidth_; }
    int MinHeight() const noexcept { return minHeight_; }
    int MaxHeight() const noexcept { return maxHeight_; }
    // Negative values count as 0. A maximum below the minimum is raised to it.
    void SetMinWidth(int value);
    void SetMaxWidth(int value);
    void SetMinHeight(int value);
    void SetMaxHeight(int value);

    int ConstrainWidth(int width) const noexcept;
    int ConstrainHeight(int height) const noexcept;

    TNotifyEvent OnChange;

private:
    void Changed();

    TControl* control_; // the holder; not owned
    int minWidth_ = 0;
    int maxWidth_ = 0;
    int minHeight_ = 0;
    int maxHeight_ = 0;
};

// The slot WindowProc: a method taking the message record.
using TWndMethod = TEvent<void(TMessage& Message)>;

class TControl : public TComponent {
    QUELLON_CLASS()

public:
    explicit TControl(TComponent* owner);
    ~TControl() override;
    void BeforeDestruction() override;

    // --- placement ---------------------------------------------------------------------
    int Left() const noexcept { return left_; }
    int Top() const noexcept { return top_; }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    void SetLeft(int value) { SetBounds(value, top_, width_, height_); }
    void SetTop(int value) { SetBounds(left_, value, width_, height_); }
    void SetWidth(int value) { SetBounds(left_, top_, value, height_); }
    void SetHeight(int value) { SetBounds(left_, top_, width_, value); }
    // Width and height pass through Constraints; a change moves the window (if any),
    // repaints, realigns the children and fires the resize notification.
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    void SetBoundsRect(const TRect& rect) { SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height()); }
    // The client area is the whole control here (windows have no non-client area).
    virtual TRect ClientRect() const { return Rect(0, 0, width_, height_); }
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    void SetClientWidth(int value) { SetWidth(width_ - ClientWidth() + value); }
    void SetClientHeight(int value) { SetHeight(height_ - ClientHeight() + value); }
    // Screen coordinates: the window at the top of the parents where the window system put it.
    TPoint ClientToScreen(TPoint point) const;
    TPoint ScreenToClient(TPoint point) const;
    // The control's origin in the client coordinates of the window at the top of its parents
    // (the parents' offsets added up).
    virtual TPoint ClientOrigin() const;

    TAlign Align() const noexcept { return align_; }
    void SetAlign(TAlign value);
    TAnchors Anchors() const noexcept { return anchors_; }
    void SetAnchors(TAnchors value) { anchors_ = value; }
    TSizeConstraints* Constraints() const noexcept { return constraints_.get(); }

    // --- state -------------------------------------------------------------------------
    bool Visible() const noexcept { return visible_; }
    virtual void SetVisible(bool value);
    void Show();
    void Hide() { SetVisible(false); }
    // Visible, and every parent up to a top-level window visible too.
    virtual bool Showing() const;
    bool Enabled() const noexcept { return enabled_; }
    virtual void SetEnabled(bool value);

    TWinControl* Parent() const noexcept { return parent_; }
    virtual void SetParent(TWinControl* parent);
    bool HasParent() const override { return parent_ != nullptr; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* parent) override;

    TColor Color() const noexcept { return color_; }
    void SetColor(TColor value);
    bool ParentColor() const noexcept { return parentColor_; }
    void SetParentColor(bool value);
    TFont* Font() const noexcept { return font_.get(); }
    void SetFont(const TFont* value) { font_->Assign(value); }
    bool ParentFont() const noexcept { return parentFont_; }
    void SetParentFont(bool value);
    TCursor Cursor() const noexcept { return cursor_; }
    void SetCursor(TCursor value);
    // A colour or font taken from the parent is not written into layouts.
    bool IsColorStored() const noexcept { return !parentColor_; }
    bool IsFontStored() const noexcept { return !parentFont_; }

    // Caption and Text are the same text.
    std::string Caption() const { return GetText(); }
    void SetCaption(const std::string& value) { SetText(value); }
    std::string Text() const { return GetText(); }
    void SetTextProp(const std::string& value) { SetText(value); }
    const std::string& Hint() const noexcept { return hint_; }
    void SetHint(const std::string& value);
    bool ShowHint() const noexcept { return showHint_; }
    void SetShowHint(bool value);

    TControlStyle ControlStyle() const noexcept { return controlStyle_; }
    void SetControlStyle(TControlStyle value) { controlStyle_ = value; }
    TControlState ControlState() const noexcept { return controlState_; }

    // --- painting ----------------------------------------------------------------------
    // Marks the control for painting at the next round of the event loop.
    virtual void Invalidate();
    // Paints what is pending now.
    virtual void Update();
    // Paints the control before returning: its paint runs exactly once, also when the
    // window is hidden or not on a screen (then into an off-screen image).
    virtual void Repaint();
    void Refresh() { Repaint(); }
    void BringToFront();
    void SendToBack();

    // --- messages ----------------------------------------------------------------------
    // Sends a message straight to WindowProc and returns its result.
    LRESULT Perform(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void WndProc(TMessage& message);
    // Handles the messages this class knows; the others go to DefaultHandler.
    virtual void Dispatch(TMessage& message);
    virtual void DefaultHandler(TMessage& message);
    TWndMethod WindowProc;

    // --- events ------------------------------------------------------------------------
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnResize;
    TDragDropEvent OnDragDrop;
    TDragOverEvent OnDragOver;
    TEndDragEvent OnEndDrag;
    TStartDragEvent OnStartDrag;

    // The control that holds the mouse while a button is held (or after SetCaptureControl).
    static TControl* CaptureControl();
    static void SetCaptureControl(TControl* control);

    // The parent window's handle the control lives in, or 0.
    HWND ParentWindowHandle() const;

protected:
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void Resize();
    virtual std::string GetText() const { return text_; }
    virtual void SetText(const std::string& value);
    // Called when the colour or the font has changed (own or taken from the parent).
    virtual void ColorChanged();
    virtual void FontChanged();
    virtual void EnabledChanged();
    virtual void VisibleChanged();
    virtual void CursorChanged();
    virtual void HintChanged() {}
    // Forgets the capture control without touching the window system's capture.
    static void ForgetCaptureControl();
    // A windowed control moves its window here; a graphic one repaints the old and new
    // area of its parent.
    virtual void BoundsChanged(const TRect& oldBounds);
    void Loaded() override;

    void SetControlStateFlag(TControlStateItem item, bool on);
    // Asks the parent to lay out its aligned children again.
    void RequestAlign();
    // The controls that fire mouse events from window messages.
    void HandleMouseMessage(TMessage& message);
    // Painting hook of graphic controls; the parent calls it with its canvas prepared.
    friend class TWinControl;

    std::string text_;
    TControlStyle controlStyle_ = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    TControlState controlState_;

private:
    void FontChangedSlot(TObject* sender);
    void ConstraintsChanged(TObject* sender);
    void AnchorsParentResized(int dw, int dh);

    TWinControl* parent_ = nullptr; // the parent lists us; not owned
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    TColor color_ = clWindow;
    bool parentColor_ = false;
    std::unique_ptr<TFont> font_;
    bool parentFont_ = true;
    bool applyingParentFont_ = false;
    TCursor cursor_ = crDefault;
    TAlign align_ = alNone;
    TAnchors anchors_ = {akLeft, akTop};
    std::unique_ptr<TSizeConstraints> constraints_;
    std::string hint_;
    bool showHint_ = false;
};

// The window procedure of every framework window: hands the message to its control.
LRESULT FrameworkWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// What a windowed control asks its window to be.
struct TCreateParams {
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    HWND WndParent = nullptr;
    std::string WinClassName;
};

class TWinControl : public TControl {
    QUELLON_CLASS()

public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;
    void BeforeDestruction() override;

    // The window, created on first use (with the parent's window first). Raises
    // EInvalidOperation when a child control has no parent window or the window cannot be
    // created.
    HWND Handle();
    HWND HandleOrNull() const noexcept { return handle_; }
    bool HandleAllocated() const noexcept { return handle_ != nullptr; }
    void HandleNeeded() { (void)Handle(); }
    // The widget of the window (a QWidget*), or nullptr while there is none. Defined in
    // framework/ControlsWidget.h, which only the framework's sources, tests and Qt tools
    // include: Qt stays out of reach of the layers above.
    auto Widget() const;

    int ControlCount() const noexcept { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    bool ContainsControl(const TControl* control) const;
    // The visible enabled child under a client point (graphic children first found from
    // the top), or nullptr.
    TControl* ControlAtPos(TPoint point, bool allowDisabled = false) const;

    int TabOrder() const;
    void SetTabOrder(int value);
    bool TabStop() const noexcept { return tabStop_; }
    void SetTabStop(bool value);
    bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();
    // WS_CLIPCHILDREN: the window's own painting leaves its child windows alone.
    bool ClipChildren() const noexcept { return clipChildren_; }
    void SetClipChildren(bool value);
    bool Showing() const override;

    // Lays out the aligned children again (alTop, alBottom, alLeft, alRight, alClient).
    void Realign();

    void Invalidate() override;
    void Update() override;
    void Repaint() override;

    // Number of paints of this window handled so far (a repaint can tell it happened).
    int PaintCount() const noexcept { return paintCount_; }

    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    // The control whose window this is, or nullptr.
    static TWinControl* FindControl(HWND window);
    // Whether a window can be made now: a top-level control, or one whose parents lead to one.
    bool CanHaveHandle() const;
    // Forms: a window of its own on the desktop rather than inside a parent.
    virtual bool IsTopLevelWindow() const { return false; }

    void Dispatch(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;
    void WndProc(TMessage& message) override;

protected:
    virtual void CreateParams(TCreateParams& params);
    // Makes the window: registers the window class, then CreateWindowHandle.
    virtual void CreateWnd();
    // Creates the window of `params` for this control; the default is a plain widget.
    // An override calls CreateWidgetHandle<QtWidget> or TakeOverWindow.
    virtual void CreateWindowHandle(const TCreateParams& params);
    // Creates the handle, then its children's, then applies state that needs the window.
    virtual void CreateHandle();
    virtual void DestroyWnd();
    virtual void DestroyWindowHandle();
    void DestroyHandle();
    // Called once the window exists (widget set-up, signal connections).
    virtual void InitializeWindow() {}

    // Defined in framework/ControlsWidget.h.
    template <class QtWidget, class... Args>
    void CreateWidgetHandle(const TCreateParams& params, Args&&... args);
    // Makes `window` (made by someone else) this control's window: its procedure is kept,
    // and replaced so that every message reaches this control first.
    void TakeOverWindow(HWND window);
    // Gives a taken-over window its own procedure back and forgets it, without destroying.
    void GiveBackWindow();
    bool WindowTakenOver() const noexcept { return takenOver_; }
    WNDPROC PreviousWindowProc() const noexcept { return defWndProc_; }

    // Paints the background and, for TCustomControl, Paint; then the graphic children.
    virtual void PaintWindow(HDC dc);
    // Whether the widget draws itself (buttons, edits) instead of PaintWindow.
    virtual bool NativePainting() const { return false; }
    void PaintControls(HDC dc, const TRect& area);
    // The area the aligned children share; a panel leaves its border out.
    virtual TRect AlignRect() const { return ClientRect(); }
    void AlignControls();
    void Loaded() override;

    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(char& key);
    virtual void DoEnter();
    virtual void DoExit();

    void ColorChanged() override;
    void FontChanged() override;
    void EnabledChanged() override;
    void VisibleChanged() override;
    void CursorChanged() override;
    void HintChanged() override;
    void BoundsChanged(const TRect& oldBounds) override;
    void SetText(const std::string& value) override;
    std::string GetText() const override;

    // Runs WindowProc with the application's exception handling around it.
    void MainWndProc(TMessage& message);

private:
    friend class TControl;
    friend LRESULT FrameworkWindowProc(HWND, UINT, WPARAM, LPARAM);
    void BindHandle(HWND window);
    void UpdateTabChain();
    void UnbindHandle();
    void ApplyFont();
    bool MouseForGraphicChild(TMessage& message);
    void WMPaint(TMessage& message);
    void WMWindowPosChanging(TMessage& message);
    void WMWindowPosChanged(TMessage& message);
    bool PaintOffscreen(const TRect& area);
    // Paints `area` before returning, exactly once (see TControl::Repaint).
    void RepaintArea(const TRect& area);
    void MoveControlInZOrder(TControl* control, bool toFront);
    // Shows the cursor of `control` (this or a graphic child) on this window.
    void ShowCursorOf(const TControl* control);

    HWND handle_ = nullptr;
    WNDPROC defWndProc_ = nullptr;
    bool takenOver_ = false;
    bool clipChildren_ = false;
    bool tabStop_ = false;
    bool aligning_ = false;
    bool boundsFromWindow_ = false; // the window reported the change: do not move it back
    int paintCount_ = 0;
    std::vector<TControl*> controls_;  // z-order from the bottom; not owned
    std::vector<TWinControl*> tabList_; // tab order; not owned
};

// A control without a window: it paints on its parent's window.
class TGraphicControl : public TControl {
    QUELLON_CLASS()

public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;
    // Valid during Paint only (a context of the parent's paint, clipped to the control).
    TCanvas* Canvas() const noexcept { return canvas_.get(); }

protected:
    friend class TWinControl;
    virtual void Paint() {}

private:
    std::unique_ptr<TCanvas> canvas_;
};

// A windowed control that draws itself through its Canvas in Paint.
class TCustomControl : public TWinControl {
    QUELLON_CLASS()

public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;
    TCanvas* Canvas() const noexcept { return canvas_.get(); }

protected:
    virtual void Paint() {}
    void PaintWindow(HDC dc) override;

private:
    std::unique_ptr<TCanvas> canvas_;
};

// Shift state from MK_* flags plus the current Alt key.
TShiftState ShiftStateFromMouseKeys(WPARAM keys);
// Shift state of the keyboard now.
TShiftState KeyboardShiftState();
// Gives the exception being handled to the application's exception handler.
void HandleFrameworkException(TObject* sender);
// Registers every control class of the framework with the class registry (idempotent).
void RegisterControlClasses();
