// Moving, sizing, stacking and showing windows, and the messages that tell about it.
#include "tests/platform/user/UserTestSupport.h"

#include <QWidget>

#include <gtest/gtest.h>

namespace {

const std::vector<UINT> PositionMessages{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE};

class GeometryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterRecordingClass("GeometryClass");
        top = MakeTopLevel("GeometryClass", 400, 300);
        ShowWindow(top, SW_SHOW);
        child = MakeChild("GeometryClass", top, 0, 0, 20, 20);
        MessageLog().clear();
    }
    void TearDown() override
    {
        DestroyWindow(top);
        FlushDeferredDeletes();
    }
    HWND top = nullptr;
    HWND child = nullptr;
};

TEST_F(GeometryTest, MoveWindowAnnouncesThenReportsMoveAndSize)
{
    MoveWindow(child, 10, 20, 100, 50, TRUE);
    EXPECT_EQ(MessagesOf(child, PositionMessages),
              (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}));
    const LoggedMessage size = Logged(child, WM_SIZE).at(0);
    EXPECT_EQ(size.wParam, SIZE_RESTORED);
    EXPECT_EQ(LOWORD(size.lParam), 100);
    EXPECT_EQ(HIWORD(size.lParam), 50);
    const LoggedMessage move = Logged(child, WM_MOVE).at(0);
    EXPECT_EQ(GET_X_LPARAM(move.lParam), 10);
    EXPECT_EQ(GET_Y_LPARAM(move.lParam), 20);
    RECT client;
    GetClientRect(child, &client);
    EXPECT_EQ(client.right, 100);
    EXPECT_EQ(client.bottom, 50);

    // Only what changed is reported, and nothing twice.
    MessageLog().clear();
    MoveWindow(child, -30, 20, 100, 50, TRUE);
    EXPECT_EQ(MessagesOf(child, {WM_MOVE, WM_SIZE}), std::vector<UINT>{WM_MOVE});
    EXPECT_EQ(GET_X_LPARAM(Logged(child, WM_MOVE).at(0).lParam), -30);
}

TEST_F(GeometryTest, WindowPosChangingMayEditThePlacement)
{
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_WINDOWPOSCHANGING) {
            auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
            pos->cx = 77;
            pos->flags |= SWP_NOMOVE;
        }
        return RecordingProc(w, m, wp, lp);
    };
    windowClass.lpszClassName = "ClampingClass";
    RegisterClassA(&windowClass);
    HWND clamped = MakeChild("ClampingClass", top, 5, 5, 10, 10);
    MessageLog().clear();
    SetWindowPos(clamped, nullptr, 50, 50, 200, 30, SWP_NOZORDER);
    RECT rect;
    GetWindowRect(clamped, &rect);
    POINT origin{0, 0};
    ClientToScreen(clamped, &origin);
    EXPECT_EQ(rect.left, origin.x);
    EXPECT_EQ(rect.right - rect.left, 77);
    EXPECT_EQ(rect.bottom - rect.top, 30);
    EXPECT_EQ(WindowWidget(clamped)->pos(), QPoint(5, 5));
    EXPECT_EQ(LOWORD(Logged(clamped, WM_SIZE).at(0).lParam), 77);
}

TEST_F(GeometryTest, ResizeByQtArrivesAsSizeMessagesOnce)
{
    WindowWidget(child)->resize(30, 40);
    EXPECT_EQ(MessagesOf(child, PositionMessages),
              (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_SIZE}));
    EXPECT_EQ(HIWORD(Logged(child, WM_SIZE).at(0).lParam), 40);
}

