// Creating and destroying windows, the window tree, enumeration and class names.
#include "tests/platform/user/UserTestSupport.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class WindowTreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterRecordingClass("TreePanel");
        RegisterRecordingClass("VideoRendererWindowClass");
        MessageLog().clear();
    }
    void TearDown() override { FlushDeferredDeletes(); }
};

TEST_F(WindowTreeTest, CreationSendsItsMessagesAndRefusesWhatWindowsRefuses)
{
    HWND top = MakeTopLevel("TreePanel");
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(MessagesOf(top), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_MOVE, WM_SIZE}));
    EXPECT_TRUE(WindowWidget(top)->isWindow());
    EXPECT_FALSE(IsWindowVisible(top));

    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_CHILD, 0, 0, 1, 1, top, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(CreateWindowExA(0, "TreePanel", "", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(RegisterClassA(nullptr), 0);
    WNDCLASSA duplicate;
    duplicate.lpfnWndProc = RecordingProc;
    duplicate.lpszClassName = "treepanel"; // class names ignore case
    EXPECT_EQ(RegisterClassA(&duplicate), 0);
    EXPECT_FALSE(UnregisterClassA("TreePanel", nullptr)) << "a class with live windows stays";

    // A procedure that answers -1 to WM_CREATE refuses the window.
    WNDCLASSA refusing;
    refusing.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        return m == WM_CREATE ? -1 : DefWindowProcA(w, m, wp, lp);
    };
    refusing.lpszClassName = "RefusingClass";
    RegisterClassA(&refusing);
    EXPECT_EQ(CreateWindowExA(0, "RefusingClass", "", WS_CHILD, 0, 0, 1, 1, top, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetWindow(top, GW_CHILD), nullptr);
    DestroyWindow(top);
}

TEST_F(WindowTreeTest, DestroyTellsParentsFirstThenFinishesChildrenFirst)
{
    HWND top = MakeTopLevel("TreePanel");
    HWND child = MakeChild("TreePanel", top, 0, 0, 100, 100);
    HWND grandchild = MakeChild("TreePanel", child, 0, 0, 10, 10);
    HWND owned = CreateWindowExA(0, "TreePanel", "aux", WS_POPUP, 0, 0, 10, 10, child, nullptr, nullptr, nullptr);
    ASSERT_NE(owned, nullptr);
    EXPECT_EQ(GetParent(grandchild), child);
    EXPECT_EQ(GetParent(owned), top) << "a popup names its owner, the parent's top-level window";
    EXPECT_EQ(GetWindow(owned, GW_OWNER), top);
    EXPECT_EQ(GetAncestor(grandchild, GA_ROOT), top);
    EXPECT_TRUE(IsChild(top, grandchild));
    QPointer<QWidget> childWidget = WindowWidget(child);

    MessageLog().clear();
    EXPECT_TRUE(DestroyWindow(top));
    std::vector<std::pair<HWND, UINT>> order;
    for (const LoggedMessage& m : MessageLog()) {
        if (m.message == WM_DESTROY || m.message == WM_NCDESTROY)
            order.emplace_back(m.window, m.message);
    }
    const std::vector<std::pair<HWND, UINT>> expected{
        {owned, WM_DESTROY},       {owned, WM_NCDESTROY},     {top, WM_DESTROY},
        {child, WM_DESTROY},       {grandchild, WM_DESTROY},  {grandchild, WM_NCDESTROY},
        {child, WM_NCDESTROY},     {top, WM_NCDESTROY}};
    EXPECT_EQ(order, expected);
    for (HWND h : {top, child, grandchild, owned})
        EXPECT_FALSE(IsWindow(h));
    EXPECT_TRUE(childWidget.isNull()) << "outside any event the widgets go at once";
    EXPECT_FALSE(DestroyWindow(top));
    EXPECT_EQ(SendMessageA(top, WM_NULL, 0, 0), 0);
}

TEST_F(WindowTreeTest, WindowStaysUsableDuringItsDestroyMessage)
{
    static LONG_PTR userDataSeen = 0;
    static BOOL wasWindow = FALSE;
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_DESTROY) {
            wasWindow = IsWindow(w);
            userDataSeen = GetWindowLongPtrA(w, GWLP_USERDATA);
            SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
        }
        return DefWindowProcA(w, m, wp, lp);
    };
    windowClass.lpszClassName = "DestroyCheck";
    RegisterClassA(&windowClass);
    HWND top = MakeTopLevel("DestroyCheck");
    SetWindowLongPtrA(top, GWLP_USERDATA, 1234);
    DestroyWindow(top);
    EXPECT_TRUE(wasWindow);
    EXPECT_EQ(userDataSeen, 1234);
    EXPECT_FALSE(IsWindow(top));
}

