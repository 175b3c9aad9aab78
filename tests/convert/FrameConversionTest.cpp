#include "convert/FrameConversion.h"

#include <gtest/gtest.h>

#include <vector>

TEST(FrameConversion, SamplingTruncatesTheExactProduct)
{
    // 56 / 80 is stored just below 0.7: row 10 samples source row 6, not 7.
    EXPECT_EQ(SampleCoordinate(10, 56.0 / 80.0), 6);
    EXPECT_EQ(SampleCoordinate(130, 143.0 / 131.0), 141);
    EXPECT_EQ(SampleCoordinate(79, 0.0), 0);
}

TEST(FrameConversion, GreyLevelAroundLevelSeven)
{
    const COLORREF white = RGB(255, 255, 255);
    const COLORREF black = RGB(0, 0, 0);
    EXPECT_EQ(GreyLevel(white, 16, 8), 15);
    EXPECT_EQ(GreyLevel(black, 16, 8), 0);
    // Contrast 0 flattens everything to level 7; contrast 16 doubles the distance from 7.
    EXPECT_EQ(GreyLevel(white, 16, 0), 7);
    EXPECT_EQ(GreyLevel(black, 32, 0), 7);
    EXPECT_EQ(GreyLevel(RGB(96, 96, 96), 16, 16), 2 * (6 - 7) + 7);
    // v = -3 at contrast 7: trunc(-2.625) + 7 = 5, not 4.
    EXPECT_EQ(GreyLevel(RGB(64, 64, 64), 16, 7), 5);
    // Brightness 0 pushes white to -1, clamped to 0; brightness 32 clamps black-ish up to 15.
    EXPECT_EQ(GreyLevel(white, 0, 8), 0);
    EXPECT_EQ(GreyLevel(white, 32, 8), 15);
    // The invalid colour of a point outside a bitmap splits into red 255, green 0, blue 0.
    EXPECT_EQ(GreyLevel(CLR_INVALID, 16, 8), 255 / 48);
}

TEST(FrameConversion, ConvertPictureFillsColumnsAndShowsLevels)
{
    // A 131 x 80 picture whose pixel encodes its own coordinates in the red and green bytes:
    // with steps of 1 every source pixel is used once, in place.
    std::vector<std::pair<int, int>> asked;
    auto pixelAt = [&](int x, int y) {
        asked.emplace_back(x, y);
        return (x + y) % 2 ? RGB(255, 255, 255) : RGB(0, 0, 0);
    };
    TFrameBuffer frame{};
    int shown = 0;
    ConvertPicture(131, 80, pixelAt, 16, 8, frame, [&](int x, int y, int level) {
        ++shown;
        EXPECT_EQ(level, (x + y) % 2 ? 15 : 0);
    });
    EXPECT_EQ(shown, 131 * 80);
    ASSERT_EQ(asked.size(), 131u * 80u);
    EXPECT_EQ(asked[81], std::make_pair(1, 1)); // column by column: index 81 is x 1, y 1
    EXPECT_EQ(frame[FrameBufferIndex(0, 0)], 15); // black is stored as darkness 15
    EXPECT_EQ(frame[FrameBufferIndex(1, 0)], 0);
}

TEST(FrameConversion, SmallPictureRepeatsAndEmptyPictureSamplesOrigin)
{
    int maxX = 0, maxY = 0;
    TFrameBuffer frame{};
    ConvertPicture(130, 79, [&](int x, int y) { maxX = std::max(maxX, x); maxY = std::max(maxY, y); return RGB(0, 0, 0); },
                   16, 8, frame, {});
    EXPECT_EQ(maxX, 129);
    EXPECT_EQ(maxY, 78);

    bool onlyOrigin = true;
    ConvertPicture(0, 0, [&](int x, int y) { onlyOrigin = onlyOrigin && x == 0 && y == 0; return CLR_INVALID; }, 16, 8,
                   frame, {});
    EXPECT_TRUE(onlyOrigin);
}
