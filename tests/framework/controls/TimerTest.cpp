// The timer component: when it runs and when it stops; and the application's bounded wait
// for messages.
#include "tests/framework/controls/ControlTestSupport.h"

#include "framework/Application.h"
#include "framework/ExtCtrls.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMetaObject>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

struct TickCounter : public TObject {
    int Ticks = 0;
    void Tick(TObject*) { ++Ticks; }
};

}  // namespace

TEST(Timer, MadeInCodeItRunsWithItsDefaultsAndStopsWhenDisabledOrGivenNoInterval)
{
    FormGuard form;
    TickCounter counter;
    auto* timer = new TTimer(form.Get());
    EXPECT_TRUE(timer->Enabled());
    EXPECT_EQ(1000u, timer->Interval());
    timer->OnTimer.Assign(&counter, &TickCounter::Tick);
    EXPECT_TRUE(WaitFor([&] { return counter.Ticks >= 1; }, 5000)) << "a timer left at its defaults never ran";

    timer->SetEnabled(false);
    timer->SetInterval(10);
    const int disabledTicks = counter.Ticks;
    EXPECT_FALSE(WaitFor([&] { return counter.Ticks > disabledTicks; }, 200));

    timer->SetEnabled(true);
    EXPECT_TRUE(WaitFor([&] { return counter.Ticks >= disabledTicks + 3; }, 5000));
    timer->SetInterval(0);
    const int stoppedTicks = counter.Ticks;
    EXPECT_FALSE(WaitFor([&] { return counter.Ticks > stoppedTicks; }, 200));
}

TEST(HandleMessagesUntil, EndsAtItsBoundWhenNoMessageComesAndAsSoonAsDoneHolds)
{
    FormGuard form;
    // Should the wait not end at its bound, a message from another thread 5 s later ends the
    // test anyway, and the time taken tells.
    std::atomic<bool> finished{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 500 && !finished; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        QMetaObject::invokeMethod(QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
    });
    Application->ProcessMessages();
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(Application->HandleMessagesUntil([] { return false; }, 100));
    const qint64 idle = clock.elapsed();
    EXPECT_GE(idle, 100);
    EXPECT_LT(idle, 2000) << "the wait outlasted its bound with no message coming";

    TickCounter counter;
    auto* timer = new TTimer(form.Get());
    timer->SetInterval(20);
    timer->OnTimer.Assign(&counter, &TickCounter::Tick);
    clock.restart();
    EXPECT_TRUE(Application->HandleMessagesUntil([&] { return counter.Ticks >= 2; }, 3000));
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(2, counter.Ticks);
    finished = true;
    watchdog.join();
}
