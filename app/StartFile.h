// The file named on the command line, opened once both windows exist and the main window is
// shown, the way a person would open it:
//  - a video goes through the main window's own "Open" handler, its dialog answered with the
//    file, so that the video source, "Capture from here" and the remembered folder follow
//    exactly as after a choice in the dialog;
//  - a movie (".kql") is chosen in the player window, which the caller then shows as "Play KQ
//    movies" does;
//  - a file that does not exist, or is not a file, is said so in a message box over the main
//    window, and nothing is opened.
// Thread: the user-interface thread.
#pragma once

#include <string>

class TForm1;
class TForm2;

enum class TStartFile { None, Video, Movie, NotFound };

// `path` may be relative to the current folder; the windows are given its absolute form.
TStartFile OpenStartFile(TForm1& mainWindow, TForm2& playerWindow, const std::string& path);
