// The program's command line: `quellon [FILE]`, `quellon --help`, `quellon --version`.
//
// Parsing needs nothing of the windowing system, so help, version and usage errors are
// answered before any window or display exists. A FILE whose name ends in ".kql" (in any
// case) is a movie for the player window; any other is a video for the main window.
#pragma once

#include <string>
#include <vector>

struct TCommandLine {
    enum class TAction { Run, Help, Version, Usage };
    TAction Action = TAction::Run;
    std::string File;  // the file to open at start; empty when none is named
    std::string Error; // what is wrong with the arguments, when Action is Usage
};

// `args` are the arguments after the program's name. "--" ends the options, so that a file
// whose name starts with '-' can be named.
TCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The texts of --help and --version, and the short usage line for errors; each ends with a
// newline. The manual page is made from the first two.
std::string HelpText();
std::string VersionText();
std::string UsageText();

bool IsMovieFileName(const std::string& path);
