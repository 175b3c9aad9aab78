// Command-line parsing for kqltool: "--name value" options after positional arguments.
#pragma once

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
