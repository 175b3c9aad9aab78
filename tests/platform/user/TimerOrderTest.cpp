// Timer ticks as the lowest of messages: after every posted message that waits, once however
// often the timer expired meanwhile, inside a handler's own loop too, and never after the
// timer was killed or replaced.
#include "tests/platform/user/UserTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

// Messages understood by ChainProc (wParam is the message's number in the log).
constexpr UINT WM_STEP = WM_APP + 1;    // logs; posts step wParam+1 while below g_chainEnd,
                                        // then g_afterChain
constexpr UINT WM_MARK = WM_APP + 2;    // logs only
constexpr UINT WM_KILLS = WM_APP + 3;   // kills timer 1, replaces timer 2, destroys g_doomed
constexpr UINT WM_NESTED = WM_APP + 4;  // posts a mark, then runs a loop of its own until a tick

WPARAM g_chainEnd = 0;
UINT g_afterChain = 0;
int g_stepSleepMs = 0;
HWND g_doomed = nullptr;
// The log as "kind:number" in delivery order, for whole-sequence comparisons.
std::vector<std::string> g_seen;
bool g_postFromTick = false;
bool g_nestedTicked = false;

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

LRESULT ChainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_STEP:
        g_seen.push_back("step:" + std::to_string(wParam));
        // The handler takes a while, so timers expire while the next step waits.
        Sleep(g_stepSleepMs);
        if (wParam < g_chainEnd)
            PostMessageA(window, WM_STEP, wParam + 1, 0);
        else if (g_afterChain != 0)
            PostMessageA(window, g_afterChain, 0, 0);
        return 0;
    case WM_MARK:
        g_seen.push_back("mark:" + std::to_string(wParam));
        return 0;
    case WM_KILLS:
        g_seen.push_back("kills");
        KillTimer(window, 1);
        SetTimer(window, 2, 60000, nullptr);
        DestroyWindow(g_doomed);
        return 0;
    case WM_TIMER:
        g_seen.push_back("timer:" + std::to_string(wParam));
        if (g_postFromTick) {
            g_postFromTick = false;
            PostMessageA(window, WM_MARK, 100 + wParam, 0);
        }
        return 0;
    case WM_NESTED: {
        g_seen.push_back("nested");
        PostMessageA(window, WM_MARK, 1, 0);
        // A modal box's loop: it runs until the window procedure has had its tick.
        WaitUntil([] { return g_nestedTicked; }, 15000);
        g_seen.push_back("nested-end");
        return 0;
    }
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

int g_procTicks = 0;

void TickProc(HWND, UINT message, UINT_PTR, DWORD)
{
    if (message == WM_TIMER) {
        ++g_procTicks;
        g_seen.push_back("proc");
        g_nestedTicked = true;
    }
}

class TimerOrderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSA chain;
        chain.lpfnWndProc = ChainProc;
        chain.lpszClassName = "TimerChainClass";
        RegisterClassA(&chain);
        g_seen.clear();
        g_chainEnd = 0;
        g_afterChain = 0;
        g_stepSleepMs = 0;
        g_doomed = nullptr;
        g_postFromTick = false;
        g_nestedTicked = false;
        g_procTicks = 0;
        window = MakeTopLevel("TimerChainClass");
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(window);
        FlushDeferredDeletes();
    }
    std::size_t Count(const std::string& entry) const
    {
        return static_cast<std::size_t>(std::count(g_seen.begin(), g_seen.end(), entry));
    }
    HWND window = nullptr;
};

using Seen = std::vector<std::string>;

TEST_F(TimerOrderTest, ATickWaitsForEveryMessagePostedBeforeIt)
{
    // Two messages wait while a 0 ms timer (10 ms, the shortest there is) becomes due.
    PostMessageA(window, WM_MARK, 1, 0);
    PostMessageA(window, WM_MARK, 2, 0);
    ASSERT_EQ(SetTimer(window, 1, 0, nullptr), 1u);
    Sleep(30);
    ASSERT_TRUE(WaitUntil([] { return !g_seen.empty() && g_seen.back() == "timer:1"; }));
    KillTimer(window, 1);
    // Later ticks may follow while the wait looks again; the first three are the sequence.
    ASSERT_GE(g_seen.size(), 3u);
    EXPECT_EQ(Seen(g_seen.begin(), g_seen.begin() + 3), (Seen{"mark:1", "mark:2", "timer:1"}));

    // Handlers that post while the timer is due: what they posted goes first, as the player's
    // open event goes before the tick that polls the player.
    g_seen.clear();
    g_chainEnd = 10;
    g_stepSleepMs = 5;
    ASSERT_EQ(SetTimer(window, 1, 0, nullptr), 1u);
    PostMessageA(window, WM_STEP, 1, 0);
    ASSERT_TRUE(WaitUntil([] { return !g_seen.empty() && g_seen.back() == "timer:1"; }));
    KillTimer(window, 1);
    Seen expected;
    for (int i = 1; i <= 10; ++i)
        expected.push_back("step:" + std::to_string(i));
    expected.push_back("timer:1");
    ASSERT_GE(g_seen.size(), expected.size());
    EXPECT_EQ(Seen(g_seen.begin(), g_seen.begin() + static_cast<long>(expected.size())), expected);
}

