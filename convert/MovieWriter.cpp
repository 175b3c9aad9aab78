#include "convert/MovieWriter.h"

#include "convert/MovieFormat.h"

TMovieWriter::TMovieWriter()
    : file_(OutputBufferBytes)
{
}

void TMovieWriter::Create(const std::string& path)
{
    file_.Create(path);
}

void TMovieWriter::WriteFrame(const TFrameBuffer& frame)
{
    const TMovieFrame bytes = PackMovieFrame(frame);
    const std::uint64_t frameStart = file_.Position();
    try {
        file_.Write(bytes.data(), bytes.size());
    } catch (...) {
        // Drop whatever part of this frame reached the file or the buffer; the bytes of
        // earlier frames still waiting in the buffer stay for the next attempt.
        try {
            file_.Truncate(frameStart);
        } catch (...) {
            // The original failure is the one worth reporting.
        }
        throw;
    }
}

void TMovieWriter::Close()
{
    file_.Close();
}
