// Posted messages across threads, sent messages, timers.
#include "tests/platform/user/UserTestSupport.h"

#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr UINT WM_GRABBERFRAME = WM_APP + 1000;

std::vector<WPARAM> g_posted;
bool g_offThread = false;
LONG g_timeAtDelivery = -1;

LRESULT PostedProc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == WM_GRABBERFRAME) {
        g_posted.push_back(wp);
        g_offThread = g_offThread || QThread::currentThread() != QCoreApplication::instance()->thread();
        g_timeAtDelivery = GetMessageTime();
        return 0;
    }
    return RecordingProc(w, m, wp, lp);
}

class MessagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSA posted;
        posted.lpfnWndProc = PostedProc;
        posted.lpszClassName = "PostedClass";
        RegisterClassA(&posted);
        MessageLog().clear();
        g_posted.clear();
        g_offThread = false;
        window = MakeTopLevel("PostedClass");
    }
    void TearDown() override
    {
        DestroyWindow(window);
        FlushDeferredDeletes();
    }
    HWND window = nullptr;
};

TEST_F(MessagesTest, MessagesPostedFromAnotherThreadArriveInOrderOnTheUiThread)
{
    constexpr int Count = 2000;
    std::atomic<bool> allAccepted{true};
    std::thread streaming([&] {
        for (int i = 0; i < Count; ++i) {
            if (!PostMessageA(window, WM_GRABBERFRAME, static_cast<WPARAM>(i), 1))
                allAccepted = false;
        }
    });
    ASSERT_TRUE(WaitUntil([&] { return g_posted.size() == Count; }));
    streaming.join();
    EXPECT_TRUE(allAccepted);
    EXPECT_FALSE(g_offThread);
    for (int i = 0; i < Count; ++i)
        ASSERT_EQ(g_posted[static_cast<std::size_t>(i)], static_cast<WPARAM>(i));
    EXPECT_GE(g_timeAtDelivery, 0);
}

TEST_F(MessagesTest, PostedMessagesUseTheProcedureCurrentAtDeliveryAndDieWithTheWindow)
{
    PostMessageA(window, WM_GRABBERFRAME, 1, 0);
    // Replaced after posting: delivery goes through the new procedure.
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc));
    ASSERT_TRUE(WaitUntil([&] { return !MessagesOf(window, {WM_GRABBERFRAME}).empty(); }));
    EXPECT_TRUE(g_posted.empty());

    HWND doomed = MakeTopLevel("PostedClass");
    EXPECT_TRUE(PostMessageA(doomed, WM_GRABBERFRAME, 7, 0));
    DestroyWindow(doomed);
    EXPECT_FALSE(PostMessageA(doomed, WM_GRABBERFRAME, 8, 0));
    PostMessageA(window, WM_GRABBERFRAME, 9, 0); // a marker behind the dropped one
    ASSERT_TRUE(WaitUntil([&] { return MessagesOf(window, {WM_GRABBERFRAME}).size() == 2; }));
    EXPECT_TRUE(g_posted.empty());
    EXPECT_TRUE(MessagesOf(doomed, {WM_GRABBERFRAME}).empty());
}

TEST_F(MessagesTest, SendMessageReturnsTheProceduresAnswer)
{
    WNDCLASSA answering;
    answering.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        return m == WM_USER + 5 ? static_cast<LRESULT>(wp + static_cast<WPARAM>(lp)) : DefWindowProcA(w, m, wp, lp);
    };
    answering.lpszClassName = "AnsweringClass";
    RegisterClassA(&answering);
    HWND h = MakeTopLevel("AnsweringClass");
    EXPECT_EQ(SendMessageA(h, WM_USER + 5, 40, 2), 42);
    // Another thread may not send; it gets 0 and the procedure is not called.
    LRESULT fromThread = -1;
    std::thread([&] { fromThread = SendMessageA(h, WM_USER + 5, 1, 1); }).join();
    EXPECT_EQ(fromThread, 0);
    DestroyWindow(h);
}

int g_procTicks = 0;
UINT_PTR g_procId = 0;

TEST_F(MessagesTest, TimersFireUntilKilledAndDieWithTheirWindow)
{
    HWND h = MakeTopLevel("InputlessTimerClass");
    RegisterRecordingClass("TimerClass");
    HWND timed = MakeTopLevel("TimerClass");
    EXPECT_EQ(h, nullptr) << "unregistered class";
    EXPECT_EQ(SetTimer(timed, 7, 10, nullptr), 7u);
    ASSERT_TRUE(WaitUntil([&] { return Logged(timed, WM_TIMER).size() >= 3; }));
    for (const LoggedMessage& m : Logged(timed, WM_TIMER))
        EXPECT_EQ(m.wParam, 7u);
    EXPECT_TRUE(KillTimer(timed, 7));
    EXPECT_FALSE(KillTimer(timed, 7));
    const std::size_t ticks = Logged(timed, WM_TIMER).size();
    QThread::msleep(40);
    QCoreApplication::processEvents();
    EXPECT_EQ(Logged(timed, WM_TIMER).size(), ticks);

    // A timer procedure instead of the message; a windowless timer gets its own id.
    g_procTicks = 0;
    const UINT_PTR id = SetTimer(nullptr, 0, 10, [](HWND, UINT message, UINT_PTR timerId, DWORD) {
        if (message == WM_TIMER && timerId == g_procId)
            ++g_procTicks;
    });
    g_procId = id;
    EXPECT_NE(id, 0u);
    ASSERT_TRUE(WaitUntil([&] { return g_procTicks >= 2; }));
    EXPECT_TRUE(KillTimer(nullptr, id));

    SetTimer(timed, 3, 10, nullptr);
    DestroyWindow(timed);
    EXPECT_FALSE(KillTimer(timed, 3)) << "the window's timers went with it";
    EXPECT_EQ(SetTimer(timed, 3, 10, nullptr), 0u);
}

} // namespace
