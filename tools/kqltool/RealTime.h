// The frames of a real-time capture: the movie plays on the device at 8.658 frames a second,
// so the frames taken are those shown at the device's ticks in the video's own time, read
// from the container's timestamps (a video of any rate, also a variable one, keeps its speed).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// For each tick k (from k = 0) at t0 + k / 8.658 seconds, t0 the presentation time of frame
// `start`, while the tick lies before `durationSeconds` (the end of the last frame): the
// frame whose presentation time is nearest (the later of two at the same distance). With a
// constant rate of r frames a second that is frame start + round(k r / 8.658). frameTime(n)
// is the time of frame n, increasing in n, for n in 0 .. frameCount - 1.
std::vector<std::uint32_t> RealTimeFrames(const std::function<double(std::int64_t)>& frameTime, std::int64_t frameCount,
                                          double durationSeconds, std::int64_t start);

// The same for a video file, from the frame times of the decoder the player uses. InputError
// when it cannot be read, or when its count of frames is not `frameCount`, the player's.
std::vector<std::uint32_t> RealTimePlan(const std::string& video, std::uint32_t frameCount, std::uint32_t start);