TEST_F(WindowTreeTest, DeletingTheWidgetDestroysTheWindow)
{
    HWND top = MakeTopLevel("TreePanel");
    HWND child = MakeChild("TreePanel", top, 0, 0, 10, 10);
    delete WindowWidget(top);
    EXPECT_FALSE(IsWindow(top));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(MessagesOf(child, {WM_DESTROY, WM_NCDESTROY}), (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
}

TEST_F(WindowTreeTest, AWindowMayDestroyItselfFromAnyOfItsMessages)
{
    // From a mouse message (inside Qt's delivery of the event), from a posted message and
    // from a timer: each must be safe, which the sanitizer run checks as well.
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_LBUTTONDOWN || m == WM_APP || m == WM_TIMER) {
            DestroyWindow(w);
            return 0;
        }
        return RecordingProc(w, m, wp, lp);
    };
    windowClass.lpszClassName = "SelfDestroying";
    RegisterClassA(&windowClass);

    HWND top = MakeTopLevel("TreePanel");
    HWND clicked = MakeChild("SelfDestroying", top, 0, 0, 20, 20);
    QPointer<QWidget> widget = WindowWidget(clicked);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), widget->mapToGlobal(QPointF(1, 1)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    EXPECT_FALSE(IsWindow(clicked));
    EXPECT_FALSE(widget.isNull()) << "deleted while Qt still delivered its event";
    FlushDeferredDeletes();
    EXPECT_TRUE(widget.isNull());

    HWND posted = MakeChild("SelfDestroying", top, 0, 0, 20, 20);
    PostMessageA(posted, WM_APP, 0, 0);
    HWND timed = MakeChild("SelfDestroying", top, 0, 0, 20, 20);
    SetTimer(timed, 1, 10, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(posted) && !IsWindow(timed); }));
    EXPECT_EQ(MessagesOf(top, {WM_DESTROY}).size(), 0u);
    DestroyWindow(top);
}

struct FindState {
    HWND found = nullptr;
    int visits = 0;
};

BOOL FindRenderer(HWND window, LPARAM param)
{
    auto* state = reinterpret_cast<FindState*>(param);
    ++state->visits;
    char name[101];
    GetClassNameA(window, name, sizeof name);
    std::string lower = name;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower.find("renderer") == std::string::npos)
        return TRUE;
    state->found = window;
    return FALSE;
}

