// The classes that the program's layouts create by name beyond the framework's controls: the
// windows themselves and the video source component. Registering again is harmless.
#pragma once

void RegisterProgramClasses();
