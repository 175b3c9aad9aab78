#include "tests/support/EventWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <chrono>
#include <thread>

namespace testsupport {

bool WaitUntil(const std::function<bool()>& done, int boundMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > boundMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        // processEvents returns at once when nothing is pending: a short sleep leaves the
        // cores to the threads being waited for.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void Pump(int ms)
{
    QElapsedTimer timer;
    timer.start();
    WaitUntil([&] { return timer.elapsed() >= ms; }, ms + 1000);
}

} // namespace testsupport
