// Byte layout of a movie file (".kql"): a headerless run of 5240-byte frames. Within a frame
// the pixels go row by row from the top, left to right, two to a byte: the first of a pair
// in the low nibble, the second in the high nibble. 131 is odd, so pairs run across row ends.
#pragma once

#include "convert/FrameBuffer.h"

#include <array>
#include <cstdint>
#include <string>

using TMovieFrame = std::array<std::uint8_t, KqFrameBytes>;

// Packs the frame buffer into the bytes of one movie frame.
TMovieFrame PackMovieFrame(const TFrameBuffer& frame);

// Unpacks one movie frame into darkness values (for tools that read movies back).
TFrameBuffer UnpackMovieFrame(const TMovieFrame& bytes);

// The name of file number n of a numbered series: the number goes just before the last "."
// of the whole path (so a dotted folder name is left alone); a name without any "." gets the
// number at its end.
std::string NumberedMovieFileName(const std::string& baseName, int fileNumber);
