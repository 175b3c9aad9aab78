// The timer component: when it runs and when it stops.
#include "tests/framework/controls/ControlTestSupport.h"

#include "framework/ExtCtrls.h"

#include <gtest/gtest.h>

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
