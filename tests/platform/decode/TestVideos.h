// The decoder tests' view of the shared numbered test videos (tests/support/NumberedVideos.h):
// the same helpers in the decoder's namespace, and reading a number from a decoded DIB.
#pragma once

#include "platform/dshow/decode/DecodeTypes.h"
#include "tests/support/NumberedVideos.h"

#include <cstdint>
#include <vector>

namespace quellon::decode::test {

using testvideos::Ffmpeg;
using testvideos::kPatternHeight;
using testvideos::kPatternWidth;
using testvideos::MakeVideo;
using testvideos::PatternInput;
using testvideos::RunCommand;
using testvideos::TestFolder;

// The frame number shown in a DIB of the pattern, or -1 when the DIB has the wrong size or a
// block is not clearly black or white.
int ReadFrameNumber(const std::vector<std::uint8_t>& dib, int width, int height, PixelFormat format);

}  // namespace quellon::decode::test
