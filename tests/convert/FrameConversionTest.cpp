#include "convert/FrameConversion.h"

#include <gtest/gtest.h>

#include <algorithm>
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

TEST(FrameConversion, PictureInMemoryConvertsAsPixelByPixel)
{
    // A 150 x 97 picture of every channel sum, with invalid and other non-colours among them:
    // the frame and levels of the whole-picture conversion equal those read pixel by pixel,
    // at every brightness and contrast.
    const int width = 150;
    const int height = 97;
    std::vector<COLORREF> pixels(static_cast<std::size_t>(width) * height);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const int sum = static_cast<int>((i * 37) % 766);
        pixels[i] = RGB(static_cast<BYTE>(std::min(sum, 255)), static_cast<BYTE>(std::clamp(sum - 255, 0, 255)),
                        static_cast<BYTE>(std::max(sum - 510, 0)));
        if (i % 101 == 0)
            pixels[i] = CLR_INVALID;
        else if (i % 103 == 0)
            pixels[i] = 0x01808080; // a high byte: not a plain colour
    }
    for (int brightness = 0; brightness <= 32; ++brightness) {
        for (int contrast = 0; contrast <= 16; ++contrast) {
            TFrameBuffer expected{};
            std::vector<int> shown(KqFramePixels, -1);
            ConvertPicture(
                width, height, [&](int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }, brightness,
                contrast, expected, [&](int x, int y, int level) { shown[static_cast<std::size_t>(y) * KqFrameWidth + x] = level; });
            TFrameBuffer frame{};
            std::uint8_t levels[KqFramePixels];
            ConvertPixels(width, height, pixels.data(), brightness, contrast, frame, levels);
            ASSERT_EQ(frame, expected) << "brightness " << brightness << " contrast " << contrast;
            for (std::size_t i = 0; i < KqFramePixels; ++i)
                ASSERT_EQ(levels[i], shown[i]) << "pixel " << i;
        }
    }
    // An empty picture reads the invalid colour everywhere.
    TFrameBuffer frame{};
    std::uint8_t levels[KqFramePixels];
    ConvertPixels(0, 0, nullptr, 16, 8, frame, levels);
    EXPECT_EQ(levels[0], GreyLevel(CLR_INVALID, 16, 8));
    EXPECT_EQ(levels[KqFramePixels - 1], GreyLevel(CLR_INVALID, 16, 8));
}
