// kqltool capture: a capture run of the program's own main window, without a display.
//
// It makes the real main window offscreen (the same layout, handlers, video source and media
// player as the program), answers its dialogs through the scripted dialog service, sets the
// controls as a user would (open, frame skip, the bar, the zone by dragging it, brightness,
// contrast, frames per file, multi-file), presses "Capture from here" and waits for the run to
// end, so the files are those the window writes with the same settings. Only the video
// source's relay period may be made shorter (--relay-ms), for speed.
#pragma once

#include <string>
#include <vector>

int CaptureCommand(const std::vector<std::string>& args);

extern const char* const CaptureUsage;
