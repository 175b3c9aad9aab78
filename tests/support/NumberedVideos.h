// Test videos made at test time with the ffmpeg command ($QUELLON_FFMPEG): every picture
// shows its own frame number as 12 big black or white blocks (4 columns x 3 rows, bit 0 top
// left), which survive any lossy codec. Files are made once per test run in a temporary
// folder that is removed when the tests end.
#pragma once

#include <cstdint>
#include <string>

namespace testvideos {

inline constexpr int kPatternWidth = 176;
inline constexpr int kPatternHeight = 144;

std::string Ffmpeg();
// Runs the ffmpeg command with "-y -v error" and `arguments`; true when it succeeded.
bool RunFfmpeg(const std::string& arguments);
// Runs a shell command; returns its exit status.
int RunCommand(const std::string& command);

// The folder of this run's files (created on first use, removed when the tests end).
std::string TestFolder();

// The ffmpeg input arguments of the numbered pattern: "-f lavfi -i ...".
std::string PatternInput(int frames, int width = kPatternWidth, int height = kPatternHeight);

// Makes `name` in the test folder, once, by running ffmpeg with `arguments` before the output
// file name; the token {pattern} in them stands for PatternInput(frames, width, height).
// Fails the test (and returns "") when ffmpeg fails.
std::string MakeVideo(const std::string& name, const std::string& arguments, int frames = 100,
                      int width = kPatternWidth, int height = kPatternHeight);

// The numbered pattern, `frames` pictures at 25 a second, encoded with `codecArguments`.
std::string NumberedVideo(const std::string& name, int frames, const std::string& codecArguments = "-c:v mjpeg -q:v 3",
                          int width = kPatternWidth, int height = kPatternHeight);

// The number shown in bottom-up DIB rows (24 or 32 bits a pixel, rows padded to 4 bytes) of
// the pattern, or -1 when a block is not clearly black or white.
int ReadFrameNumber(const std::uint8_t* bottomUpRows, int width, int height, int bitsPerPixel);

} // namespace testvideos
