// Reading movie files back for kqltool. A movie is read to its last byte with read(2), so
// its size is what could be read, not what the folder says, and a failed read is an error
// rather than a count. A movie's bytes cannot be told wrong beyond their number: every byte
// is two darkness values 0..15, and the conversion gives every one of them.
#pragma once

#include "convert/FrameBuffer.h"
#include "convert/MovieFormat.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct MovieFileInfo {
    std::uint64_t sizeBytes = 0;
    std::uint64_t wholeFrames = 0;
    std::uint64_t leftoverBytes = 0; // bytes after the last whole frame
    bool IsWhole() const { return leftoverBytes == 0; }
};

// Reads the whole movie file, handing each whole frame to onFrame (may be empty) in order.
// Throws InputError when the path is not a regular file or a read fails.
MovieFileInfo ScanMovieFile(const std::string& path, const std::function<void(const TMovieFrame&)>& onFrame);

// Every frame of a movie file as darkness values. Throws InputError when the file cannot be
// read, holds no frame or is not a whole number of frames.
std::vector<TFrameBuffer> ReadMovieFile(const std::string& path);
