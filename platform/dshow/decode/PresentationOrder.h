// Presentation order of a video stream's packets, worked out without decoding. Pure
// functions over the packet table, so they can be checked without any file.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

namespace quellon::decode {

inline constexpr std::int64_t kNoTimestamp = std::numeric_limits<std::int64_t>::min();
// Relative gap between two frames' times below which they count as the same time; far above
// the rounding of a time in seconds and far below any real frame spacing.
inline constexpr double kMinTimeStep = 1e-9;

// True when every packet has a presentation timestamp and no two are equal: then sorting by
// them gives the order in which the decoder outputs the pictures.
bool TimestampsGiveOrder(const std::vector<std::int64_t>& pts);

// Decode indices sorted by presentation timestamp. Precondition: TimestampsGiveOrder(pts).
std::vector<std::int64_t> OrderByTimestamps(const std::vector<std::int64_t>& pts);

// Decode indices in display order for codecs of the MPEG family, whose decoders show a
// B picture as soon as it is decoded and hold each I or P picture back until the next I or
// P picture arrives (or the stream ends). pictureTypes holds 'I', 'P', 'B', 'S' or 0 when
// unknown; anything but 'B' is treated as a reference picture.
std::vector<std::int64_t> OrderByPictureTypes(const std::vector<char>& pictureTypes);

// The inverse permutation: for each decode index, its place in `order`, or -1 when the
// packet is not in `order`. `count` is the number of packets.
std::vector<std::int64_t> PlacesOf(const std::vector<std::int64_t>& order, std::int64_t count);

// Presentation times in seconds, frame 0 at 0, strictly increasing. ptsInOrder holds each
// frame's timestamp in stream units (kNoTimestamp when unknown), in presentation order.
// A frame without a usable timestamp (unknown, or not clearly after its predecessor: by at
// least kMinTimeStep relative to it) is placed one nominal frame duration after its
// predecessor.
std::vector<double> PresentationTimes(const std::vector<std::int64_t>& ptsInOrder, double timeBaseSeconds,
                                      double frameDurationSeconds);

}  // namespace quellon::decode
