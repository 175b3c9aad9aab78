// Window timers over QTimer, delivered as the low-priority message a tick is.
//
// A QTimer's expiry only marks its timer due. A due timer is delivered when no posted
// message waits: at once if the queue is empty when it expires, otherwise once the pump has
// handled the last message waiting (PostedMessageHandled). So a handler never sees a tick
// ahead of a message that was posted before it, and state that a posted message announces
// (a player that says it has opened, say) has been heard before a timer polls it. However
// often a timer expires while it waits, it is delivered once. A handler that posts a message
// from every message it handles keeps the queue from ever emptying and its timers from
// ever ticking, as it would on Windows.
#include "platform/user/WindowObject.h"

#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <exception>

namespace {

// Windows never fires a timer more often than this.
constexpr UINT MinimumElapseMs = 10;

struct TimerEntry {
    HWND window = nullptr;
    UINT_PTR id = 0;
    TIMERPROC proc = nullptr;
    QTimer* timer = nullptr;
    // Expired and not yet delivered; dueOrder ranks due timers by their first expiry.
    bool due = false;
    std::uint64_t dueOrder = 0;
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

std::vector<TimerEntry>::iterator OldestDue()
{
    auto& timers = Timers();
    auto oldest = timers.end();
    for (auto it = timers.begin(); it != timers.end(); ++it) {
        if (it->due && (oldest == timers.end() || it->dueOrder < oldest->dueOrder))
            oldest = it;
    }
    return oldest;
}

// A delivery round is asked of the pump and has not run yet.
bool g_roundAsked = false;

void StopTimer(QTimer* timer)
{
    timer->stop();
    // The timer may be the one whose signal is running right now.
    timer->deleteLater();
}

// Delivers one tick of the timer (window, id), which was due.
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

void AskForRound();

// Delivers the oldest due timer if no posted message waits, and asks for another round
// while others are due. Each tick is its own round, as each WM_TIMER is its own message:
// a message posted by a tick's handler goes out before the next tick, and Qt's own events
// (input, painting) get their turn between ticks.
void DeliverOldestDue()
{
    if (!PostedQueueEmpty())
        return; // the pump asks for a round when it has handled the last message
    auto it = OldestDue();
    if (it == Timers().end())
        return;
    it->due = false;
    Fire(it->window, it->id);
    AskForRound();
}

void DeliverRound()
{
    g_roundAsked = false;
    DeliverOldestDue();
}

void AskForRound()
{
    if (g_roundAsked || OldestDue() == Timers().end())
        return;
    QObject* pump = MessagePump();
    if (pump == nullptr)
        return;
    g_roundAsked = true;
    QMetaObject::invokeMethod(pump, &DeliverRound, Qt::QueuedConnection);
}

void Expired(HWND window, UINT_PTR id)
{
    static std::uint64_t expiries = 0;
    auto it = FindTimer(window, id);
    if (it == Timers().end() || it->due)
        return; // expiries of a timer that waits are one tick
    it->due = true;
    it->dueOrder = ++expiries;
    // With nothing waiting the tick goes out now, from this expiry (inside a loop that a
    // handler runs, a modal box's say, too).
    DeliverOldestDue();
}

} // namespace

void PostedMessageHandled()
{
    if (PostedQueueEmpty())
        AskForRound();
}

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
        // Replacing a timer starts it afresh: a tick it owed is forgotten.
        it->proc = proc;
        it->due = false;
        it->timer->start(interval);
    } else {
        auto* timer = new QTimer(pump);
        QObject::connect(timer, &QTimer::timeout, timer, [window, id] { Expired(window, id); });
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
