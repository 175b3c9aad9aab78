#include "platform/dshow/TestDelays.h"

#include <atomic>

namespace {

std::atomic<int> pausedSeekDelayMs{0};

} // namespace

void SetPausedSeekDelayMs(int ms) noexcept
{
    pausedSeekDelayMs.store(ms > 0 ? ms : 0, std::memory_order_relaxed);
}

int PausedSeekDelayMs() noexcept
{
    return pausedSeekDelayMs.load(std::memory_order_relaxed);
}
