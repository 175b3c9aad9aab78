// Mouse routing to graphic controls with capture, cursors, and keyboard messages with
// their reflection to the control.
#include "tests/framework/controls/ControlTestSupport.h"

#include "framework/Application.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "platform/user/DialogService.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

#include <string>
#include <vector>

namespace {

class MouseLog : public TObject {
public:
    std::vector<std::string> Events;
    TControl* CursorTarget = nullptr;
    void Down(TObject*, TMouseButton button, TShiftState shift, int x, int y)
    {
        Events.push_back("down " + std::to_string(button) + (shift.Contains(ssLeft) ? " L " : " - ") +
                         std::to_string(x) + "," + std::to_string(y));
    }
    void Move(TObject*, TShiftState, int x, int y)
    {
        Events.push_back("move " + std::to_string(x) + "," + std::to_string(y));
        if (CursorTarget != nullptr)
            CursorTarget->SetCursor(x > CursorTarget->Width() - 10 ? crSizeNWSE : crDefault);
    }
    void Up(TObject*, TMouseButton, TShiftState, int x, int y)
    {
        Events.push_back("up " + std::to_string(x) + "," + std::to_string(y));
    }
};

class KeyLog : public TObject {
public:
    std::vector<std::string> Events;
    bool Swallow = false;
    void Down(TObject*, WORD& key, TShiftState)
    {
        Events.push_back("down " + std::to_string(key));
        if (Swallow)
            key = 0;
    }
    void Press(TObject*, char& key)
    {
        Events.push_back(std::string("press ") + key);
        if (key == 'a')
            key = 'b'; // a handler may change the character
    }
};

// An edit that takes the keys it is told to take when they come back reflected.
class TReflectingEdit : public TEdit {
public:
    using TEdit::TEdit;
    std::vector<UINT> Reflected;
    bool TakeKeys = false;
    void Dispatch(TMessage& message) override
    {
        if (IsReflectedKeyMessage(message.Msg)) {
            Reflected.push_back(message.Msg);
            message.Result = TakeKeys ? 1 : 0;
            return;
        }
        TEdit::Dispatch(message);
    }
};

// Opens a modal form from a click, and a message box from a press, and notes who holds the
// mouse once inside.
class ModalOpener : public TObject {
public:
    TForm* Modal = nullptr;
    TButton* ModalOk = nullptr;
    TModalResult Result = mrNone;
    QTimer ClickOk;
    QTimer GiveUp;