TEST_F(GeometryTest, HiddenWindowsAreToldAtOnceAndNotAgainWhenShown)
{
    HWND hidden = MakeChild("GeometryClass", top, 0, 0, 10, 10, 0);
    MessageLog().clear();
    MoveWindow(hidden, 0, 0, 64, 48, FALSE);
    EXPECT_EQ(MessagesOf(hidden, {WM_SIZE}).size(), 1u);
    EXPECT_FALSE(ShowWindow(hidden, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(hidden));
    EXPECT_EQ(MessagesOf(hidden, {WM_SIZE, WM_SHOWWINDOW}), (std::vector<UINT>{WM_SIZE, WM_SHOWWINDOW}));
    EXPECT_TRUE(ShowWindow(hidden, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(hidden));
    EXPECT_EQ(Logged(hidden, WM_SHOWWINDOW).back().wParam, static_cast<WPARAM>(FALSE));

    // A child of a hidden top-level is not visible, though its own flag is set.
    HWND hiddenTop = MakeTopLevel("GeometryClass");
    HWND inner = MakeChild("GeometryClass", hiddenTop, 0, 0, 5, 5);
    EXPECT_FALSE(IsWindowVisible(inner));
    EXPECT_NE(GetWindowLongPtrA(inner, GWL_STYLE) & WS_VISIBLE, 0);
    DestroyWindow(hiddenTop);
}

TEST_F(GeometryTest, ZOrderFollowsSetWindowPos)
{
    HWND a = MakeChild("GeometryClass", top, 0, 0, 10, 10);
    HWND b = MakeChild("GeometryClass", top, 0, 0, 10, 10);
    EXPECT_EQ(GetWindow(top, GW_CHILD), b) << "the newest child is on top";
    SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(top, GW_CHILD), child);
    EXPECT_EQ(GetWindow(child, GW_HWNDNEXT), b);
    SetWindowPos(child, a, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), child) << "insert-after puts the window just below";
    EXPECT_EQ(GetWindow(top, GW_CHILD), b);
    SetWindowPos(b, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(top, GW_CHILD), a);
    EXPECT_EQ(GetWindow(a, GW_HWNDLAST), b);
}

TEST_F(GeometryTest, SetParentMovesAWindowAndKeepsItsVisibility)
{
    HWND other = MakeChild("GeometryClass", top, 100, 100, 50, 50);
    MoveWindow(child, 3, 4, 20, 20, TRUE);
    EXPECT_EQ(SetParent(child, other), top);
    EXPECT_EQ(GetParent(child), other);
    EXPECT_TRUE(IsWindowVisible(child));
    EXPECT_EQ(WindowWidget(child)->pos(), QPoint(3, 4));
    EXPECT_EQ(SetParent(other, child), nullptr) << "a window cannot go inside its own child";
}

TEST_F(GeometryTest, EnableWindowReportsThePreviousState)
{
    EXPECT_FALSE(EnableWindow(child, FALSE));
    EXPECT_FALSE(IsWindowEnabled(child));
    EXPECT_NE(GetWindowLongPtrA(child, GWL_STYLE) & WS_DISABLED, 0);
    EXPECT_TRUE(EnableWindow(child, TRUE));
    EXPECT_TRUE(IsWindowEnabled(child));
    EXPECT_EQ(MessagesOf(child, {WM_ENABLE}), (std::vector<UINT>{WM_ENABLE, WM_ENABLE}));

    // Disabling an owner, as a modal form does, leaves the windows it owns usable.
    HWND modal = CreateWindowExA(0, "GeometryClass", "Form2", WS_CAPTION, 0, 0, 50, 50, top, nullptr, nullptr, nullptr);
    HWND field = MakeChild("GeometryClass", modal, 0, 0, 10, 10);
    EnableWindow(top, FALSE);
    EXPECT_TRUE(IsWindowEnabled(modal));
    EXPECT_TRUE(WindowWidget(field)->isEnabled());
    EXPECT_FALSE(WindowWidget(child)->isEnabled());
    EnableWindow(top, TRUE);
    EXPECT_TRUE(WindowWidget(child)->isEnabled());
}

} // namespace

namespace {

TEST(ActivationTest, ActivatingAWindowTellsItsHiddenOwnedWindowsOfTheZOrderChange)
{
    RegisterRecordingClass("ActivationClass");
    HWND form = MakeTopLevel("ActivationClass");
    HWND auxiliary = CreateWindowExA(0, "ActivationClass", "", WS_POPUP, 0, 0, 1, 1, form, nullptr, nullptr, nullptr);
    HWND other = MakeTopLevel("ActivationClass");
    ASSERT_TRUE(ShowAndExpose(form));
    ASSERT_TRUE(ShowAndExpose(other));
    WindowWidget(other)->activateWindow();
    ASSERT_TRUE(WaitUntil([&] { return WindowWidget(other)->isActiveWindow(); }));
    MessageLog().clear();
    WindowWidget(form)->activateWindow();
    ASSERT_TRUE(WaitUntil([&] { return !Logged(form, WM_ACTIVATE).empty(); }));
    EXPECT_EQ(Logged(form, WM_ACTIVATE).at(0).wParam, WA_ACTIVE);
    const auto changing = Logged(auxiliary, WM_WINDOWPOSCHANGING);
    ASSERT_EQ(changing.size(), 1u);
    EXPECT_FALSE(IsWindowVisible(auxiliary));
    EXPECT_EQ(Logged(other, WM_ACTIVATE).at(0).wParam, WA_INACTIVE);
    DestroyWindow(other);
    DestroyWindow(form);
    EXPECT_FALSE(IsWindow(auxiliary));
    FlushDeferredDeletes();
}

} // namespace
