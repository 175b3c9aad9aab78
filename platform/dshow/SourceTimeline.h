// The presentation times of a video's frames, copied from the decoder at open so that the
// graph can answer position questions from any thread without touching the decoder.
// Immutable after construction.
#pragma once

#include "platform/dshow/DShowTypes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

class SourceTimeline {
public:
    SourceTimeline(std::vector<double> frameSeconds, double durationSeconds, double framesPerSecond)
        : seconds_(std::move(frameSeconds)), duration_(durationSeconds), framesPerSecond_(framesPerSecond)
    {
    }

    std::int64_t FrameCount() const { return static_cast<std::int64_t>(seconds_.size()); }
    double DurationSeconds() const { return duration_; }
    double FramesPerSecond() const { return framesPerSecond_; }
    REFERENCE_TIME DurationUnits() const { return ToUnits(duration_); }

    // Time of frame n (clamped to the frames there are); FrameCount() gives the duration.
    double FrameSeconds(std::int64_t n) const
    {
        if (n >= FrameCount())
            return duration_;
        return seconds_[static_cast<std::size_t>(std::max<std::int64_t>(n, 0))];
    }
    REFERENCE_TIME FrameUnits(std::int64_t n) const { return ToUnits(FrameSeconds(n)); }

    // The frame shown at a time: the last one whose (rounded) start is at or before it.
    // Comparing in units keeps FrameAtUnits(FrameUnits(n)) == n whatever the rounding.
    std::int64_t FrameAtUnits(REFERENCE_TIME units) const
    {
        const auto after = std::upper_bound(seconds_.begin(), seconds_.end(), units,
                                            [](REFERENCE_TIME value, double frame) { return value < ToUnits(frame); });
        const auto index = static_cast<std::int64_t>(after - seconds_.begin()) - 1;
        return std::clamp<std::int64_t>(index, 0, FrameCount() - 1);
    }
    std::int64_t FrameAtSeconds(double seconds) const { return FrameAtUnits(ToUnits(seconds)); }

    static REFERENCE_TIME ToUnits(double seconds) { return std::llround(seconds * kUnitsPerSecond); }

private:
    std::vector<double> seconds_;
    double duration_;
    double framesPerSecond_;
};
