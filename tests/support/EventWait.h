// Bounded waits on Qt's event loop for the tests: a test that waits for a window, a posted
// message or another thread ends on its own whatever happens.
#pragma once

#include <functional>

namespace testsupport {

// Runs the event loop until done() holds or boundMs pass; returns done().
bool WaitUntil(const std::function<bool()>& done, int boundMs = 15000);
// Runs the event loop for `ms` milliseconds.
void Pump(int ms);

} // namespace testsupport
