#include "framework/RuntimeFolder.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A folder of ours that nobody else can reach: a real folder (not a link to one), owned by
// this user, mode 0700. The mode of one we made is mended; one owned by another user is
// refused, since it may be a trap laid in the shared temporary folder.
bool IsPrivateFolder(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
        return false;
    if ((info.st_mode & 07777) != 0700 && ::chmod(path.c_str(), 0700) != 0)
        return false;
    return true;
}

} // namespace

std::string EnsureRuntimeFolder()
{
    if (const char* set = std::getenv("XDG_RUNTIME_DIR"); set != nullptr && *set != '\0')
        return set;
    std::error_code error;
    const std::filesystem::path temp = std::filesystem::temp_directory_path(error);
    if (error)
        return {};
    const std::string base = (temp / ("quellon-runtime-" + std::to_string(::geteuid()))).string();
    // The user's own folder, else a fresh one of a unique name when the usual name is taken.
    std::string folder;
    if ((::mkdir(base.c_str(), 0700) == 0 || errno == EEXIST) && IsPrivateFolder(base)) {
        folder = base;
    } else {
        std::string pattern = base + "-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            return {};
        folder = pattern;
    }
    if (::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1) != 0)
        return {};
    return folder;
}
