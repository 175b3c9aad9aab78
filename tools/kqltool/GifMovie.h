// Animated GIF previews of movies: every frame in the preview's greys, enlarged without
// smoothing, looping for ever, at the device's rate of 0.1155 s a frame. GIF delays count
// whole hundredths of a second, so each frame gets 11 or 12 as needed to keep the running
// total within half a hundredth of the true time. Encoded by giflib.
#pragma once

#include "convert/FrameBuffer.h"

#include <cstdint>
#include <functional>
#include <string>

// Writes `frames` frames, asking nextFrame for each in order, into an animated GIF at
// `path`. Throws InputError when the file cannot be written (a partial file is removed).
void WriteGifMovie(const std::string& path, std::uint64_t frames, int scale,
                   const std::function<TFrameBuffer()>& nextFrame);
