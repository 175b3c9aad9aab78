#include "tools/kqltool/RealTime.h"

#include "convert/SizeEstimate.h"
#include "platform/dshow/decode/VideoDecoder.h"
#include "tools/kqltool/Options.h"

#include <algorithm>

std::vector<std::uint32_t> RealTimeFrames(const std::function<double(std::int64_t)>& frameTime, std::int64_t frameCount,
                                          double durationSeconds, std::int64_t start)
{
    std::vector<std::uint32_t> frames;
    if (frameCount <= 0 || start < 0 || start >= frameCount)
        return frames;
    const double t0 = frameTime(start);
    // The frame shown at a tick: the last one at or before it; the search starts from the
    // previous tick's, since ticks only move forward.
    std::int64_t shown = start;
    for (std::int64_t k = 0;; ++k) {
        const double tick = t0 + static_cast<double>(k) / static_cast<double>(KqFramesPerSecond);
        if (tick >= durationSeconds)
            break;
        while (shown + 1 < frameCount && frameTime(shown + 1) <= tick)
            ++shown;
        std::int64_t nearest = shown;
        if (shown + 1 < frameCount && frameTime(shown + 1) - tick <= tick - frameTime(shown))
            nearest = shown + 1;
        frames.push_back(static_cast<std::uint32_t>(nearest));
    }
    return frames;
}

std::vector<std::uint32_t> RealTimePlan(const std::string& video, std::uint32_t frameCount, std::uint32_t start)
{
    using quellon::decode::VideoDecoder;
    quellon::decode::OpenFailure failure;
    const std::unique_ptr<VideoDecoder> decoder = VideoDecoder::Open(video, &failure);
    if (!decoder)
        throw InputError("cannot read the frame times of " + video + ": " + failure.message);
    if (decoder->FrameCount() != static_cast<std::int64_t>(frameCount))
        throw InputError("the frame times of " + video + " name " + std::to_string(decoder->FrameCount()) +
                         " frames where the player has " + std::to_string(frameCount));
    return RealTimeFrames([&](std::int64_t n) { return decoder->FrameTime(n); }, decoder->FrameCount(),
                          decoder->DurationSeconds(), start);
}
