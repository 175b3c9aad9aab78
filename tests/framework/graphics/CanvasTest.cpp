// Drawing on a bitmap's canvas: pixel access, copies and stretches, shapes and hatches.
#include "framework/Bitmap.h"

#include "platform/gdi/GdiQt.h"

#include <QImage>
#include <QPainter>

#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(CanvasPixels, ReadWriteAndTheInvalidColourOutside)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(4, 3);
    TCanvas* canvas = bitmap.Canvas();
    canvas->SetPixels(3, 2, clRed);
    EXPECT_EQ(canvas->Pixels(3, 2), clRed);
    EXPECT_EQ(canvas->Pixels(0, 0), clWhite) << "a new bitmap is white";
    // A scheme colour is stored as the RGB value it stands for.
    canvas->SetPixels(1, 1, clBtnFace);
    EXPECT_EQ(static_cast<COLORREF>(canvas->Pixels(1, 1)), ColorToRGB(clBtnFace));

    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {4, 0}, {0, 3}}) {
        EXPECT_EQ(canvas->Pixels(x, y), -1) << x << "," << y;
        EXPECT_EQ(static_cast<COLORREF>(canvas->Pixels(x, y)), CLR_INVALID);
        canvas->SetPixels(x, y, clBlack); // ignored, no error
    }
}

TEST(CanvasPixels, ClipRectFollowsTheBitmapThroughResizesAndNewHandles)
{
    TBitmap bitmap;
    TCanvas* canvas = bitmap.Canvas();
    EXPECT_EQ(canvas->ClipRect(), Rect(0, 0, 0, 0));
    bitmap.SetWidth(143); // one side at a time, as an image takes a frame's size
    EXPECT_TRUE(bitmap.Empty());
    bitmap.SetHeight(95);
    EXPECT_FALSE(bitmap.Empty());
    EXPECT_EQ(canvas->ClipRect(), Rect(0, 0, 143, 95));
    canvas->SetPixels(142, 94, clBlue);

    bitmap.SetSize(200, 100); // new handle: the same canvas keeps drawing into it
    EXPECT_EQ(canvas->ClipRect(), Rect(0, 0, 200, 100));
    EXPECT_EQ(canvas->Pixels(142, 94), clBlue) << "top-left content kept";
    EXPECT_EQ(canvas->Pixels(199, 99), clWhite) << "new area is white";
    canvas->SetPixels(199, 99, clLime);
    EXPECT_EQ(canvas->Pixels(199, 99), clLime);

    HDC screen = GetDC(nullptr);
    bitmap.SetHandle(CreateCompatibleBitmap(screen, 10, 20));
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(canvas->ClipRect(), Rect(0, 0, 10, 20));
    EXPECT_EQ(canvas->Pixels(0, 0), clBlack);
    EXPECT_EQ(canvas->Pixels(10, 0), -1);
}

TEST(CanvasPixels, AnEmptyBitmapTakesCopiesAndDrawingWithoutError)
{
    TBitmap source;
    FillWithPattern(source, pfDevice, 10, 10);
    TBitmap empty;
    empty.Canvas()->CopyRect(Rect(0, 0, 0, 0), *source.Canvas(), Rect(3, 3, 3, 3));
    empty.Canvas()->Rectangle(0, 0, 5, 5);
    empty.Canvas()->StretchDraw(Rect(0, 0, 5, 5), &source);
    EXPECT_TRUE(empty.Empty());
    EXPECT_EQ(empty.Canvas()->Pixels(1, 1), -1);
}

// The crop copy: a rectangle of a video-sized frame into a bitmap of the same size.
TEST(CanvasCopy, SameSizeCopyIsPixelExactAcrossFormats)
{
    TBitmap frame;
    FillWithPattern(frame, pfDevice, 352, 288);
    for (TPixelFormat format : {pfDevice, pf24bit, pf32bit}) {
        TBitmap view;
        view.SetPixelFormat(format);
        view.SetSize(143, 95);
        view.Canvas()->CopyRect(Rect(0, 0, 143, 95), *frame.Canvas(), Rect(96, 93, 239, 188));
        for (int y = 0; y < 95; ++y)
            for (int x = 0; x < 143; ++x)
                ASSERT_EQ(view.Canvas()->Pixels(x, y), static_cast<TColor>(PatternColor(96 + x, 93 + y)))
                    << "format " << format << " at " << x << "," << y;
    }
}

