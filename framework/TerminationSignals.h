// SIGINT, SIGTERM and SIGHUP as requests to the event loop (the low level of
// TApplication::CatchTerminationSignals).
//
// The handler does nothing unsafe: the first signal writes its number into a pipe, which the
// event loop watches, and returns, so the program ends its work as it chooses (a capture run
// as "Cancel" does, files closed at a whole frame). A signal that comes after the first one,
// while the program is still ending, ends the process at once with the conventional status
// (128 + signal), having first cut every open movie file back to its last whole frame
// (CutOpenFilesToWholeUnits). SIGKILL cannot be caught: it leaves a movie file with at most
// the part of a frame that was on its way to the disk.
#pragma once

namespace termination {

// Installs the handlers (once; later calls return the same descriptor) and returns the read
// end of the pipe, which becomes readable when a signal has come. -1 if the pipe could not be
// made (the signals then keep their default action).
int InstallHandlers() noexcept;

// The number of the first signal caught, read from the pipe; 0 when none is waiting.
int TakeSignal() noexcept;

} // namespace termination
