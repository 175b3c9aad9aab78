// The open movie file of a capture run: created (replacing any file of that name), appended
// to one frame at a time through a 128-byte output buffer, and closed.
//
// Failures raise EInOutError ("Erreur E/S <code>") at once. Whatever ends a file - a close,
// a close that fails, the writer's destruction with or without a close, the end of the
// program, which destroys the writer - it is left a whole number of frames long:
// - A write or close that fails cuts the file back to its last whole frame before the error
//   is reported. Part of the frame before the failing one may have reached the file while
//   its tail waited in the buffer; that frame is cut too but stays accepted: the writer
//   keeps its bytes and writes it again first, on the next WriteFrame or Close.
// - The frame being written when a write fails is dropped, so writing it again appends a
//   clean frame.
// - Destruction closes the file; if that fails, the file keeps its whole frames and the
//   frames that did not reach it are lost.
// A file-size limit or a full disk thus costs at most the frames not yet on disk, never the
// file's shape. UI thread only.
#pragma once

#include "convert/FrameBuffer.h"
#include "convert/MovieFormat.h"
#include "framework/FileWriter.h"

#include <cstdint>
#include <string>

class TMovieWriter {
public:
    static constexpr std::size_t OutputBufferBytes = 128;

    TMovieWriter();
    ~TMovieWriter();
    TMovieWriter(const TMovieWriter&) = delete;
    TMovieWriter& operator=(const TMovieWriter&) = delete;

    void Create(const std::string& path);
    bool IsOpen() const noexcept { return file_.IsOpen(); }
    const std::string& FileName() const noexcept { return file_.FileName(); }

    // Appends the frame buffer as one 5240-byte frame.
    void WriteFrame(const TFrameBuffer& frame);

    // Writes out what remains (the output buffer, and a frame cut by a failure) and closes
    // the file. After a failure the file stays open and closing again may succeed.
    void Close();

    // Frames accepted into the current file: those in the file, in the output buffer, or
    // waiting to be written again after a failure.
    std::uint64_t FramesWritten() const noexcept { return frames_; }
    // Whole frames that have reached the file.
    std::uint64_t FramesInFile() const noexcept { return file_.BytesInFile() / KqFrameBytes; }

private:
    void WriteMissingBytes();
    void CutToWholeFrames() noexcept;

    TFileWriter file_;
    std::uint64_t frames_ = 0;
    TMovieFrame lastFrame_{}; // the bytes of the last accepted frame
    // How much of its end a failure took from the file and the buffer (the whole frame after
    // a cut): written first by the next WriteFrame or Close.
    std::size_t lastFrameMissing_ = 0;
};
