#include "convert/MovieWriter.h"

#include "framework/Exceptions.h"

#include <algorithm>

TMovieWriter::TMovieWriter()
    : file_(OutputBufferBytes)
{
    // Ended by a second interrupt while closing, the process still leaves whole frames.
    file_.KeepWholeUnits(KqFrameBytes);
}

TMovieWriter::~TMovieWriter()
{
    if (!IsOpen())
        return;
    try {
        Close();
    } catch (const EInOutError&) {
        // The failed close cut the file to whole frames; the rest must not reach it now.
        file_.Discard();
    }
}

void TMovieWriter::Create(const std::string& path)
{
    file_.Create(path);
    frames_ = 0;
    lastFrameMissing_ = 0;
}

void TMovieWriter::WriteMissingBytes()
{
    if (lastFrameMissing_ == 0)
        return;
    file_.Write(lastFrame_.data() + (lastFrame_.size() - lastFrameMissing_), lastFrameMissing_);
    lastFrameMissing_ = 0;
}

void TMovieWriter::WriteFrame(const TFrameBuffer& frame)
{
    const TMovieFrame bytes = PackMovieFrame(frame);
    try {
        WriteMissingBytes();
        file_.Write(bytes.data(), bytes.size());
    } catch (const EInOutError&) {
        CutToWholeFrames();
        throw;
    }
    lastFrame_ = bytes;
    ++frames_;
}

void TMovieWriter::Close()
{
    if (!IsOpen())
        return;
    try {
        WriteMissingBytes();
        file_.Close();
    } catch (const EInOutError&) {
        // A close refused by the system itself has already released the file, with every
        // byte written: only a file still open can hold a part of a frame.
        if (IsOpen())
            CutToWholeFrames();
        throw;
    }
}

void TMovieWriter::CutToWholeFrames() noexcept
{
    const std::uint64_t accepted = frames_ * KqFrameBytes;
    const std::uint64_t whole = std::min(file_.BytesInFile() / KqFrameBytes * KqFrameBytes, accepted);
    try {
        file_.Truncate(whole);
    } catch (const EInOutError&) {
        // The file cannot be cut (it may not be a regular file): at least drop from the
        // buffer what follows the accepted frames, so that a retry appends cleanly.
        try {
            file_.Truncate(accepted);
        } catch (const EInOutError&) {
        }
    }
    // Nothing of an accepted frame is lost: what the cut or the failure took of the last one
    // (it cannot reach further back, the buffer being smaller than a frame) is kept.
    const std::uint64_t position = file_.Position();
    const std::uint64_t missing = position < accepted ? accepted - position : 0;
    lastFrameMissing_ = static_cast<std::size_t>(std::min<std::uint64_t>(missing, KqFrameBytes));
}
