#include "convert/MovieReader.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::int64_t ModifiedNs(const struct stat& st)
{
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

} // namespace

TMovieReader::~TMovieReader()
{
    Close();
}

void TMovieReader::Close() noexcept
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    path_.clear();
    frames_ = 0;
    tail_ = 0;
}

void TMovieReader::Open(const std::string& path)
{
    Close();
    // Without O_NONBLOCK, opening a FIFO waits for a writer for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        throw EMovieFileError("The movie " + Quoted(path) + " cannot be opened: " + std::strerror(error) + ".");
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool folder = S_ISDIR(st.st_mode);
        ::close(fd);
        throw EMovieFileError(Quoted(path) + (folder ? " is a folder" : " is not a regular file") +
                              ", not a movie.");
    }
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size < KqFrameBytes) {
        ::close(fd);
        throw EMovieFileError(size == 0 ? "The movie " + Quoted(path) + " is empty."
                                        : "The movie " + Quoted(path) + " holds no whole frame (" +
                                              std::to_string(size) + " bytes; a frame is " +
                                              std::to_string(KqFrameBytes) + ").");
    }
    fd_ = fd;
    path_ = path;
    frames_ = size / KqFrameBytes;
    tail_ = size % KqFrameBytes;
    device_ = static_cast<std::uint64_t>(st.st_dev);
    inode_ = static_cast<std::uint64_t>(st.st_ino);
    sizeBytes_ = size;
    modifiedNs_ = ModifiedNs(st);
}

TMovieFrame TMovieReader::ReadFrame(std::uint64_t frame)
{
    if (fd_ < 0 || frame >= frames_)
        throw EMovieFileError("No frame " + std::to_string(frame) + " in the movie.");
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0)
        throw EMovieFileError("The movie " + Quoted(path_) + " was deleted while it played.");
    if (static_cast<std::uint64_t>(st.st_dev) != device_ || static_cast<std::uint64_t>(st.st_ino) != inode_)
        throw EMovieFileError("The movie " + Quoted(path_) + " was replaced while it played.");
    if (static_cast<std::uint64_t>(st.st_size) < sizeBytes_)
        throw EMovieFileError("The movie " + Quoted(path_) + " was truncated while it played.");
    if (static_cast<std::uint64_t>(st.st_size) != sizeBytes_ || ModifiedNs(st) != modifiedNs_)
        throw EMovieFileError("The movie " + Quoted(path_) + " was rewritten while it played.");

    TMovieFrame bytes{};
    std::size_t done = 0;
    const auto offset = static_cast<off_t>(frame * KqFrameBytes);
    while (done < bytes.size()) {
        const ssize_t n = ::pread(fd_, bytes.data() + done, bytes.size() - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const std::string why = n < 0 ? std::strerror(errno) : std::string("the file ends early");
            throw EMovieFileError("The movie " + Quoted(path_) + " cannot be read: " + why + ".");
        }
        done += static_cast<std::size_t>(n);
    }
    return bytes;
}
