// The open movie file of a capture run: created (replacing any file of that name), appended
// to one frame at a time through a 128-byte output buffer, and closed.
//
// Failures raise EInOutError ("Erreur E/S <code>") at once. A movie file is always a whole
// number of frames: a write that fails part-way through a frame cuts the file back to the
// end of the previous frame before the error is reported, so that writing the frame again
// appends a clean frame. A failed Close keeps the unwritten bytes, so closing again can
// still write them. UI thread only.
#pragma once

#include "convert/FrameBuffer.h"
#include "framework/FileWriter.h"

#include <cstdint>
#include <string>

class TMovieWriter {
public:
    static constexpr std::size_t OutputBufferBytes = 128;

    TMovieWriter();

    void Create(const std::string& path);
    bool IsOpen() const noexcept { return file_.IsOpen(); }
    const std::string& FileName() const noexcept { return file_.FileName(); }

    // Appends the frame buffer as one 5240-byte frame.
    void WriteFrame(const TFrameBuffer& frame);

    // Writes out what remains in the output buffer and closes the file.
    void Close();

    // Frames written to the file so far, those still in the output buffer included.
    std::uint64_t FramesWritten() const noexcept { return file_.Position() / KqFrameBytes; }

private:
    TFileWriter file_;
};
