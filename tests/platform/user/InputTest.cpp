// Keyboard and mouse input as messages: key data bits, key state, help on F1, mouse
// capture while dragging, focus.
#include "tests/platform/user/UserTestSupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

SHORT g_shiftAtKeyDown = 0;

LRESULT KeyStateProc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == WM_KEYDOWN)
        g_shiftAtKeyDown = GetKeyState(VK_SHIFT);
    return RecordingProc(w, m, wp, lp);
}

class InputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterRecordingClass("InputClass", CS_DBLCLKS);
        WNDCLASSA keys;
        keys.lpfnWndProc = KeyStateProc;
        keys.lpszClassName = "KeyStateClass";
        RegisterClassA(&keys);
        top = MakeTopLevel("InputClass", 300, 200);
        ShowWindow(top, SW_SHOW);
        a = MakeChild("InputClass", top, 0, 0, 50, 50);
        b = MakeChild("InputClass", top, 60, 0, 50, 50);
        MessageLog().clear();
    }
    void TearDown() override
    {
        ReleaseCapture();
        DestroyWindow(top);
        FlushDeferredDeletes();
    }

    static void Mouse(HWND window, QEvent::Type type, QPoint local, Qt::MouseButton button,
                      Qt::MouseButtons buttons)
    {
        QWidget* widget = WindowWidget(window);
        QMouseEvent event(type, QPointF(local), widget->mapToGlobal(QPointF(local)), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
    static void Key(HWND window, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers,
                    const QString& text = {})
    {
        QKeyEvent event(type, key, modifiers, text);
        QApplication::sendEvent(WindowWidget(window), &event);
    }

    HWND top = nullptr;
    HWND a = nullptr;
    HWND b = nullptr;
};

TEST_F(InputTest, DraggingKeepsTheMouseWithThePressingWindow)
{
    Mouse(a, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
    Mouse(b, QEvent::MouseMove, {5, 7}, Qt::NoButton, Qt::LeftButton);
    Mouse(b, QEvent::MouseButtonRelease, {6, 8}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(MessagesOf(a), (std::vector<UINT>{WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP}));
    EXPECT_TRUE(MessagesOf(b).empty());
    const LoggedMessage move = Logged(a, WM_MOUSEMOVE).at(0);
    EXPECT_EQ(GET_X_LPARAM(move.lParam), 65) << "in the pressing window's coordinates";
    EXPECT_EQ(GET_Y_LPARAM(move.lParam), 7);
    EXPECT_EQ(move.wParam, MK_LBUTTON);
    EXPECT_EQ(Logged(a, WM_LBUTTONUP).at(0).wParam, 0u);
    EXPECT_EQ(GetCapture(), nullptr) << "a drag is not an explicit capture";

    // Once the button is up, moves go where the mouse is.
    Mouse(b, QEvent::MouseMove, {1, 1}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(MessagesOf(b), std::vector<UINT>{WM_MOUSEMOVE});
}

TEST_F(InputTest, ADragWhoseReleaseWentElsewhereEndsAtTheNextButtonlessMove)
{
    Mouse(a, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
    // The release went to a modal box: the next move has no button held.
    Mouse(b, QEvent::MouseMove, {5, 5}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(MessagesOf(b), std::vector<UINT>{WM_MOUSEMOVE});
    EXPECT_EQ(MessagesOf(a), std::vector<UINT>{WM_LBUTTONDOWN});
}

TEST_F(InputTest, ExplicitCaptureTakesMovesUntilReleased)
{
    EXPECT_EQ(SetCapture(a), nullptr);
    EXPECT_EQ(GetCapture(), a);
    Mouse(b, QEvent::MouseMove, {0, 40}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(MessagesOf(a), std::vector<UINT>{WM_MOUSEMOVE});
    EXPECT_EQ(SetCapture(b), a);
    EXPECT_EQ(MessagesOf(a, {WM_CAPTURECHANGED}).size(), 1u);
    ReleaseCapture();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(MessagesOf(b, {WM_CAPTURECHANGED}).size(), 1u);
    MessageLog().clear();
    Mouse(b, QEvent::MouseMove, {1, 1}, Qt::NoButton, Qt::NoButton);
    EXPECT_TRUE(MessagesOf(a).empty());
    // A dying window gives the capture up.
    SetCapture(a);
    DestroyWindow(a);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(InputTest, DoubleClicksNeedTheClassStyle)
{
    RegisterRecordingClass("NoDoubleClicks");
    HWND plain = MakeChild("NoDoubleClicks", top, 120, 0, 30, 30);
    MessageLog().clear();
    Mouse(plain, QEvent::MouseButtonDblClick, {1, 1}, Qt::LeftButton, Qt::LeftButton);
    Mouse(plain, QEvent::MouseButtonRelease, {1, 1}, Qt::LeftButton, Qt::NoButton);
    Mouse(a, QEvent::MouseButtonDblClick, {1, 1}, Qt::RightButton, Qt::RightButton);
    Mouse(a, QEvent::MouseButtonRelease, {1, 1}, Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(MessagesOf(plain), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
    EXPECT_EQ(MessagesOf(a), (std::vector<UINT>{WM_RBUTTONDBLCLK, WM_RBUTTONUP}));
    EXPECT_EQ(Logged(a, WM_RBUTTONDBLCLK).at(0).wParam, MK_RBUTTON);
}

TEST_F(InputTest, KeyMessagesCarryWindowsKeyData)
{
    Key(a, QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    Key(a, QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    Key(a, QEvent::KeyRelease, Qt::Key_X, Qt::AltModifier);
    EXPECT_EQ(MessagesOf(a), (std::vector<UINT>{WM_KEYDOWN, WM_CHAR, WM_KEYUP, WM_SYSKEYUP}));
    const auto& log = MessageLog();
    const DWORD down = static_cast<DWORD>(log[0].lParam);
    EXPECT_EQ(log[0].wParam, static_cast<WPARAM>('A'));
    EXPECT_EQ(down & 0xFFFF, 1u) << "repeat count";
    EXPECT_EQ(down >> 29, 0u) << "no Alt, not previously down, pressing";
    EXPECT_EQ(log[1].wParam, static_cast<WPARAM>('a'));
    const DWORD up = static_cast<DWORD>(log[2].lParam);
    EXPECT_EQ(up >> 29, 6u) << "bits 30 and 31 set on release";
    const DWORD altUp = static_cast<DWORD>(log[3].lParam);
    EXPECT_EQ(log[3].wParam, static_cast<WPARAM>('X'));
    EXPECT_EQ(altUp >> 29, 7u) << "bit 29 tells Alt";
}

TEST_F(InputTest, KeyStateIsTheStateOfTheMessageBeingHandled)
{
    HWND keys = MakeChild("KeyStateClass", top, 0, 60, 10, 10);
    Key(keys, QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
    Key(keys, QEvent::KeyPress, Qt::Key_F, Qt::ShiftModifier, QStringLiteral("F"));
    EXPECT_LT(g_shiftAtKeyDown, 0) << "high bit set while Shift is down";
    Key(keys, QEvent::KeyRelease, Qt::Key_F, Qt::ShiftModifier);
    Key(keys, QEvent::KeyRelease, Qt::Key_Shift, Qt::ShiftModifier);
    Key(keys, QEvent::KeyPress, Qt::Key_G, Qt::NoModifier, QStringLiteral("g"));
    EXPECT_GE(g_shiftAtKeyDown, 0);
    EXPECT_EQ(GetKeyState(VK_LBUTTON) & 0x8000, 0);
    EXPECT_EQ(GetKeyState('G') & 0x8000, 0x8000);
    Key(keys, QEvent::KeyRelease, Qt::Key_G, Qt::NoModifier);
}

TEST_F(InputTest, F1AsksForHelpAndHelpGoesUpToTheParent)
{
    static HANDLE helpItem = nullptr;
    WNDCLASSA helpClass;
    helpClass.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_HELP)
            helpItem = reinterpret_cast<const HELPINFO*>(lp)->hItemHandle;
        return RecordingProc(w, m, wp, lp);
    };
    helpClass.lpszClassName = "HelpParent";
    RegisterClassA(&helpClass);
    HWND parent = MakeChild("HelpParent", top, 0, 100, 80, 80);
    HWND inner = MakeChild("InputClass", parent, 0, 0, 10, 10);
    Key(inner, QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    EXPECT_EQ(MessagesOf(inner, {WM_KEYDOWN, WM_HELP}), (std::vector<UINT>{WM_KEYDOWN, WM_HELP}));
    EXPECT_EQ(MessagesOf(parent, {WM_HELP}).size(), 1u);
    EXPECT_EQ(helpItem, inner);
    EXPECT_EQ(MessagesOf(top, {WM_HELP}).size(), 1u);
}

TEST_F(InputTest, FocusMessagesNameTheOtherWindow)
{
    EXPECT_EQ(SetFocus(a), nullptr);
    EXPECT_EQ(GetFocus(), a);
    EXPECT_EQ(SetFocus(b), a);
    EXPECT_EQ(GetFocus(), b);
    ASSERT_EQ(Logged(a, WM_KILLFOCUS).size(), 1u);
    EXPECT_EQ(Logged(a, WM_KILLFOCUS).at(0).wParam, reinterpret_cast<WPARAM>(b));
    ASSERT_EQ(Logged(b, WM_SETFOCUS).size(), 1u);
    EXPECT_EQ(Logged(b, WM_SETFOCUS).at(0).wParam, reinterpret_cast<WPARAM>(a));
    DestroyWindow(b);
    EXPECT_EQ(GetFocus(), nullptr);
}

} // namespace
