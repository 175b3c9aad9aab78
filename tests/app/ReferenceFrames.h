// Reference pictures for end-to-end checks, made without the program's decoding: frames are
// extracted from the video with the ffmpeg command (the same colour conversion, bilinear,
// as RGB), and turned into movie frames with the conversion's own arithmetic (the part of the
// frame under the crop zone, then the grey conversion with brightness and contrast), so that
// a frame written by the window can be compared byte for byte with the one it must be.
#pragma once

#include "convert/CropGeometry.h"
#include "convert/FrameBuffer.h"
#include "convert/MovieFormat.h"

#include <cstdint>
#include <string>
#include <vector>

namespace reference {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // top row first, 3 bytes a pixel
};

// Frames first .. first + count - 1 (0-based, in presentation order) of `video`, which is
// width x height. Fails the test and returns fewer pictures when ffmpeg fails.
std::vector<Picture> ExtractFrames(const std::string& video, int width, int height, int first, int count);

struct Settings {
    crop::ZoneRect zone;
    int brightness = 16;
    int contrast = 8;
};

// The frame buffer the preview converts for `picture` with those settings.
TFrameBuffer Convert(const Picture& picture, const Settings& settings);
TMovieFrame MovieFrame(const Picture& picture, const Settings& settings);

// A file's bytes, and its frames (the last one cut short when the size is not a whole number).
std::vector<std::uint8_t> ReadFile(const std::string& path);

// Why `actual` (a movie file's bytes) is not the frames of `expected`, or "" when it is: the
// first frame that differs, and the frame of `candidates` that it equals, if any.
std::string CompareMovie(const std::vector<std::uint8_t>& actual, const std::vector<TMovieFrame>& expected,
                         const std::vector<TMovieFrame>& candidates = {}, int firstCandidate = 0);

} // namespace reference