TEST(CanvasCopy, OtherSizesStretchToTheNearestSourcePixel)
{
    TBitmap source;
    FillWithPattern(source, pf24bit, 6, 4);
    TBitmap target;
    target.SetSize(12, 2);
    target.Canvas()->CopyRect(Rect(0, 0, 12, 2), *source.Canvas(), Rect(0, 0, 6, 4));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(target.Canvas()->Pixels(x, y), static_cast<TColor>(PatternColor(x / 2, y * 2))) << x << "," << y;
}

TEST(CanvasDraw, StretchDrawOneToOneAndHalfSize)
{
    TBitmap frame;
    FillWithPattern(frame, pfDevice, 175, 120);

    TBitmap same;
    same.SetSize(175, 120);
    same.Canvas()->StretchDraw(Rect(0, 0, 175, 120), &frame);
    for (int y = 0; y < 120; y += 7)
        for (int x = 0; x < 175; x += 3)
            ASSERT_EQ(same.Canvas()->Pixels(x, y), static_cast<TColor>(PatternColor(x, y)));

    TBitmap half;
    half.SetPixelFormat(pf24bit);
    half.SetSize(88, 60);
    half.Canvas()->StretchDraw(Rect(0, 0, 88, 60), &frame);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 88; ++x)
            ASSERT_EQ(half.Canvas()->Pixels(x, y), static_cast<TColor>(PatternColor(x * 175 / 88, y * 2)));

    // Draw puts the graphic at its own size.
    TBitmap big;
    big.SetSize(300, 200);
    big.Canvas()->Draw(10, 20, &frame);
    EXPECT_EQ(big.Canvas()->Pixels(10, 20), static_cast<TColor>(PatternColor(0, 0)));
    EXPECT_EQ(big.Canvas()->Pixels(184, 139), static_cast<TColor>(PatternColor(174, 119)));
    EXPECT_EQ(big.Canvas()->Pixels(185, 139), clWhite);
}

// The crop zone's look: black outline, red '/' hatch whose gaps leave what lay beneath.
// Every kind of bitmap, a bottom-up DIB section taken over from elsewhere included, white.
enum class BitmapKind { Device, Rows24, Rows32, BottomUpSection };

void MakeWhiteBitmap(TBitmap& bitmap, BitmapKind kind, int width, int height)
{
    if (kind == BitmapKind::BottomUpSection) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        void* bits = nullptr;
        bitmap.SetHandle(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        ASSERT_EQ(bitmap.PixelFormat(), pf24bit);
        bitmap.Canvas()->FillRect(Rect(0, 0, width, height));
        return;
    }
    bitmap.SetPixelFormat(kind == BitmapKind::Rows24 ? pf24bit : kind == BitmapKind::Rows32 ? pf32bit : pfDevice);
    bitmap.SetSize(width, height);
}

class CanvasShapes : public ::testing::TestWithParam<BitmapKind> {};

TEST_P(CanvasShapes, OutlineAndBackwardDiagonalHatch)
{
    TBitmap bitmap;
    MakeWhiteBitmap(bitmap, GetParam(), 40, 30);
    TCanvas* canvas = bitmap.Canvas();
    canvas->Brush()->SetColor(clLime);
    canvas->FillRect(Rect(0, 0, 40, 30));
    canvas->Brush()->SetColor(clRed);
    canvas->Brush()->SetStyle(bsBDiagonal);
    canvas->Rectangle(5, 5, 35, 25);

    for (int x = 5; x < 35; ++x) {
        EXPECT_EQ(canvas->Pixels(x, 5), clBlack) << x;
        EXPECT_EQ(canvas->Pixels(x, 24), clBlack) << x;
    }
    for (int y = 5; y < 25; ++y) {
        EXPECT_EQ(canvas->Pixels(5, y), clBlack) << y;
        EXPECT_EQ(canvas->Pixels(34, y), clBlack) << y;
    }
    EXPECT_EQ(canvas->Pixels(35, 10), clLime) << "right edge excluded";
    EXPECT_EQ(canvas->Pixels(10, 25), clLime) << "bottom edge excluded";

    int red = 0;
    int lime = 0;
    for (int y = 6; y < 24; ++y) {
        for (int x = 6; x < 34; ++x) {
            const TColor c = canvas->Pixels(x, y);
            ASSERT_TRUE(c == clRed || c == clLime) << x << "," << y;
            if (c != clRed) {
                ++lime;
                continue;
            }
            ++red;
            if (x + 1 < 34 && y - 1 > 5) {
                EXPECT_EQ(canvas->Pixels(x + 1, y - 1), clRed) << "hatch lines rise to the right at " << x << "," << y;
            }
        }
    }
    EXPECT_GT(red, 18 * 28 / 16) << "lines every few pixels";
    EXPECT_GT(lime, red) << "gaps keep the colour beneath";
}

