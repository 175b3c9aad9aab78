// kqltool: the command-line companion of the converter. Converts a still picture into a movie
// frame as a capture would, draws movies as pictures, and tells what a movie file holds.
#include "framework/Exceptions.h"
#include "tools/kqltool/CaptureCommand.h"
#include "tools/kqltool/Checks.h"
#include "tools/kqltool/Commands.h"
#include "tools/kqltool/Options.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

const char* const MainUsage =
    "usage: kqltool <command> [arguments]\n"
    "\n"
    "commands:\n"
    "  convert-image IMAGE OUT.kql   a still picture (BMP, PNG or JPEG) as a one-frame movie\n"
    "  render MOVIE.kql OUT.png      a frame, or all frames as a sheet, as a PNG picture\n"
    "  render MOVIE.kql OUT.gif      the movie as an animated GIF at its own rate\n"
    "  info MOVIE.kql                number of frames, and whether the file is whole\n"
    "  capture VIDEO OUT.kql         a capture run of the main window, without a display\n"
    "\n"
    "kqltool <command> --help tells more. Exit codes: 0 done, 1 bad input, 2 usage.\n";

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> all(argv + 1, argv + argc);
    if (all.empty()) {
        std::cerr << MainUsage;
        return 2;
    }
    const std::string command = all[0];
    const std::vector<std::string> args(all.begin() + 1, all.end());
    struct Entry {
        const char* name;
        int (*run)(const std::vector<std::string>&);
        const char* usage;
    };
    const Entry commands[] = {{"convert-image", ConvertImageCommand, ConvertImageUsage},
                              {"render", RenderCommand, RenderUsage},
                              {"info", InfoCommand, InfoUsage},
                              {"capture", CaptureCommand, CaptureUsage}};
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << MainUsage;
        return 0;
    }
    for (const Entry& entry : commands) {
        if (command != entry.name)
            continue;
        try {
            return entry.run(args);
        } catch (const UsageError& e) {
            std::cerr << "kqltool " << command << ": " << e.what() << "\n\n" << entry.usage;
            return 2;
        } catch (const InputError& e) {
            std::cerr << "kqltool " << command << ": " << e.what() << "\n";
            return 1;
        } catch (const Exception& e) {
            std::cerr << "kqltool " << command << ": " << OneLine(e) << "\n";
            return 1;
        } catch (const std::exception& e) {
            std::cerr << "kqltool " << command << ": " << e.what() << "\n";
            return 1;
        }
    }
    std::cerr << "kqltool: unknown command \"" << command << "\"\n\n" << MainUsage;
    return 2;
}
