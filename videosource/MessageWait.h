// Waiting on the user-interface thread without blocking it: the window messages, timers and
// the control's events keep being handled while the wait lasts, and every wait has a bound
// measured on the steady clock, so that a condition that never comes cannot hang the
// program. Thread: the user-interface thread.
#pragma once

#include <functional>

// Handles pending messages until `done` holds or `boundMs` milliseconds have passed on the
// steady clock; returns done() as last seen. `done` is asked before the first round, so a
// condition already true returns at once without handling anything.
bool WaitProcessingMessages(const std::function<bool()>& done, int boundMs);
