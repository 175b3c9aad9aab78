// Test videos made at test time with the ffmpeg command ($QUELLON_FFMPEG): every picture
// shows its own frame number as 12 big black or white blocks (4 columns x 3 rows, bit 0 top
// left), which survive any lossy codec. Files are made once per test run in a temporary
// folder that is removed when the tests end.
#pragma once

#include "platform/dshow/decode/DecodeTypes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quellon::decode::test {

inline constexpr int kPatternWidth = 176;
inline constexpr int kPatternHeight = 144;

// The folder of this run's files (created on first use).
std::string TestFolder();

// Makes `name` in the test folder, once, by running ffmpeg with `arguments` after "-y -v
// error" and before the output file name. `pattern` replaces the token {pattern} by the
// numbered-block source for `frames` frames at 25 per second. Fails the test (and returns
// "") when ffmpeg fails.
std::string MakeVideo(const std::string& name, const std::string& arguments, int frames = 100);

// The ffmpeg input arguments of the numbered pattern: "-f lavfi -i ...".
std::string PatternInput(int frames, int width = kPatternWidth, int height = kPatternHeight);

// The frame number shown in a DIB of the pattern, or -1 when a block is not clearly black
// or white.
int ReadFrameNumber(const std::vector<std::uint8_t>& dib, int width, int height, PixelFormat format);

// Runs a shell command; returns its exit status.
int RunCommand(const std::string& command);
std::string Ffmpeg();

}  // namespace quellon::decode::test
