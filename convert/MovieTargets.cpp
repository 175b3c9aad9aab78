#include "convert/MovieTargets.h"

#include "convert/MovieFormat.h"
#include "framework/Exceptions.h"

#include <sys/stat.h>

namespace {

std::string KindOf(const struct stat& info)
{
    if (S_ISDIR(info.st_mode))
        return "a folder";
    if (S_ISFIFO(info.st_mode))
        return "a FIFO (named pipe)";
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        return "a device";
    if (S_ISSOCK(info.st_mode))
        return "a socket";
    return "not a regular file";
}

} // namespace

std::vector<std::string> CaptureFileNames(const std::string& baseName, bool multiFile, int files)
{
    if (!multiFile)
        return {baseName};
    std::vector<std::string> names;
    for (int n = 1; n <= files; ++n)
        names.push_back(NumberedMovieFileName(baseName, n));
    return names;
}

std::string NotARegularFile(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode))
        return {};
    return KindOf(info);
}

void CheckMovieTarget(const std::string& target, const std::string& video)
{
    // stat follows symbolic links: what is compared is what a write would reach.
    struct stat out {};
    if (::stat(target.c_str(), &out) != 0)
        return;
    if (!S_ISREG(out.st_mode))
        throw EInOutError(ERROR_ACCESS_DENIED, target + " is " + KindOf(out) + ", not a file: a movie cannot be written there.");
    struct stat in {};
    if (!video.empty() && ::stat(video.c_str(), &in) == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino)
        throw EInOutError(ERROR_SHARING_VIOLATION,
                          target + " is the video being read (" + video +
                              "): writing the movie there would destroy it. Choose another name.");
}

void CheckMovieTargets(const std::vector<std::string>& targets, const std::string& video)
{
    for (const std::string& target : targets)
        CheckMovieTarget(target, video);
}
