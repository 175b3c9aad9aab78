// Window timers over QTimer.
#include "platform/user/WindowObject.h"

#include <QTimer>

#include <algorithm>
#include <exception>

namespace {

// Windows never fires a timer more often than this.
constexpr UINT MinimumElapseMs = 10;

struct TimerEntry {
    HWND window = nullptr;
    UINT_PTR id = 0;
    TIMERPROC proc = nullptr;
    QTimer* timer = nullptr;
};

std::vector<TimerEntry>& Timers()
{
    static std::vector<TimerEntry> timers;
    return timers;
}

std::vector<TimerEntry>::iterator FindTimer(HWND window, UINT_PTR id)
{
    auto& timers = Timers();
    return std::find_if(timers.begin(), timers.end(), [&](const TimerEntry& entry) {
        return entry.window == window && entry.id == id;
    });
}

void StopTimer(QTimer* timer)
{
    timer->stop();
    // The timer may be the one whose signal is running right now.
    timer->deleteLater();
}

void Fire(HWND window, UINT_PTR id)
{
    auto it = FindTimer(window, id);
    if (it == Timers().end())
        return;
    if (window != nullptr && !IsWindow(window)) {
        StopTimer(it->timer);
        Timers().erase(it);
        return;
    }
    const TIMERPROC proc = it->proc;
    const DWORD now = MessageClockMs();
    MessageTimeScope time(now);
    try {
        if (proc != nullptr)
            proc(window, WM_TIMER, id, now);
        else
            SendMessageA(window, WM_TIMER, id, 0);
    } catch (const std::exception& error) {
        qWarning("Exception escaped a timer handler: %s", error.what());
    } catch (...) {
        qWarning("Exception escaped a timer handler");
    }
}

} // namespace

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC proc)
{
    if (window != nullptr) {
        WindowPtr w = FindWindowObject(window);
        if (w == nullptr || w->destroying)
            return 0;
    }
    QObject* pump = MessagePump();
    if (pump == nullptr)
        return 0;
    if (window == nullptr && FindTimer(nullptr, id) == Timers().end()) {
        // A timer without a window gets an id of its own choosing.
        static UINT_PTR nextId = 0x7F00;
        do {
            id = ++nextId;
        } while (FindTimer(nullptr, id) != Timers().end());
    }
    const int interval = static_cast<int>(std::min<UINT>(std::max(elapseMs, MinimumElapseMs), 0x7FFFFFFF));
    auto it = FindTimer(window, id);
    if (it != Timers().end()) {
        it->proc = proc;
        it->timer->start(interval);
    } else {
        auto* timer = new QTimer(pump);
        QObject::connect(timer, &QTimer::timeout, timer, [window, id] { Fire(window, id); });
        Timers().push_back(TimerEntry{window, id, proc, timer});
        timer->start(interval);
    }
    return window == nullptr ? id : (id != 0 ? id : 1);
}

BOOL KillTimer(HWND window, UINT_PTR id)
{
    auto it = FindTimer(window, id);
    if (it == Timers().end())
        return FALSE;
    StopTimer(it->timer);
    Timers().erase(it);
    return TRUE;
}

void KillWindowTimers(HWND window)
{
    auto& timers = Timers();
    for (auto it = timers.begin(); it != timers.end();) {
        if (it->window == window) {
            StopTimer(it->timer);
            it = timers.erase(it);
        } else {
            ++it;
        }
    }
}
