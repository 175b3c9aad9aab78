#include "convert/CropGeometry.h"

#include <gtest/gtest.h>

using namespace crop;

TEST(CropGeometry, SourceRectanglesOfKnownZones)
{
    const ZoneRect initial; // (96, 120), 131 x 80
    EXPECT_EQ(SourceRectOfZone(initial, 352, 288), (SourceRect{96, 93, 239, 188}));
    EXPECT_EQ(SourceRectOfZone(ZoneRect{8, 42, 131, 80}, 352, 288).left, 0);
    EXPECT_EQ(SourceRectOfZone(ZoneRect{8, 42, 131, 80}, 352, 288).top, 0);
    EXPECT_EQ(SourceRectOfZone(ZoneRect{8, 42, 320, 240}, 352, 288), (SourceRect{0, 0, 351, 287}));
    const SourceRect small = SourceRectOfZone(initial, 320, 240);
    EXPECT_EQ(small.Width(), 130);
    EXPECT_EQ(small.Height(), 79);
    // Before any video: an empty frame maps everything to 0, and the -1 of a full-size zone to 0.
    EXPECT_EQ(SourceRectOfZone(initial, 0, 0), (SourceRect{0, 0, 0, 0}));
    EXPECT_EQ(SourceRectOfZone(ZoneRect{8, 42, 320, 240}, 0, 0), (SourceRect{0, 0, 0, 0}));
}

TEST(CropGeometry, ExtendedPrecisionScaling)
{
    EXPECT_EQ(PreviewToSourceX(240, 337), 251); // exact arithmetic would give 252
    // For the usual frame sizes the scaling equals the integer formula for every preview pixel.
    for (int w : {320, 352, 640, 720, 768, 1280, 1920}) {
        for (int a = 0; a <= PreviewWidth; ++a)
            ASSERT_EQ(PreviewToSourceX(a, w), (w - 1) * a / 320) << w << " " << a;
    }
    for (int h : {240, 288, 480, 576, 720, 1080}) {
        for (int a = 0; a <= PreviewHeight; ++a)
            ASSERT_EQ(PreviewToSourceY(a, h), (h - 1) * a / 240) << h << " " << a;
    }
}

TEST(CropGeometry, MovingStaysInsideThePreview)
{
    const ZoneRect zone{96, 120, 131, 80};
    EXPECT_EQ(MovedZone(zone, 500, 0).left, 328 - 131);
    EXPECT_EQ(MovedZone(zone, 0, -500).top, 42);
    EXPECT_EQ(MovedZone(zone, -500, 500), (ZoneRect{8, 282 - 80, 131, 80}));
    EXPECT_EQ(MovedZone(zone, 3, -4), (ZoneRect{99, 116, 131, 80}));
}

TEST(CropGeometry, ResizingKeepsLimitsAndEdges)
{
    EXPECT_EQ(ResizedZone(ZoneRect{8, 42, 131, 80}, 1000, 1000), (ZoneRect{8, 42, 320, 240}));
    EXPECT_EQ(ResizedZone(ZoneRect{96, 120, 131, 80}, 1000, 1000), (ZoneRect{96, 120, 232, 162}));
    EXPECT_EQ(ResizedZone(ZoneRect{96, 120, 140, 90}, -100, -100), (ZoneRect{96, 120, 131, 80}));
    EXPECT_EQ(ResizedZone(ZoneRect{96, 120, 131, 80}, 5, 7), (ZoneRect{96, 120, 136, 87}));
}

TEST(CropGeometry, ResizeCornerIsTheLastNinePixels)
{
    const ZoneRect zone{96, 120, 131, 80};
    EXPECT_TRUE(IsOnResizeCorner(zone, 122, 71));
    EXPECT_FALSE(IsOnResizeCorner(zone, 121, 79)); // 10 pixels from the right edge: a move
    EXPECT_FALSE(IsOnResizeCorner(zone, 130, 70));
    EXPECT_TRUE(IsOnResizeCorner(zone, 200, 200)); // beyond the corner while dragging
}

// Zones whose numbers come from outside may be anywhere in the int range: an edge must not
// wrap round into the preview, whatever is added to it.
TEST(CropGeometry, FarZonesAndLongMovesDoNotWrapRound)
{
    constexpr int Far = 2147483600;
    EXPECT_FALSE(ZoneWithinPreview(ZoneRect{Far, 42, 131, 80}));
    EXPECT_FALSE(ZoneWithinPreview(ZoneRect{96, Far, 131, 80}));
    EXPECT_FALSE(ZoneWithinPreview(ZoneRect{-Far, 42, 131, 80}));
    EXPECT_TRUE(ZoneWithinPreview(ZoneRect{8, 42, 320, 240}));
    EXPECT_FALSE(ZoneWithinPreview(ZoneRect{9, 42, 320, 240}));
    EXPECT_FALSE(ZoneSizeAllowed(ZoneRect{96, 120, Far, 80}));
    EXPECT_TRUE(ZoneSizeAllowed(ZoneRect{}));

    const ZoneRect zone; // (96, 120), 131 x 80
    EXPECT_EQ(MovedZone(zone, Far, Far), (ZoneRect{328 - 131, 282 - 80, 131, 80}));
    EXPECT_EQ(MovedZone(zone, -Far, -Far), (ZoneRect{8, 42, 131, 80}));
    EXPECT_EQ(ResizedZone(zone, Far, Far), (ZoneRect{96, 120, 328 - 96, 282 - 120}));
    EXPECT_EQ(ResizedZone(zone, -Far, -Far), zone);
}
