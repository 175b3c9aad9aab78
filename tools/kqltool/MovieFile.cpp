#include "tools/kqltool/MovieFile.h"

#include "tools/kqltool/Options.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct FileDescriptor {
    int fd;
    ~FileDescriptor() { ::close(fd); }
};

} // namespace

MovieFileInfo ScanMovieFile(const std::string& path, const std::function<void(const TMovieFrame&)>& onFrame)
{
    // Only regular files: a FIFO would wait for a writer, a folder has no bytes of its own.
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        throw InputError("cannot read movie " + path + ": " +
                         (fs::exists(path, error) ? "not a regular file" : "no such file"));
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw InputError("cannot read movie " + path + ": " + std::strerror(errno));
    const FileDescriptor guard{fd};

    MovieFileInfo info;
    TMovieFrame frame;
    std::size_t held = 0; // bytes of the frame being filled
    for (;;) {
        const ssize_t n = ::read(fd, frame.data() + held, frame.size() - held);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw InputError("cannot read movie " + path + ": " + std::strerror(errno) + " after " +
                             std::to_string(info.sizeBytes) + " bytes");
        }
        if (n == 0)
            break;
        info.sizeBytes += static_cast<std::uint64_t>(n);
        held += static_cast<std::size_t>(n);
        if (held == frame.size()) {
            ++info.wholeFrames;
            held = 0;
            if (onFrame)
                onFrame(frame);
        }
    }
    info.leftoverBytes = held;
    return info;
}

std::vector<TFrameBuffer> ReadMovieFile(const std::string& path)
{
    std::vector<TFrameBuffer> frames;
    const MovieFileInfo info =
        ScanMovieFile(path, [&frames](const TMovieFrame& bytes) { frames.push_back(UnpackMovieFrame(bytes)); });
    if (info.sizeBytes == 0)
        throw InputError(path + " holds no frame");
    if (!info.IsWhole())
        throw InputError(path + " is not a whole movie: " + std::to_string(info.sizeBytes) + " bytes is " +
                         std::to_string(info.wholeFrames) + " frames of " + std::to_string(KqFrameBytes) +
                         " bytes and " + std::to_string(info.leftoverBytes) + " bytes more");
    return frames;
}
