#include "tools/kqltool/Checks.h"

#include "convert/MovieTargets.h"
#include "framework/Exceptions.h"
#include "tools/kqltool/Options.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

crop::ZoneRect ParseZoneOption(const std::string& text)
{
    const std::vector<int> v = ParseIntList("--zone", text, 4);
    const crop::ZoneRect zone{v[0], v[1], v[2], v[3]};
    if (!crop::ZoneSizeAllowed(zone))
        throw UsageError("--zone size must be 131..320 x 80..240, not " + std::to_string(zone.width) + " x " +
                         std::to_string(zone.height));
    if (!crop::ZoneWithinPreview(zone))
        throw UsageError("--zone must lie within the preview, from 8,42 to 328,282");
    return zone;
}

void RequireMovieName(const std::string& out)
{
    std::string end = out.size() >= 4 ? out.substr(out.size() - 4) : out;
    std::transform(end.begin(), end.end(), end.begin(), [](unsigned char c) { return std::tolower(c); });
    const std::size_t slash = out.find_last_of('/');
    const std::string name = slash == std::string::npos ? out : out.substr(slash + 1);
    if (end != ".kql" || name.size() <= 4)
        throw UsageError("movies are written to .kql files: the output name must end in .kql, not \"" + out + "\"");
}

void CheckOutputs(const std::vector<std::string>& targets, const std::string& input)
{
    try {
        CheckMovieTargets(targets, input);
    } catch (const EInOutError& error) {
        throw InputError("refused to write: " + OneLine(error));
    }
}

std::string NotAnInputFile(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? " does not exist" : std::string(" cannot be reached: ") + std::strerror(errno);
    if (S_ISREG(info.st_mode))
        return {};
    const std::string kind = NotARegularFile(path);
    return " is " + kind;
}

std::string OneLine(const Exception& error) { return OneLine(error.DisplayText()); }

std::string OneLine(std::string text)
{
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at))
        text.replace(at, 1, ": ");
    return text;
}
