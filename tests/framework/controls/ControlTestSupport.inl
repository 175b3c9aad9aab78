#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

template <class Predicate>
bool WaitFor(Predicate done, int boundMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > boundMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}
