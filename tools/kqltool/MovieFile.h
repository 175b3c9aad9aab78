// Reading movie files back for kqltool.
#pragma once

#include "convert/FrameBuffer.h"

#include <cstdint>
#include <string>
#include <vector>

struct MovieFileInfo {
    std::uint64_t sizeBytes = 0;
    std::uint64_t wholeFrames = 0;
    std::uint64_t leftoverBytes = 0; // bytes after the last whole frame
    bool IsWhole() const { return leftoverBytes == 0; }
};

// Size facts of a movie file. Throws InputError when it cannot be read.
MovieFileInfo InspectMovieFile(const std::string& path);

// Every frame of a movie file as darkness values. Throws InputError when the file cannot be
// read or is not a whole number of frames.
std::vector<TFrameBuffer> ReadMovieFile(const std::string& path);
