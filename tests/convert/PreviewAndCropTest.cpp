// The live preview and the crop zone through the real controls and a fake video.
#include "ConversionHarness.h"

#include "framework/Bitmap.h"
#include "framework/Picture.h"

#include <gtest/gtest.h>

namespace {

COLORREF Gradient(Cardinal, int x, int y)
{
    return RGB(static_cast<BYTE>((x * 7) & 255), static_cast<BYTE>((y * 5) & 255),
               static_cast<BYTE>(((x + y) * 3) & 255));
}

// The frame buffer the initial zone gives on a 352 x 288 Gradient frame, worked out
// independently: source rectangle from (96, 93), 143 x 95 pixels, sampled at
// (x * 143 / 131, y * 95 / 80), darkness 15 - (r + g + b) / 48.
TFrameBuffer ExpectedInitialZone()
{
    TFrameBuffer f{};
    for (int x = 0; x < 131; ++x)
        for (int y = 0; y < 80; ++y) {
            const COLORREF c = Gradient(0, 96 + x * 143 / 131, 93 + y * 95 / 80);
            f[x * 80 + y] = static_cast<std::uint8_t>(15 - (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 48);
        }
    return f;
}

} // namespace

TEST(PreviewAndCrop, APositionReportCropsAndConvertsTheFrame)
{
    TConversionHarness h(352, 288, 100, Gradient);
    h.OpenVideo();
    TBitmap* view = h.Image1->Picture()->Bitmap();
    EXPECT_EQ(view->Width(), 143);
    EXPECT_EQ(view->Height(), 95);
    EXPECT_EQ(h.Image1->Width(), 131);
    EXPECT_EQ(h.Image2->Width(), 320); // back to the preview size after the snapshot
    EXPECT_EQ(h.conversion->FrameBuffer(), ExpectedInitialZone());
}

// A video too small for the zone's scale leaves the view bitmap without pixels: 100 x 2 gives
// a view 99 * 131 / 320 = 40 wide and 0 high, 2 x 100 one 0 wide and 99 * 80 / 240 = 33 high.
// The view's canvas then reads its context's stock 1 x 1 bitmap: black at (0, 0) (darkness
// 15) and the invalid colour elsewhere, which converts as pure red (darkness 10). kqltool's
// convert-image gives the same bytes for a picture of that size.
TEST(PreviewAndCrop, AVideoTooSmallForTheZoneConvertsTheEmptyView)
{
    struct Case {
        int width, height, viewWidth, viewHeight;
        int (*darkness)(int x, int y);
    };
    const Case cases[] = {{100, 2, 40, 0, [](int x, int) { return x * 40 / 131 == 0 ? 15 : 10; }},
                          {2, 100, 0, 33, [](int, int y) { return y * 33 / 80 == 0 ? 15 : 10; }},
                          {3, 3, 0, 0, [](int, int) { return 15; }}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        TConversionHarness h(c.width, c.height, 100, [](Cardinal, int, int) { return RGB(255, 255, 255); });
        h.OpenVideo();
        TBitmap* view = h.Image1->Picture()->Bitmap();
        EXPECT_EQ(view->Width(), c.viewWidth);
        EXPECT_EQ(view->Height(), c.viewHeight);
        TFrameBuffer expected{};
        for (int x = 0; x < 131; ++x)
            for (int y = 0; y < 80; ++y)
                expected[x * 80 + y] = static_cast<std::uint8_t>(c.darkness(x, y));
        EXPECT_EQ(h.conversion->FrameBuffer(), expected);
    }
}

TEST(PreviewAndCrop, BrightnessAndContrastBarsRepaintAtOnce)
{
    TConversionHarness h(352, 288, 100, Gradient);
    h.OpenVideo();
    h.ScrollBar2->SetPosition(20);
    EXPECT_EQ(h.Label5->Caption(), "4");
    h.ScrollBar3->SetPosition(0);
    EXPECT_EQ(h.Label6->Caption(), "-8");
    for (auto darkness : h.conversion->FrameBuffer())
        ASSERT_EQ(darkness, 8); // contrast 0: every pixel at level 7
}

TEST(PreviewAndCrop, DraggingAndResizingTheZone)
{
    TConversionHarness h(352, 288, 100, Gradient);
    h.OpenVideo();
    // A press away from the corner moves; the zone stops at the preview's edges.
    h.conversion->zoneMouseDown(h.zone, mbLeft, {}, 10, 10);
    EXPECT_TRUE(h.conversion->Moving());
    h.conversion->zoneMouseMove(h.zone, {ssLeft}, 500, -500);
    EXPECT_EQ(h.zone->Left(), 328 - 131);
    EXPECT_EQ(h.zone->Top(), 42);
    h.conversion->zoneMouseUp(h.zone, mbLeft, {}, 500, -500);
    EXPECT_FALSE(h.conversion->Moving());

    // A press on the corner resizes, within the limits and the preview.
    h.zone->SetBounds(8, 42, 131, 80);
    h.conversion->zoneMouseDown(h.zone, mbLeft, {}, 125, 75);
    EXPECT_TRUE(h.conversion->Resizing());
    h.conversion->zoneMouseMove(h.zone, {ssLeft}, 125 + 1000, 75 + 1000);
    EXPECT_EQ(h.zone->Width(), 320);
    EXPECT_EQ(h.zone->Height(), 240);
    EXPECT_EQ(h.zone->Cursor(), crSizeNWSE);
    h.conversion->zoneMouseUp(h.zone, mbLeft, {}, 0, 0);
    // The whole preview leaves out the source's last column and row.
    EXPECT_EQ(h.Image1->Picture()->Bitmap()->Width(), 351);
    EXPECT_EQ(h.Image1->Picture()->Bitmap()->Height(), 287);
    h.conversion->zoneMouseMove(h.zone, {}, 5, 5);
    EXPECT_EQ(h.zone->Cursor(), crDefault);
}

TEST(PreviewAndCrop, SizeLineFollowsTheFields)
{
    TConversionHarness h(352, 288, 100, Gradient);
    EXPECT_EQ(h.Label9->Caption(), "Infos : 42 Ko/files, total 42 Ko. Length : 0.92 sec.");
    h.CheckBox1->SetChecked(true);
    h.SpinEdit2->SetValue(3);
    EXPECT_EQ(h.Label9->Caption(), "Infos : 42 Ko/files, total 126 Ko. Length : 2.77 sec.");
}
