// Forms: the program's top-level windows.
//
// A form is a windowed control without a parent: its window is a desktop window whose
// client area is the form (Left/Top are the client area's place on the screen, Width and
// Height equal ClientWidth and ClientHeight). A form class reads its layout in its own
// constructor with InitializeLayout, which also fires OnCreate. Forms start hidden; Show
// or Visible := true shows them (OnShow fires just before), Close asks OnCloseQuery and
// OnClose and then hides the form (the main form's close also ends the application's
// event loop), ShowModal runs a nested event loop until ModalResult is set or the form is
// closed.
//
// Ownership: forms are components like the others; Application owns the forms created
// with CreateForm. Thread: the user-interface thread.
#pragma once

#include "framework/Controls.h"

#include <string>
#include <string_view>

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
extern const TEnumInfo FormBorderStyleInfo;
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
extern const TEnumInfo BorderIconInfo;
enum TPosition {
    poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
    poMainFormCenter, poOwnerFormCenter
};
extern const TEnumInfo PositionInfo;
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;

using TCloseEvent = TEvent<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TEvent<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TWinControl {
    QUELLON_CLASS()

public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;
    void BeforeDestruction() override;

    TFormBorderStyle BorderStyle() const noexcept { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle value);
    TBorderIcons BorderIcons() const noexcept { return borderIcons_; }
    void SetBorderIcons(TBorderIcons value);
    TPosition Position() const noexcept { return position_; }
    void SetPosition(TPosition value) { position_ = value; }

    // Active control: the control of this form that has (or last had) the keyboard focus.
    TWinControl* ActiveControl() const noexcept { return activeControl_; }
    void SetActiveControl(TWinControl* control);
    // The hosted control that is UI-active on this form, recorded by the control host.
    TWinControl* ActiveOleControl() const noexcept { return activeOleControl_; }
    void SetActiveOleControl(TWinControl* control) { activeOleControl_ = control; }

    TModalResult ModalResult() const noexcept { return modalResult_; }
    void SetModalResult(TModalResult value) { modalResult_ = value; }
    bool Modal() const noexcept { return modal_; }

    // Fires OnShow (visible) or OnHide, then shows or hides the window.
    void SetVisible(bool value) override;
    void Show();
    // Shows the form and runs the event loop until ModalResult becomes non-zero or the form
    // is closed; hides it again and returns the result. EInvalidOperation for a form that
    // is already visible or disabled.
    TModalResult ShowModal();
    // OnCloseQuery, then OnClose with caHide (caFree for nothing here); a modal form gets
    // ModalResult mrCancel; the main form ends the application's event loop.
    void Close();
    bool CloseQuery();
    // Destroys the form once the current message has been handled.
    void Release();

    bool IsTopLevelWindow() const override { return true; }
    bool Showing() const override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDestroy;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

    // Called by controls of the form as the focus moves and when they go away.
    void FocusArrived(TWinControl* control);
    void ControlGoing(TWinControl* control);

    void Dispatch(TMessage& message) override;

protected:
    // Reads the layout into this form and fires OnCreate (exceptions go on to the caller).
    void InitializeLayout(std::string_view text, const std::string& sourceName);
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandle(const TCreateParams& params) override;
    void VisibleChanged() override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);

private:
    void PlaceOnScreen();
    void RecreateWindow();
    void HideModal();

    TFormBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_ = {biSystemMenu, biMinimize, biMaximize};
    TPosition position_ = poDesigned;
    TWinControl* activeControl_ = nullptr;    // not owned
    TWinControl* activeOleControl_ = nullptr; // not owned
    TModalResult modalResult_ = mrNone;
    bool modal_ = false;
    bool placed_ = false;
};

class TForm : public TCustomForm {
    QUELLON_CLASS()

public:
    explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

// The form that `control` lies on, or nullptr.
TCustomForm* GetParentForm(const TControl* control);

// The desktop as the program sees it. Cursor, when not crDefault, shows over every window
// of the program (an hourglass during a long operation). The global `Screen` lives for the
// whole process.
class TScreen {
public:
    TCursor Cursor() const noexcept { return cursor_; }
    void SetCursor(TCursor value);
    // The primary screen's size in pixels (0 without a GUI application).
    int Width() const;
    int Height() const;
    // The form whose window is active, or nullptr.
    TCustomForm* ActiveForm() const;

private:
    TCursor cursor_ = crDefault;
};

extern TScreen* const Screen;
