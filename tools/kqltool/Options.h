// Command-line parsing for kqltool: "--name value" options after positional arguments.
#pragma once

#include "convert/PictureOptions.h"

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// A mistake in the command line: reported with the command's usage, exit code 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A problem with the input files: exit code 1.
struct InputError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct ParsedArguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values; // options with a value
    std::vector<std::string> flags;            // options without one
    bool help = false;

    bool HasFlag(const std::string& name) const;
    std::optional<std::string> Value(const std::string& name) const;
};

// valueOptions take a value ("--frame 3"), flagOptions do not ("--sheet"); anything else that
// starts with "--" is a usage error.
ParsedArguments ParseArguments(const std::vector<std::string>& args, const std::vector<std::string>& valueOptions,
                               const std::vector<std::string>& flagOptions);

// A decimal integer within [min, max], or a usage error naming the option.
int ParseBoundedInt(const std::string& option, const std::string& text, int min, int max);

// "a,b,c,d" as four integers.
std::vector<int> ParseIntList(const std::string& option, const std::string& text, std::size_t count);

// "--dither none|ordered|diffusion" and "--gamma G" (GammaMin..GammaMax); the defaults are the
// plain conversion. UsageError naming the option otherwise.
TPictureOptions ParsePictureOptions(const ParsedArguments& arguments);

// The options' lines of the usage texts of the commands that take them (a literal, to be
// joined to theirs).
#define KQLTOOL_PICTURE_OPTIONS_USAGE                                                                  \
    "--dither chooses how the greys are brought to the 16 levels: none (default: each pixel\n"          \
    "on its own, the window's plain conversion), ordered (a fixed 4 x 4 pattern: smoother\n"            \
    "gradients, and a still scene stays still) or diffusion (Floyd-Steinberg: the finest\n"            \
    "greys, but its pattern moves from frame to frame, so it shimmers on moving video).\n"            \
    "--gamma G (0.5..2.5, default 1) bends the greys before that: above 1 the mid greys\n"             \
    "come out lighter, below 1 darker, for screens whose greys are not evenly spaced.\n"
