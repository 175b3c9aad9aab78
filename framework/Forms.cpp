#include "framework/Forms.h"

#include "framework/Application.h"
#include "framework/ControlsWidget.h"
#include "framework/LayoutReader.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

const TEnumInfo FormBorderStyleInfo{"TFormBorderStyle",
                                    {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"}};
const TEnumInfo BorderIconInfo{"TBorderIcon", {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"}};
const TEnumInfo PositionInfo{"TPosition",
                             {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
                              "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"}};

namespace {

void RaiseWindow(QWidget* widget)
{
    // Qt's off-screen platform has no stacking and complains when asked.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        widget->raise();
}

} // namespace

const TClass& TCustomForm::StaticClass()
{
    static const TClass cls = TClassBuilder<TCustomForm>("TCustomForm", &TWinControl::StaticClass())
        .Integer("ClientWidth", &TCustomForm::ClientWidth, &TCustomForm::SetClientWidth)
        .Integer("ClientHeight", &TCustomForm::ClientHeight, &TCustomForm::SetClientHeight)
        .Enum("BorderStyle", FormBorderStyleInfo, &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle, bsSizeable)
        .Set("BorderIcons", BorderIconInfo, &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons,
             TBorderIcons{biSystemMenu, biMinimize, biMaximize})
        .Enum("Position", PositionInfo, &TCustomForm::Position, &TCustomForm::SetPosition, poDesigned)
        .Boolean("Visible", &TCustomForm::Visible, &TCustomForm::SetVisible, false)
        .Event("OnCreate", &TCustomForm::OnCreate)
        .Event("OnShow", &TCustomForm::OnShow)
        .Event("OnHide", &TCustomForm::OnHide)
        .Event("OnActivate", &TCustomForm::OnActivate)
        .Event("OnDestroy", &TCustomForm::OnDestroy)
        .Event("OnClose", &TCustomForm::OnClose)
        .Event("OnCloseQuery", &TCustomForm::OnCloseQuery)
        .Build();
    return cls;
}

const TClass& TForm::StaticClass()
{
    static const TClass cls = TClassBuilder<TForm>("TForm", &TCustomForm::StaticClass()).Build();
    return cls;
}

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner)
{
    // Any layout a form reads may name the framework's controls.
    RegisterControlClasses();
    TWinControl::SetVisible(false);
    SetColor(clBtnFace);
    SetParentFont(false);
    SetBounds(0, 0, 320, 240);
}

TCustomForm::~TCustomForm() = default;

void TCustomForm::BeforeDestruction()
{
    try {
        OnDestroy(this);
    } catch (...) {
        Application->HandleException(this);
    }
    TWinControl::BeforeDestruction();
}

void TCustomForm::InitializeLayout(std::string_view text, const std::string& sourceName)
{
    ReadLayout(*this, text, sourceName);
    OnCreate(this);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value)
{
    if (value == borderStyle_)
        return;
    borderStyle_ = value;
    RecreateWindow();
}

void TCustomForm::SetBorderIcons(TBorderIcons value)
{
    if (value == borderIcons_)
        return;
    borderIcons_ = value;
    RecreateWindow();
}

void TCustomForm::RecreateWindow()
{
    // The desktop frame is chosen when the window is made.
    if (!HandleAllocated())
        return;
    DestroyHandle();
    HandleNeeded();
    if (Visible())
        ShowWindow(HandleOrNull(), SW_SHOW);
}

void TCustomForm::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.Style &= ~(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
    params.WndParent = nullptr;
    switch (borderStyle_) {
    case bsNone:
        params.Style |= WS_POPUP;
        break;
    case bsSingle:
    case bsToolWindow:
        params.Style |= WS_CAPTION;
        break;
    case bsSizeable:
    case bsSizeToolWin:
        params.Style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case bsDialog:
        params.Style |= WS_CAPTION;
        params.ExStyle |= WS_EX_DLGMODALFRAME;
        break;
    }
    if (borderStyle_ == bsToolWindow || borderStyle_ == bsSizeToolWin)
        params.ExStyle |= WS_EX_TOOLWINDOW;
    if (borderStyle_ != bsNone && borderIcons_.Contains(biSystemMenu)) {
        params.Style |= WS_SYSMENU;
        if (borderStyle_ != bsDialog && borderStyle_ != bsToolWindow && borderStyle_ != bsSizeToolWin) {
            if (borderIcons_.Contains(biMinimize))
                params.Style |= WS_MINIMIZEBOX;
            if (borderIcons_.Contains(biMaximize))
                params.Style |= WS_MAXIMIZEBOX;
        }
    }
}

void TCustomForm::CreateWindowHandle(const TCreateParams& params)
{
    CreateWidgetHandle<QWidget>(params);
}

void TCustomForm::PlaceOnScreen()
{
    if (placed_)
        return;
    placed_ = true;
    if (position_ != poScreenCenter && position_ != poDesktopCenter && position_ != poMainFormCenter)
        return;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->availableGeometry();
    SetBounds(area.x() + (area.width() - Width()) / 2, area.y() + (area.height() - Height()) / 2, Width(), Height());
}

void TCustomForm::SetVisible(bool value)
{
    if (value == Visible())
        return;
    // A layout that makes the form visible shows it once everything is read (Loaded).
    if (!ComponentState().Contains(csLoading)) {
        if (value)
            DoShow();
        else
            DoHide();
    }
    TWinControl::SetVisible(value);
}

void TCustomForm::VisibleChanged()
{
    if (ComponentState().Contains(csLoading))
        return;
    if (Visible()) {
        HandleNeeded();
        PlaceOnScreen();
        ShowWindow(HandleOrNull(), SW_SHOW);
        if (QWidget* widget = Widget()) {
            RaiseWindow(widget);
            widget->activateWindow();
        }
    } else if (HandleAllocated()) {
        ShowWindow(HandleOrNull(), SW_HIDE);
    }
}

void TCustomForm::Loaded()
{
    TWinControl::Loaded();
    if (Visible()) {
        DoShow();
        VisibleChanged();
    }
}

void TCustomForm::Show()
{
    SetVisible(true);
    if (QWidget* widget = Widget())
        RaiseWindow(widget);
}

bool TCustomForm::Showing() const { return Visible() && TWinControl::Showing(); }

void TCustomForm::DoShow() { OnShow(this); }
void TCustomForm::DoHide() { OnHide(this); }
void TCustomForm::DoClose(TCloseAction& action) { OnClose(this, action); }

bool TCustomForm::CloseQuery()
{
    bool canClose = true;
    OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close()
{
    if (modal_) {
        // The modal loop asks OnCloseQuery and OnClose when it sees the result.
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery())
        return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone)
        return;
    if (Application->MainForm() == this)
        Application->Terminate();
    switch (action) {
    case caHide:
        Hide();
        break;
    case caMinimize:
        if (HandleAllocated())
            ShowWindow(HandleOrNull(), SW_MINIMIZE);
        break;
    case caFree:
        Release();
        break;
    default:
        break;
    }
}

void TCustomForm::Release()
{
    if (HandleAllocated())
        PostMessageA(HandleOrNull(), CM_RELEASE, 0, 0);
    else
        Free();
}

TModalResult TCustomForm::ShowModal()
{
    if (Visible() || !Enabled() || modal_)
        throw EInvalidOperation("Impossible de rendre modale une fenêtre visible");
    // A drag or a held button of another window must not keep the mouse from this one.
    TControl::SetCaptureControl(nullptr);
    CancelMouseCapture();
    modal_ = true;
    modalResult_ = mrNone;
    HandleNeeded();
    if (QWidget* widget = Widget())
        widget->setWindowModality(Qt::ApplicationModal);
    try {
        Show();
        while (!Application->Terminated()) {
            if (modalResult_ != mrNone) {
                if (CloseQuery()) {
                    TCloseAction action = caHide;
                    DoClose(action);
                    if (action != caNone)
                        break;
                }
                modalResult_ = mrNone;
            }
            Application->HandleMessage();
        }
    } catch (...) {
        modal_ = false;
        HideModal();
        throw;
    }
    modal_ = false;
    HideModal();
    const TModalResult result = modalResult_;
    return result;
}

void TCustomForm::HideModal()
{
    // Hidden first: the windowing system forgets a modal window when it is hidden as a modal
    // one, and would otherwise keep it in its list of modal windows after its destruction.
    Hide();
    if (QWidget* widget = Widget())
        widget->setWindowModality(Qt::NonModal);
}

void TCustomForm::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_CLOSE:
        // The window stays; Close decides what becomes of the form.
        Close();
        return;
    case CM_RELEASE:
        Free();
        return;
    case WM_ACTIVATE:
        DefaultHandler(message);
        if (LOWORD(message.WParam) != WA_INACTIVE)
            OnActivate(this);
        return;
    default:
        TWinControl::Dispatch(message);
        return;
    }
}

void TCustomForm::SetActiveControl(TWinControl* control)
{
    activeControl_ = control;
    if (control != nullptr && Visible() && control->CanFocus())
        control->SetFocus();
}

void TCustomForm::FocusArrived(TWinControl* control) { activeControl_ = control; }

void TCustomForm::ControlGoing(TWinControl* control)
{
    if (activeControl_ == control)
        activeControl_ = nullptr;
    if (activeOleControl_ == control)
        activeOleControl_ = nullptr;
}

void TCustomForm::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == opRemove) {
        if (component == activeControl_)
            activeControl_ = nullptr;
        if (component == activeOleControl_)
            activeOleControl_ = nullptr;
    }
}

