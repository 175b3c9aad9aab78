// Delays that tests put into the graph on purpose, to show that what is built over it does not
// depend on how fast the graph's threads happen to run. Unused, each costs one relaxed atomic
// read where it sits. Not for the program: only tests set them.
#pragma once

// From now on every seek of a paused source waits `ms` milliseconds before it decodes and
// delivers its frame, as a long decode would; 0 (the default) waits nothing. Any thread.
void SetPausedSeekDelayMs(int ms) noexcept;
int PausedSeekDelayMs() noexcept;

// Sets the delay for its lifetime, then back to 0.
class ScopedPausedSeekDelay {
public:
    explicit ScopedPausedSeekDelay(int ms) noexcept { SetPausedSeekDelayMs(ms); }
    ~ScopedPausedSeekDelay() { SetPausedSeekDelayMs(0); }
    ScopedPausedSeekDelay(const ScopedPausedSeekDelay&) = delete;
    ScopedPausedSeekDelay& operator=(const ScopedPausedSeekDelay&) = delete;
};