    ModalOpener()
    {
        ClickOk.setSingleShot(true);
        GiveUp.setSingleShot(true);
        // A person clicks the modal form's button as soon as it shows.
        QObject::connect(&ClickOk, &QTimer::timeout, [this] {
            Press(ModalOk->Widget(), QPoint(10, 10));
            Release(ModalOk->Widget(), QPoint(10, 10));
        });
        QObject::connect(&GiveUp, &QTimer::timeout, [this] { Modal->SetModalResult(mrAbort); });
    }
    void ShowModalForm(TObject*)
    {
        ClickOk.start(0);
        GiveUp.start(5000);
        Result = Modal->ShowModal();
        GiveUp.stop();
    }
    void ShowBox(TObject*, TMouseButton, TShiftState, int, int) { Application->MessageBox("Boom", "Test", MB_OK); }
};

// Notes who holds the mouse when a message box is asked for.
class CaptureAtBox : public DialogService {
public:
    std::vector<std::string> Seen;
    int MessageBox(HWND, std::string, std::string, UINT) override
    {
        Seen.push_back(std::string(GetCapture() != nullptr ? "window capture" : "no window capture") + ", " +
                       (TControl::CaptureControl() != nullptr ? "control capture" : "no control capture"));
        return IDOK;
    }
    std::optional<std::string> OpenFile(const FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> SaveFile(const FileDialogOptions&) override { return std::nullopt; }
};

} // namespace

TEST(MouseCapture, AModalLoopEnteredFromTheMouseTakesTheMouse)
{
    FormGuard form;
    auto* open = new TButton(form.Get());
    open->SetParent(form.Get());
    open->SetBounds(10, 10, 75, 25);
    auto* zone = new TShape(form.Get());
    zone->SetParent(form.Get());
    zone->SetBounds(96, 120, 131, 80);
    FormGuard modal;
    auto* ok = new TButton(modal.Get());
    ok->SetParent(modal.Get());
    ok->SetBounds(10, 10, 75, 25);
    ok->SetModalResult(mrOk);
    ModalOpener opener;
    opener.Modal = modal.Get();
    opener.ModalOk = ok;
    open->OnClick.Assign(&opener, &ModalOpener::ShowModalForm);
    zone->OnMouseDown.Assign(&opener, &ModalOpener::ShowBox);
    form->Show();
    ASSERT_TRUE(WaitFor([&] { return form->Widget()->isVisible(); }));

    // The click on "open" shows the modal form, whose own button then takes the click.
    Press(open->Widget(), QPoint(10, 10));
    Release(open->Widget(), QPoint(10, 10));
    EXPECT_EQ(mrOk, opener.Result);
    EXPECT_EQ(nullptr, TControl::CaptureControl());

    // A press that would start a drag shows a box: the box has the mouse to itself.
    CaptureAtBox dialogs;
    DialogService* previous = SetDialogService(&dialogs);
    Press(form->Widget(), QPoint(100, 125));
    Release(form->Widget(), QPoint(100, 125));
    SetDialogService(previous);
    EXPECT_EQ((std::vector<std::string>{"no window capture, no control capture"}), dialogs.Seen);
}

TEST(MouseCapture, ADraggedShapeKeepsReceivingMovesOutsideItself)
{
    FormGuard form;
    auto* zone = new TShape(form.Get());
    zone->SetParent(form.Get());
    zone->SetBounds(96, 120, 131, 80);
    auto* button = new TButton(form.Get());
    button->SetParent(form.Get());
    button->SetBounds(300, 120, 75, 25);
    MouseLog log;
    log.CursorTarget = zone;
    zone->OnMouseDown.Assign(&log, &MouseLog::Down);
    zone->OnMouseMove.Assign(&log, &MouseLog::Move);
    zone->OnMouseUp.Assign(&log, &MouseLog::Up);
    form->Show();
    ASSERT_TRUE(WaitFor([&] { return form->Widget()->isVisible(); }));
    QWidget* surface = form->Widget();

    Press(surface, QPoint(100, 125));
    EXPECT_EQ(zone, TControl::CaptureControl());
    MoveHeld(surface, QPoint(50, 50));       // outside the shape, over the form
    MoveHeld(button->Widget(), QPoint(5, 5)); // over a sibling window
    MoveHeld(surface, QPoint(220, 195));     // back on the shape's corner
    EXPECT_EQ(crSizeNWSE, zone->Cursor());
    EXPECT_EQ(Qt::SizeFDiagCursor, surface->cursor().shape());
    Release(surface, QPoint(10, 10));
    EXPECT_EQ(nullptr, TControl::CaptureControl());
    MoveHeld(surface, QPoint(50, 50)); // no button, not over the shape: not for it
    EXPECT_EQ((std::vector<std::string>{"down 0 L 4,5", "move -46,-70", "move 209,5", "move 124,75", "up -86,-110"}),
              log.Events);
}

TEST(Keyboard, KeyEventsWithVarKeysAndReflectionFirst)
{
    FormGuard form;
    auto* edit = new TReflectingEdit(form.Get());
    edit->SetParent(form.Get());
    KeyLog log;
    edit->OnKeyDown.Assign(&log, &KeyLog::Down);
    edit->OnKeyPress.Assign(&log, &KeyLog::Press);
    form->HandleNeeded();
    auto* widget = static_cast<QLineEdit*>(edit->Widget());

    SendKey(widget, Qt::Key_A, "a");
    EXPECT_EQ("b", widget->text().toStdString()) << "the handler's character is the one typed";
    EXPECT_EQ((std::vector<std::string>{"down 65", "press a"}), log.Events);
    ASSERT_GE(edit->Reflected.size(), 3u); // down, char, up: each reflected first
    EXPECT_EQ(CN_KEYDOWN, edit->Reflected[0]);
    EXPECT_EQ(CN_CHAR, edit->Reflected[1]);
    EXPECT_EQ(CN_KEYUP, edit->Reflected[2]);

    log.Events.clear();
    log.Swallow = true; // key 0 from OnKeyDown: the widget never sees the key
    SendKey(widget, Qt::Key_Backspace);
    EXPECT_EQ("b", widget->text().toStdString());

    // A control that takes the reflected key stops it: no event, no typing.
    log.Events.clear();
    log.Swallow = false;
    edit->TakeKeys = true;
    SendKey(widget, Qt::Key_C, "c");
    EXPECT_TRUE(log.Events.empty());
    EXPECT_EQ("b", widget->text().toStdString());
    EXPECT_EQ(1, SendMessageA(edit->Handle(), WM_KEYDOWN, 'D', 0));
}

TEST(ScreenCursor, OneOverrideAtATimeAndDefaultRemovesIt)
{
    Screen->SetCursor(crHourGlass);
    Screen->SetCursor(crCross);
    ASSERT_NE(nullptr, QGuiApplication::overrideCursor());
    EXPECT_EQ(Qt::CrossCursor, QGuiApplication::overrideCursor()->shape());
    Screen->SetCursor(crDefault);
    EXPECT_EQ(nullptr, QGuiApplication::overrideCursor());
}
