// TMovieReader: a movie file read frame by frame as it is played, so that a movie of any
// length opens at once and plays in constant memory. Only whole 5240-byte frames are read;
// bytes after the last whole frame (the tail) are counted and never shown.
//
// Contract:
// - Open refuses, with EMovieFileError and a message a person can act on, anything that is
//   not a readable regular file holding at least one whole frame: a missing or unreadable
//   file, a folder, a FIFO or device (opened without blocking, so a FIFO with no writer
//   does not hang the caller), an empty file, a file shorter than one frame.
// - ReadFrame(n) reads frame n (0-based, below FrameCount()). It first checks that the
//   file on disk is still the one opened, as it was: deleted, replaced, shorter or longer,
//   or rewritten (a newer modification time) raise EMovieFileError saying so, as does a
//   read that fails or comes back short.
// - Not thread-safe; the file is closed by Close and by the destructor.
#pragma once

#include "convert/FrameBuffer.h"
#include "convert/MovieFormat.h"
#include "framework/Exceptions.h"

#include <cstdint>
#include <string>

class EMovieFileError : public Exception {
public:
    using Exception::Exception;
};

class TMovieReader {
public:
    TMovieReader() = default;
    ~TMovieReader();
    TMovieReader(const TMovieReader&) = delete;
    TMovieReader& operator=(const TMovieReader&) = delete;

    // Opens path, replacing any file open before (closed even when the new one is refused).
    void Open(const std::string& path);
    void Close() noexcept;
    bool IsOpen() const noexcept { return fd_ >= 0; }
    const std::string& FileName() const noexcept { return path_; }

    std::uint64_t FrameCount() const noexcept { return frames_; }
    // Bytes after the last whole frame, ignored.
    std::uint64_t TailBytes() const noexcept { return tail_; }

    TMovieFrame ReadFrame(std::uint64_t frame);

private:
    int fd_ = -1;
    std::string path_;
    std::uint64_t frames_ = 0;
    std::uint64_t tail_ = 0;
    // What the file was when opened, to tell a change.
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
    std::uint64_t sizeBytes_ = 0;
    std::int64_t modifiedNs_ = 0;
};
