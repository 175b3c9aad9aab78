#include "app/CommandLine.h"

#include <algorithm>
#include <cctype>

#ifndef QUELLON_VERSION
#error "QUELLON_VERSION is set by the build from the project's version"
#endif

TCommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    TCommandLine line;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && arg.size() > 1 && arg.front() == '-') {
            if (arg == "--help" || arg == "-h") {
                line.Action = TCommandLine::TAction::Help;
                return line;
            }
            if (arg == "--version") {
                line.Action = TCommandLine::TAction::Version;
                return line;
            }
            line.Action = TCommandLine::TAction::Usage;
            line.Error = "unknown option \"" + arg + "\"";
            return line;
        }
        if (!line.File.empty()) {
            line.Action = TCommandLine::TAction::Usage;
            line.Error = "one file at a time (\"" + line.File + "\" and \"" + arg + "\" were named)";
            return line;
        }
        if (arg.empty()) {
            line.Action = TCommandLine::TAction::Usage;
            line.Error = "an empty file name";
            return line;
        }
        line.File = arg;
    }
    return line;
}

std::string HelpText()
{
    return "Usage: quellon [FILE]\n"
           "Turns videos into movies (.kql) for a 131 x 80 screen with 16 grey levels.\n"
           "\n"
           "With a video FILE, the main window opens it at start, as if it had been chosen\n"
           "with \"Open\". With a movie FILE (a name ending in .kql), the player window opens\n"
           "with that movie chosen. A file that cannot be found is said so in the window.\n"
           "\n"
           "Options:\n"
           "  -h, --help     show this help and exit\n"
           "      --version  show the version and exit\n"
           "\n"
           "Exit status: 0 when the window was closed or a question answered, 1 when the\n"
           "program could not start, 2 for a command line it does not understand.\n"
           "\n"
           "See also: kqltool --help, the command-line companion (convert pictures, render\n"
           "and check movies, capture without a window).\n";
}

std::string VersionText() { return "quellon " QUELLON_VERSION "\n"; }

std::string UsageText() { return "Usage: quellon [FILE]\nTry \"quellon --help\" for more.\n"; }

bool IsMovieFileName(const std::string& path)
{
    constexpr std::string_view extension = ".kql";
    if (path.size() <= extension.size())
        return false;
    return std::equal(extension.begin(), extension.end(), path.end() - static_cast<long>(extension.size()),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}
