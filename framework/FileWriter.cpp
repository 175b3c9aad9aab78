#include "framework/FileWriter.h"

#include "framework/Exceptions.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// By default a write past the file-size limit (ulimit -f) kills the process with SIGXFSZ,
// leaving whatever was half written; ignored, the write fails with EFBIG and is reported.
void IgnoreFileSizeSignal()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current {};
        if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            std::signal(SIGXFSZ, SIG_IGN);
    });
}

// Open files that must stay whole, for a signal handler: lock-free slots of a descriptor and
// its unit, written by the writers' thread and read by the handler on any thread.
struct WholeUnitSlot {
    std::atomic<int> fd{-1};
    std::atomic<std::size_t> unit{0};
};
std::array<WholeUnitSlot, 16> g_wholeUnitFiles;
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<std::size_t>::is_always_lock_free);

void RegisterWholeUnits(int fd, std::size_t unit) noexcept
{
    constexpr int Reserved = -2; // taken, not yet usable by the handler
    for (WholeUnitSlot& slot : g_wholeUnitFiles) {
        int free = -1;
        if (slot.fd.compare_exchange_strong(free, Reserved)) {
            slot.unit.store(unit);
            slot.fd.store(fd);
            return;
        }
    }
    // More open movies than slots: those have no cut at a signal, as before there was any.
}

void UnregisterWholeUnits(int fd) noexcept
{
    for (WholeUnitSlot& slot : g_wholeUnitFiles) {
        int expected = fd;
        if (slot.fd.compare_exchange_strong(expected, -1))
            return;
    }
}

} // namespace

void CutOpenFilesToWholeUnits() noexcept
{
    for (WholeUnitSlot& slot : g_wholeUnitFiles) {
        const int fd = slot.fd.load();
        const std::size_t unit = slot.unit.load();
        struct stat info {};
        if (fd < 0 || unit == 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        const off_t size = info.st_size;
        if (size % static_cast<off_t>(unit) != 0)
            (void)!::ftruncate(fd, size - size % static_cast<off_t>(unit));
    }
}

TFileWriter::TFileWriter(std::size_t bufferSizeBytes) : capacity_(std::max<std::size_t>(bufferSizeBytes, 1))
{
    buffer_.reserve(capacity_);
}

TFileWriter::~TFileWriter()
{
    if (!IsOpen())
        return;
    try {
        Close();
    } catch (const EInOutError&) {
        Discard();
    }
}

void TFileWriter::Fail(int errnoValue)
{
    throw EInOutError(WindowsErrorFromErrno(errnoValue));
}

void TFileWriter::Create(const std::string& path)
{
    if (IsOpen())
        throw EInvalidOperation("Le fichier " + path_ + " est déjà ouvert");
    IgnoreFileSizeSignal();
    // Not O_TRUNC: the old content may only go once we hold the lock, or a second writer
    // would wipe the file of the first.
    // Without waiting: a FIFO with no reader fails at once (ENXIO) rather than blocking. The
    // writes then block as usual.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0)
        throw EInOutError(WindowsErrorFromErrno(errno, TMissingName::Folder));
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(fd);
        throw EInOutError(WindowsErrorFromErrno(error));
    }
    // Only regular files are locked and truncated: a device such as /dev/full is shared by
    // every process and has no content to discard.
    struct stat info {};
    if (::fstat(fd, &info) != 0 ||
        (S_ISREG(info.st_mode) && (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ftruncate(fd, 0) != 0))) {
        const int error = errno;
        ::close(fd);
        throw EInOutError(WindowsErrorFromErrno(error));
    }
    fd_ = fd;
    path_ = path;
    bytesInFile_ = 0;
    buffer_.clear();
    if (unitBytes_ > 0)
        RegisterWholeUnits(fd_, unitBytes_);
}

void TFileWriter::CloseDescriptor() noexcept
{
    UnregisterWholeUnits(fd_);
    ::close(fd_);
    fd_ = -1;
}

void TFileWriter::WriteByte(std::uint8_t value)
{
    Write(&value, 1);
}

void TFileWriter::Write(const void* data, std::size_t sizeBytes)
{
    if (!IsOpen())
        throw EInvalidOperation("Aucun fichier ouvert en écriture");
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (sizeBytes > 0) {
        if (buffer_.size() >= capacity_)
            WriteOut();
        const std::size_t room = capacity_ - buffer_.size();
        const std::size_t chunk = std::min(room, sizeBytes);
        buffer_.insert(buffer_.end(), bytes, bytes + chunk);
        bytes += chunk;
        sizeBytes -= chunk;
    }
    // A full buffer goes out at once, so a failing device is reported by the write that
    // filled the buffer rather than by the next one.
    if (buffer_.size() >= capacity_)
        WriteOut();
}

void TFileWriter::WriteOut()
{
    std::size_t done = 0;
    int error = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            break;
        }
        if (n == 0) {
            error = ENOSPC;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(done));
    bytesInFile_ += done;
    if (error != 0)
        Fail(error);
}

void TFileWriter::Flush()
{
    if (!IsOpen())
        throw EInvalidOperation("Aucun fichier ouvert en écriture");
    WriteOut();
}

void TFileWriter::Close()
{
    if (!IsOpen())
        return;
    WriteOut();
    const int fd = fd_;
    UnregisterWholeUnits(fd);
    fd_ = -1;
    // Linux releases the descriptor even when close reports an error, so there is nothing
    // left to retry: report it and stay closed.
    if (::close(fd) != 0 && errno != EINTR)
        Fail(errno);
}

void TFileWriter::Discard() noexcept
{
    buffer_.clear();
    if (!IsOpen())
        return;
    CloseDescriptor();
}

void TFileWriter::Truncate(std::uint64_t sizeBytes)
{
    if (!IsOpen())
        throw EInvalidOperation("Aucun fichier ouvert en écriture");
    if (sizeBytes >= Position())
        return;
    if (sizeBytes >= bytesInFile_) {
        buffer_.resize(static_cast<std::size_t>(sizeBytes - bytesInFile_));
        return;
    }
    if (::ftruncate(fd_, static_cast<off_t>(sizeBytes)) != 0 ||
        ::lseek(fd_, static_cast<off_t>(sizeBytes), SEEK_SET) < 0)
        Fail(errno);
    bytesInFile_ = sizeBytes;
    buffer_.clear();
}