TCustomForm* GetParentForm(const TControl* control)
{
    const TControl* top = control;
    while (top != nullptr && top->Parent() != nullptr)
        top = top->Parent();
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(top));
}

TScreen* const Screen = new TScreen();

void TScreen::SetCursor(TCursor value)
{
    if (value == cursor_)
        return;
    const bool hadOverride = cursor_ != crDefault;
    cursor_ = value;
    if (QGuiApplication::instance() == nullptr)
        return;
    if (hadOverride)
        QGuiApplication::restoreOverrideCursor();
    if (value != crDefault)
        QGuiApplication::setOverrideCursor(QCursor(QtCursorShape(value)));
}

int TScreen::Width() const
{
    QScreen* screen = QGuiApplication::instance() != nullptr ? QGuiApplication::primaryScreen() : nullptr;
    return screen != nullptr ? screen->geometry().width() : 0;
}

int TScreen::Height() const
{
    QScreen* screen = QGuiApplication::instance() != nullptr ? QGuiApplication::primaryScreen() : nullptr;
    return screen != nullptr ? screen->geometry().height() : 0;
}

TCustomForm* TScreen::ActiveForm() const
{
    QWidget* active = QApplication::activeWindow();
    if (active == nullptr)
        return nullptr;
    return dynamic_cast<TCustomForm*>(TWinControl::FindControl(WindowFromWidget(active)));
}