TEST_P(CanvasShapes, ClearBrushSolidFillAndLines)
{
    TBitmap bitmap;
    MakeWhiteBitmap(bitmap, GetParam(), 20, 20);
    TCanvas* canvas = bitmap.Canvas();
    canvas->Brush()->SetStyle(bsClear);
    canvas->Rectangle(0, 0, 10, 10);
    EXPECT_EQ(canvas->Pixels(0, 0), clBlack);
    EXPECT_EQ(canvas->Pixels(5, 5), clWhite) << "a clear brush fills nothing";

    canvas->Brush()->SetColor(clBlue); // a colour makes the brush solid again
    canvas->FillRect(Rect(12, 12, 15, 14));
    EXPECT_EQ(canvas->Pixels(12, 12), clBlue);
    EXPECT_EQ(canvas->Pixels(14, 13), clBlue);
    EXPECT_EQ(canvas->Pixels(15, 13), clWhite);
    EXPECT_EQ(canvas->Pixels(14, 14), clWhite);

    canvas->Pen()->SetColor(clRed);
    canvas->MoveTo(2, 15);
    canvas->LineTo(8, 15);
    EXPECT_EQ(canvas->Pixels(2, 15), clRed);
    EXPECT_EQ(canvas->Pixels(7, 15), clRed);
    EXPECT_EQ(canvas->Pixels(8, 15), clWhite) << "the end point is left out";
    EXPECT_EQ(canvas->PenPos(), Point(8, 15));
    canvas->LineTo(8, 19);
    EXPECT_EQ(canvas->Pixels(8, 15), clRed);
    EXPECT_EQ(canvas->Pixels(8, 18), clRed);
    EXPECT_EQ(canvas->Pixels(8, 19), clWhite);
    canvas->LineTo(5, 16); // up and to the left, 45 degrees
    EXPECT_EQ(canvas->Pixels(8, 19), clRed);
    EXPECT_EQ(canvas->Pixels(6, 17), clRed);
    EXPECT_EQ(canvas->Pixels(5, 16), clWhite);
}

INSTANTIATE_TEST_SUITE_P(Kinds, CanvasShapes,
                         ::testing::Values(BitmapKind::Device, BitmapKind::Rows24, BitmapKind::Rows32,
                                           BitmapKind::BottomUpSection));

TEST(CanvasText, TextIsDrawnInTheFontColourAndMeasured)
{
    TBitmap bitmap;
    bitmap.SetSize(100, 30);
    TCanvas* canvas = bitmap.Canvas();
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetColor(clBlack);
    const int width = canvas->TextWidth("Open");
    EXPECT_GT(width, 10);
    EXPECT_LT(width, 60);
    EXPECT_GE(canvas->TextHeight("Open"), 11);
    canvas->TextOut(2, 2, "Open");
    int dark = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 100; ++x)
            if (GetRValue(static_cast<COLORREF>(canvas->Pixels(x, y))) < 128) {
                ++dark;
                EXPECT_LT(x, 2 + width + 2);
            }
    EXPECT_GT(dark, 10);
    EXPECT_EQ(canvas->PenPos(), Point(2 + width, 2));
}

TEST(CanvasHandle, ACanvasWithoutAContextRefusesToDraw)
{
    TCanvas canvas;
    EXPECT_THROW(canvas.Handle(), EInvalidOperation);
    EXPECT_THROW(canvas.FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);
    EXPECT_THROW(canvas.Pixels(0, 0), EInvalidOperation);
}

// A control's canvas during a paint: a context over a painter, handed in and taken back.
TEST(CanvasHandle, DrawsThroughAPaintContextItDoesNotOwn)
{
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(4, 3); // the control lies at (4, 3) of what is painted
    HDC dc = CreatePainterDC(&painter, 20, 10);
    ASSERT_NE(dc, nullptr);
    TCanvas canvas;
    canvas.SetHandle(dc);
    canvas.Brush()->SetColor(clRed);
    canvas.FillRect(Rect(0, 0, 3, 2));
    canvas.SetPixels(10, 5, clBlue);
    EXPECT_EQ(canvas.Pixels(10, 5), -1) << "a paint context cannot be read";
    EXPECT_EQ(canvas.ClipRect(), Rect(-4, -3, 26, 17));
    canvas.SetHandle(nullptr);
    DeletePainterDC(dc);
    painter.end();

    EXPECT_EQ(image.pixel(4, 3), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(6, 4), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(7, 4), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(14, 8), qRgb(0, 0, 255));
    EXPECT_THROW(canvas.FillRect(Rect(0, 0, 1, 1)), EInvalidOperation) << "no context after the paint";
}

} // namespace
