#include "tools/kqltool/Options.h"

#include <algorithm>
#include <charconv>

bool ParsedArguments::HasFlag(const std::string& name) const
{
    return std::find(flags.begin(), flags.end(), name) != flags.end();
}

std::optional<std::string> ParsedArguments::Value(const std::string& name) const
{
    const auto it = values.find(name);
    if (it == values.end())
        return std::nullopt;
    return it->second;
}

ParsedArguments ParseArguments(const std::vector<std::string>& args, const std::vector<std::string>& valueOptions,
                               const std::vector<std::string>& flagOptions)
{
    ParsedArguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            parsed.help = true;
        } else if (std::find(valueOptions.begin(), valueOptions.end(), arg) != valueOptions.end()) {
            if (i + 1 >= args.size())
                throw UsageError(arg + " needs a value");
            if (parsed.values.count(arg))
                throw UsageError(arg + " given twice");
            parsed.values[arg] = args[++i];
        } else if (std::find(flagOptions.begin(), flagOptions.end(), arg) != flagOptions.end()) {
            parsed.flags.push_back(arg);
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option " + arg);
        } else {
            parsed.positional.push_back(arg);
        }
    }
    return parsed;
}

namespace {

bool ToInt(const std::string& text, int& value)
{
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end;
}

} // namespace

int ParseBoundedInt(const std::string& option, const std::string& text, int min, int max)
{
    int value = 0;
    if (!ToInt(text, value) || value < min || value > max)
        throw UsageError(option + " must be a whole number from " + std::to_string(min) + " to " +
                         std::to_string(max) + ", not \"" + text + "\"");
    return value;
}

std::vector<int> ParseIntList(const std::string& option, const std::string& text, std::size_t count)
{
    std::vector<int> values;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        int value = 0;
        if (!ToInt(text.substr(start, comma - start), value))
            throw UsageError(option + " takes " + std::to_string(count) + " whole numbers separated by commas, not \"" +
                             text + "\"");
        values.push_back(value);
        start = comma + 1;
    }
    if (values.size() != count)
        throw UsageError(option + " takes " + std::to_string(count) + " whole numbers separated by commas, not \"" +
                         text + "\"");
    return values;
}

TPictureOptions ParsePictureOptions(const ParsedArguments& arguments)
{
    TPictureOptions options;
    if (const auto name = arguments.Value("--dither")) {
        const auto dithering = DitheringFromName(*name);
        if (!dithering)
            throw UsageError("--dither must be none, ordered or diffusion, not \"" + *name + "\"");
        options.dithering = *dithering;
    }
    if (const auto text = arguments.Value("--gamma")) {
        const auto gamma = GammaFromText(*text);
        if (!gamma)
            throw UsageError("--gamma must be a number from 0.5 to 2.5, not \"" + *text + "\"");
        options.gamma = *gamma;
    }
    return options;
}