TEST_F(TimerOrderTest, ExpiriesWhileMessagesWaitAreOneTickAndEachTickIsItsOwnMessage)
{
    // A chain of twenty messages, each handled in 5 ms and posting the next: the 10 ms timers
    // expire many times while a message waits, and tick once each when the chain ends.
    g_chainEnd = 20;
    g_stepSleepMs = 5;
    g_postFromTick = true;
    ASSERT_EQ(SetTimer(window, 1, 10, nullptr), 1u);
    ASSERT_EQ(SetTimer(window, 2, 10, nullptr), 2u);
    PostMessageA(window, WM_STEP, 1, 0);
    ASSERT_TRUE(WaitUntil([&] { return Count("timer:1") > 0 && Count("timer:2") > 0; }));
    KillTimer(window, 1);
    KillTimer(window, 2);
    WaitUntil([&] { return Count("mark:101") + Count("mark:102") > 0; }, 2000);

    Seen expected;
    for (int i = 1; i <= 20; ++i)
        expected.push_back("step:" + std::to_string(i));
    ASSERT_GE(g_seen.size(), 23u);
    EXPECT_EQ(Seen(g_seen.begin(), g_seen.begin() + 20), expected);
    // The first tick's handler posts a message; it goes out before the other due tick.
    const std::string first = g_seen[20];
    ASSERT_TRUE(first == "timer:1" || first == "timer:2") << first;
    const std::string other = first == "timer:1" ? "timer:2" : "timer:1";
    const std::string mark = first == "timer:1" ? "mark:101" : "mark:102";
    EXPECT_EQ(Seen(g_seen.begin() + 20, g_seen.begin() + 23), (Seen{first, mark, other}));
}

TEST_F(TimerOrderTest, KillingOrReplacingATimerDropsTheTickItOwed)
{
    HWND doomed = MakeTopLevel("TimerChainClass");
    ASSERT_NE(doomed, nullptr);
    g_doomed = doomed;
    ASSERT_EQ(SetTimer(window, 1, 10, nullptr), 1u);
    ASSERT_EQ(SetTimer(window, 2, 10, nullptr), 2u);
    ASSERT_EQ(SetTimer(doomed, 3, 10, nullptr), 3u);
    // A chain of messages outlasts every timer and ends with the message that kills, replaces
    // and destroys: each timer owes a tick while that message waits.
    g_chainEnd = 20;
    g_afterChain = WM_KILLS;
    g_stepSleepMs = 5;
    PostMessageA(window, WM_STEP, 1, 0);
    ASSERT_TRUE(WaitUntil([&] { return Count("kills") == 1; }));
    testsupport::Pump(60);
    KillTimer(window, 2);
    Seen expected;
    for (int i = 1; i <= 20; ++i)
        expected.push_back("step:" + std::to_string(i));
    expected.push_back("kills");
    EXPECT_EQ(g_seen, expected);
    EXPECT_FALSE(IsWindow(doomed));
}

TEST_F(TimerOrderTest, ATimerTicksInsideAHandlersOwnLoop)
{
    // A windowless timer with a procedure, as the framework's timer component uses, while a
    // handler runs a loop of its own; the message posted before the loop goes out first.
    const UINT_PTR id = SetTimer(nullptr, 0, 10, &TickProc);
    ASSERT_NE(id, 0u);
    PostMessageA(window, WM_NESTED, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return Count("nested-end") == 1; }));
    KillTimer(nullptr, id);
    ASSERT_GE(g_seen.size(), 4u);
    EXPECT_EQ(Seen(g_seen.begin(), g_seen.begin() + 3), (Seen{"nested", "mark:1", "proc"}));
    EXPECT_EQ(g_seen.back(), "nested-end");
}

} // namespace
