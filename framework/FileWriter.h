// TFileWriter: a file created (or replaced) for writing, written through an output buffer
// of a fixed size. The movie file is written through it.
//
// Contract:
// - Every failure raises EInOutError at once (create, write, flush, close), with the
//   Windows error number mapped from errno by WindowsErrorFromErrno.
// - Bytes go to the buffer and reach the file whenever the buffer is full, on Flush and on
//   Close. After a failed write or flush, BytesInFile() tells how many bytes really reached
//   the file and the bytes that did not stay in the buffer, in order; nothing is lost or
//   written twice, and the writer stays usable (retry, Truncate, Close again).
// - A failed Close leaves the file open with its unwritten bytes, so it can be retried.
// - Create takes an exclusive advisory lock on the file: a second writer of the same file
//   (in this or another process using the same lock) gets error 32, sharing violation.
//   Readers are never blocked.
// - A file-size limit is an error like a full disk (error 223), not a signal that ends the
//   process: the first Create ignores SIGXFSZ unless the program handles it itself.
// - Create never waits: a FIFO without a reader is refused at once (error 20) instead of
//   blocking the thread until one comes.
// - A writer told its unit (KeepWholeUnits) keeps its file a whole number of units even when
//   the process is ended by a signal handler: CutOpenFilesToWholeUnits, which such a handler
//   may call, cuts every such open file back to its last whole unit on disk (what was still
//   in the buffer is lost, the file's shape is not).
// - Not thread-safe: one thread at a time. The destructor closes an open file and swallows
//   errors; call Close to learn about them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TFileWriter {
public:
    explicit TFileWriter(std::size_t bufferSizeBytes = 128);
    ~TFileWriter();
    TFileWriter(const TFileWriter&) = delete;
    TFileWriter& operator=(const TFileWriter&) = delete;

    // Creates the file, or truncates an existing one to 0 bytes. The writer must be closed
    // (EInvalidOperation otherwise). Failure: EInOutError, the writer stays closed; a
    // missing folder gives 3 (path not found).
    void Create(const std::string& path);
    // The size of the records the file is made of; 0 (the default) for none.
    void KeepWholeUnits(std::size_t unitBytes) noexcept { unitBytes_ = unitBytes; }
    bool IsOpen() const noexcept { return fd_ >= 0; }
    const std::string& FileName() const noexcept { return path_; }

    void WriteByte(std::uint8_t value);
    void Write(const void* data, std::size_t sizeBytes);

    // Writes the buffered bytes to the file.
    void Flush();
    // Flush, then close. A closed writer may be closed again (nothing happens).
    void Close();
    // Closes without writing the buffered bytes, which are dropped; never fails.
    void Discard() noexcept;

    // Bytes that reached the file (its size as far as this writer knows).
    std::uint64_t BytesInFile() const noexcept { return bytesInFile_; }
    std::size_t BufferedBytes() const noexcept { return buffer_.size(); }
    // Logical position: BytesInFile() + BufferedBytes().
    std::uint64_t Position() const noexcept { return bytesInFile_ + buffer_.size(); }

    // Cuts the logical content back to `sizeBytes` (at most Position()): buffered bytes past
    // it are dropped and, when it lies inside the file, the file is truncated and the
    // buffer emptied. Failure: EInOutError, nothing changed.
    void Truncate(std::uint64_t sizeBytes);

private:
    void WriteOut(); // may throw; keeps what was not written
    [[noreturn]] void Fail(int errnoValue);
    void CloseDescriptor() noexcept; // unregisters, then closes; the writer is closed after

    std::size_t capacity_;
    std::vector<std::uint8_t> buffer_;
    int fd_ = -1;
    std::string path_;
    std::uint64_t bytesInFile_ = 0;
    std::size_t unitBytes_ = 0;
};

// Cuts every open file of a writer with a unit back to a whole number of units, as far as the
// file holds them. Async-signal-safe (fstat and ftruncate on registered descriptors only):
// meant for a signal handler that is about to end the process.
void CutOpenFilesToWholeUnits() noexcept;
