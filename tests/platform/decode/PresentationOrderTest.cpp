// The display order worked out from picture types and timestamps, without any file.
#include "platform/dshow/decode/PresentationOrder.h"

#include <gtest/gtest.h>

namespace quellon::decode {
namespace {

using Order = std::vector<std::int64_t>;

TEST(PresentationOrder, MpegPicturesAreHeldUntilTheNextReference)
{
    // Decode order I0 P3 B1 B2 P6 B4 B5 I9 B7 B8: shown I0 B1 B2 P3 B4 B5 P6 B7 B8 I9.
    const std::vector<char> types{'I', 'P', 'B', 'B', 'P', 'B', 'B', 'I', 'B', 'B'};
    EXPECT_EQ(OrderByPictureTypes(types), (Order{0, 2, 3, 1, 5, 6, 4, 8, 9, 7}));
    // Open GOP cut: leading B-frames come out first (the decoder drops them later).
    EXPECT_EQ(OrderByPictureTypes({'I', 'B', 'B', 'P', 'B'}), (Order{1, 2, 0, 4, 3}));
    // No B-frames, or unknown types: decode order.
    EXPECT_EQ(OrderByPictureTypes({'I', 'P', 0, 'P'}), (Order{0, 1, 2, 3}));
    EXPECT_TRUE(OrderByPictureTypes({}).empty());
}

TEST(PresentationOrder, TimestampsOrderOnlyWhenCompleteAndUnique)
{
    EXPECT_TRUE(TimestampsGiveOrder({0, 3000, 1000, 2000}));
    EXPECT_EQ(OrderByTimestamps({0, 3000, 1000, 2000}), (Order{0, 2, 3, 1}));
    EXPECT_FALSE(TimestampsGiveOrder({0, kNoTimestamp, 1000}));
    EXPECT_FALSE(TimestampsGiveOrder({0, 1000, 1000}));
    EXPECT_EQ(PlacesOf({2, 0, 3}, 4), (Order{1, -1, 0, 2}));
}

TEST(PresentationOrder, TimesStartAtZeroAndAlwaysIncrease)
{
    // 90 kHz stamps with one missing and one going backwards: both get one frame period.
    const std::vector<double> times = PresentationTimes({9000, 12600, kNoTimestamp, 19800, 16200}, 1.0 / 90000, 0.04);
    ASSERT_EQ(times.size(), 5u);
    EXPECT_DOUBLE_EQ(times[0], 0.0);
    EXPECT_DOUBLE_EQ(times[1], 0.04);
    EXPECT_DOUBLE_EQ(times[2], 0.08);
    EXPECT_DOUBLE_EQ(times[3], 0.12);
    EXPECT_DOUBLE_EQ(times[4], 0.16);
    // Without a first stamp everything is counted in frame periods.
    EXPECT_DOUBLE_EQ(PresentationTimes({kNoTimestamp, 5, 6}, 1.0, 0.5)[2], 1.0);
}

}  // namespace
}  // namespace quellon::decode
