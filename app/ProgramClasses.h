// What the program needs in place before its first window is made: the media player control
// and the DirectShow services (Sample Grabber included) installed in the process, as if they
// were registered on the machine, so that a fresh machine needs nothing registered by hand;
// and the classes its layouts create by name beyond the framework's controls (the windows and
// the video source component). Both are idempotent.
#pragma once

#include <string>

// The installation's first failure as a message, or an empty string when all is in place.
std::string InstallProgramComponents();
void RegisterProgramClasses();