TEST_F(WindowTreeTest, EnumChildWindowsFindsANestedWindowAndStopsWhenAsked)
{
    HWND top = MakeTopLevel("TreePanel");
    HWND panel = MakeChild("TreePanel", top, 0, 0, 200, 100);
    // A plain Qt widget between two windows, as a framework container would put there.
    auto* container = new QWidget(WindowWidget(panel));
    HWND video = MakeChild("TreePanel", panel, 0, 0, 50, 50);
    WindowWidget(video)->setParent(container);
    HWND renderer = MakeChild("VideoRendererWindowClass", video, 0, 0, 50, 50);
    HWND later = MakeChild("VideoRendererWindowClass", panel, 0, 0, 5, 5);
    SetWindowPos(later, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetParent(video), panel);

    FindState state;
    EnumChildWindows(top, FindRenderer, reinterpret_cast<LPARAM>(&state));
    EXPECT_EQ(state.found, renderer);
    EXPECT_EQ(state.visits, 3) << "panel, video, renderer; the walk stops there";

    // All descendants are visited when the callback never stops it.
    std::vector<HWND> all;
    EnumChildWindows(
        top, [](HWND w, LPARAM p) -> BOOL { reinterpret_cast<std::vector<HWND>*>(p)->push_back(w); return TRUE; },
        reinterpret_cast<LPARAM>(&all));
    EXPECT_EQ(all, (std::vector<HWND>{panel, video, renderer, later}));

    // Destroying windows from inside the walk is safe; dead ones are skipped.
    static HWND toKill = nullptr;
    toKill = video;
    int visited = 0;
    EnumChildWindows(
        top,
        [](HWND w, LPARAM p) -> BOOL {
            ++*reinterpret_cast<int*>(p);
            if (w == toKill)
                DestroyWindow(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&visited));
    EXPECT_EQ(visited, 3) << "the renderer died with its parent before its turn";
    DestroyWindow(top);
}

TEST_F(WindowTreeTest, GetClassNameCopiesUpToTheBufferSize)
{
    HWND top = MakeTopLevel("VideoRendererWindowClass");
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetClassNameA(top, buffer, 6), 5);
    EXPECT_STREQ(buffer, "Video");
    EXPECT_EQ(buffer[6], 'x');
    EXPECT_EQ(GetClassNameA(top, buffer, 25), 24);
    EXPECT_STREQ(buffer, "VideoRendererWindowClass");
    EXPECT_EQ(GetClassNameA(top, buffer, 24), 23);
    buffer[0] = 'x';
    EXPECT_EQ(GetClassNameA(top, buffer, 0), 0);
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(GetClassNameA(reinterpret_cast<HWND>(0x1234), buffer, 64), 0);

    // A UTF-8 character is never cut in two.
    RegisterRecordingClass("Rend\xC3\xA9");
    HWND accented = MakeTopLevel("Rend\xC3\xA9");
    EXPECT_EQ(GetClassNameA(accented, buffer, 6), 4);
    EXPECT_STREQ(buffer, "Rend");
    EXPECT_EQ(GetClassNameA(accented, buffer, 7), 6);
    DestroyWindow(accented);
    DestroyWindow(top);
}

TEST_F(WindowTreeTest, StylesAndWindowDataRoundTrip)
{
    HWND top = CreateWindowExA(0, "TreePanel", "Form1", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 143, 98,
                               514, 390, nullptr, nullptr, nullptr, nullptr);
    QWidget* widget = WindowWidget(top);
    const Qt::WindowFlags flags = widget->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(widget->minimumSize(), widget->maximumSize()) << "no sizing border: fixed size";
    EXPECT_EQ(widget->windowTitle(), QStringLiteral("Form1"));

    HWND child = MakeChild("TreePanel", top, 0, 0, 10, 10, 0);
    EXPECT_EQ(GetWindowLongPtrA(child, GWL_STYLE) & WS_VISIBLE, 0);
    SetWindowLongPtrA(child, GWL_STYLE, GetWindowLongPtrA(child, GWL_STYLE) | WS_CLIPCHILDREN);
    EXPECT_NE(GetWindowLongPtrA(child, GWL_STYLE) & WS_CLIPCHILDREN, 0);
    ShowWindow(child, SW_SHOW);
    EXPECT_NE(GetWindowLongPtrA(child, GWL_STYLE) & WS_VISIBLE, 0);
    EXPECT_EQ(SetWindowLongPtrA(child, GWLP_ID, 42), 0);
    EXPECT_EQ(GetWindowLongPtrA(child, GWLP_ID), 42);
    EXPECT_EQ(SetWindowLongPtrA(child, GWLP_WNDPROC, 0), 0) << "a window keeps a procedure";
    EXPECT_EQ(GetWindowLongPtrA(child, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(RecordingProc));
    DestroyWindow(top);
}

} // namespace
