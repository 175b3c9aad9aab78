// Posted messages across threads, sent messages, timers.
#include "tests/platform/user/UserTestSupport.h"

#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
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

// A payload written by the posting thread just before it posts, read and freed by the
// handler: the hand-over must make the writes visible (a ThreadSanitizer build checks it).
struct Payload {
    int thread;
    int index;
    std::vector<int> numbers;
};
std::vector<std::pair<int, int>> g_payloads;
bool g_payloadsIntact = true;

LRESULT PayloadProc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m != WM_GRABBERFRAME)
        return DefWindowProcA(w, m, wp, lp);
    std::unique_ptr<Payload> payload(reinterpret_cast<Payload*>(lp));
    g_payloads.emplace_back(payload->thread, payload->index);
    g_payloadsIntact = g_payloadsIntact && payload->numbers.size() == 64 && payload->numbers[63] == payload->index;
    return 0;
}

TEST_F(MessagesTest, MessagesPostedByTwoThreadsCarryWhatTheyWroteAndKeepEachThreadsOrder)
{
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PayloadProc));
    g_payloads.clear();
    g_payloadsIntact = true;
    constexpr int Count = 500;
    auto post = [&](int thread) {
        for (int i = 0; i < Count; ++i) {
            auto* payload = new Payload{thread, i, std::vector<int>(64, i)};
            if (!PostMessageA(window, WM_GRABBERFRAME, 0, reinterpret_cast<LPARAM>(payload)))
                delete payload;
        }
    };
    std::thread first(post, 1);
    std::thread second(post, 2);
    ASSERT_TRUE(WaitUntil([&] { return g_payloads.size() == 2 * Count; }));
    first.join();
    second.join();
    EXPECT_TRUE(g_payloadsIntact);
    int next[3] = {0, 0, 0};
    for (const auto& [thread, index] : g_payloads)
        ASSERT_EQ(next[thread]++, index) << "thread " << thread;
}

std::vector<std::string> g_nesting;

LRESULT NestingProc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m != WM_GRABBERFRAME)
        return DefWindowProcA(w, m, wp, lp);
    g_nesting.push_back("begin " + std::to_string(wp));
    if (wp == 0) {
        // A handler that runs the event loop (a modal wait) gets the messages posted meanwhile.
        PostMessageA(w, WM_GRABBERFRAME, 1, 0);
        WaitUntil([] { return g_nesting.size() >= 5; }, 5000);
    }
    g_nesting.push_back("end " + std::to_string(wp));
    return 0;
}

TEST_F(MessagesTest, AHandlerRunningTheEventLoopReceivesTheMessagesPostedMeanwhileInOrder)
{
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NestingProc));
    g_nesting.clear();
    PostMessageA(window, WM_GRABBERFRAME, 0, 0);
    PostMessageA(window, WM_GRABBERFRAME, 2, 0);
    ASSERT_TRUE(WaitUntil([] { return g_nesting.size() == 6; }));
    const std::vector<std::string> expected = {"begin 0", "begin 2", "end 2", "begin 1", "end 1", "end 0"};
    EXPECT_EQ(expected, g_nesting);
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
