// TBitmap's handle, format, copies and row access, and TPicture's holding of graphics.
#include "framework/Bitmap.h"
#include "framework/Jpeg.h"

#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

namespace {

bool IsLiveBitmap(HBITMAP bitmap)
{
    return GetObjectType(ToGdiObject(bitmap)) == OBJ_BITMAP;
}

// A screen-compatible bitmap made from a packed DIB, as a snapshot makes it.
HBITMAP DeviceBitmapFromDib(int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    std::vector<BYTE> bits(static_cast<size_t>(DibRowBytes(width, 24)) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = PatternColor(x, y);
            BYTE* p = &bits[static_cast<size_t>(DibRowBytes(width, 24)) * (height - 1 - y) + 3 * x];
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBitmap(screen, &info.bmiHeader, CBM_INIT, bits.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

TEST(BitmapHandle, TakesOverDeviceBitmapsAndFreesTheOnesItHeld)
{
    HBITMAP first = DeviceBitmapFromDib(352, 288);
    HBITMAP second = DeviceBitmapFromDib(20, 10);
    ASSERT_TRUE(first && second);
    {
        TBitmap bitmap;
        bitmap.Canvas()->Pixels(0, 0); // a canvas context exists before the take-over
        bitmap.SetHandle(first);
        EXPECT_EQ(bitmap.Width(), 352);
        EXPECT_EQ(bitmap.Height(), 288);
        EXPECT_EQ(bitmap.PixelFormat(), pfDevice);
        EXPECT_EQ(bitmap.Canvas()->Pixels(351, 287), static_cast<TColor>(PatternColor(351, 287)));

        bitmap.SetHandle(second);
        EXPECT_FALSE(IsLiveBitmap(first)) << "the replaced bitmap is deleted";
        EXPECT_EQ(bitmap.Width(), 20);
        EXPECT_EQ(bitmap.Canvas()->Pixels(19, 9), static_cast<TColor>(PatternColor(19, 9)));

        EXPECT_THROW(bitmap.SetHandle(first), EInvalidGraphic) << "a dead handle is refused";
        EXPECT_EQ(bitmap.Handle(), second);
    }
    EXPECT_FALSE(IsLiveBitmap(second)) << "the held bitmap dies with the TBitmap";
}

TEST(BitmapHandle, ReleaseHandleGivesOwnershipAway)
{
    TBitmap bitmap;
    FillWithPattern(bitmap, pf24bit, 8, 8);
    HBITMAP handle = bitmap.ReleaseHandle();
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.Width(), 0);
    ASSERT_TRUE(IsLiveBitmap(handle));
    // Not selected into the old canvas any more: deleting works.
    EXPECT_EQ(DeleteObject(handle), TRUE);
}

TEST(BitmapHandle, AHandleSelectedElsewhereFailsCleanly)
{
    TBitmap bitmap;
    bitmap.SetSize(4, 4);
    HDC foreign = CreateCompatibleDC(nullptr);
    HBITMAP previous = SelectObject(foreign, bitmap.Handle());
    ASSERT_NE(previous, nullptr);
    EXPECT_THROW(bitmap.SetSize(8, 8), EInvalidGraphicOperation);
    EXPECT_THROW(bitmap.SetPixelFormat(pf24bit), EInvalidGraphicOperation);
    EXPECT_EQ(bitmap.Width(), 4);
    EXPECT_EQ(bitmap.PixelFormat(), pfDevice);
    SelectObject(foreign, previous);
    DeleteDC(foreign);
    bitmap.SetSize(8, 8);
    EXPECT_EQ(bitmap.Canvas()->Pixels(7, 7), clWhite);
}

TEST(BitmapFormat, SectionsOfTheirOwnDepthAndExactConversions)
{
    TBitmap bitmap;
    FillWithPattern(bitmap, pf24bit, 9, 5);
    EXPECT_EQ(bitmap.BitsPerPixel(), 24);
    const BYTE* row = bitmap.ScanLine(2);
    const COLORREF c = PatternColor(4, 2);
    EXPECT_EQ(row[12], GetBValue(c));
    EXPECT_EQ(row[13], GetGValue(c));
    EXPECT_EQ(row[14], GetRValue(c));

    bitmap.SetPixelFormat(pf32bit);
    EXPECT_EQ(bitmap.BitsPerPixel(), 32);
    row = bitmap.ScanLine(2);
    EXPECT_EQ(row[16], GetBValue(c));
    EXPECT_EQ(row[18], GetRValue(c));
    bitmap.SetPixelFormat(pfDevice);
    bitmap.SetPixelFormat(pf24bit);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x)
            ASSERT_EQ(bitmap.Canvas()->Pixels(x, y), static_cast<TColor>(PatternColor(x, y)));

    EXPECT_THROW(bitmap.SetPixelFormat(pf8bit), EInvalidGraphicOperation);
    EXPECT_THROW(bitmap.ScanLine(5), EInvalidGraphicOperation);
}

TEST(BitmapFormat, RowsWrittenThroughScanLineAreWhatTheCanvasReads)
{
    TBitmap bitmap;
    bitmap.SetSize(3, 2); // a device bitmap: rows need it as a section first
    BYTE* row = bitmap.ScanLine(1);
    row[4] = 0x11; // pixel 1: blue
    row[5] = 0x22;
    row[6] = 0x33;
    EXPECT_EQ(bitmap.Canvas()->Pixels(1, 1), static_cast<TColor>(RGB(0x33, 0x22, 0x11)));
    EXPECT_EQ(bitmap.Canvas()->Pixels(0, 1), clWhite);
}

TEST(BitmapCopy, AssignIsADeepCopyKeepingTheFormat)
{
    TBitmap source;
    FillWithPattern(source, pf24bit, 11, 7);
    TBitmap copy;
    copy.Assign(&source);
    EXPECT_NE(copy.Handle(), source.Handle());
    EXPECT_EQ(copy.PixelFormat(), pf24bit);
    source.Canvas()->SetPixels(3, 3, clBlack);
    EXPECT_EQ(copy.Canvas()->Pixels(3, 3), static_cast<TColor>(PatternColor(3, 3)));
    std::vector<BYTE> a;
    std::vector<BYTE> b;
    source.Canvas()->SetPixels(3, 3, static_cast<TColor>(PatternColor(3, 3)));
    source.SaveToStream(a);
    copy.SaveToStream(b);
    EXPECT_EQ(a, b);

    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());
}

TEST(BitmapCopy, ChangesAreReported)
{
    struct Counter : TObject {
        int changes = 0;
        void Changed(TObject*) { ++changes; }
    } counter;
    TBitmap bitmap;
    bitmap.OnChange.Assign(&counter, &Counter::Changed);
    bitmap.SetSize(5, 5);
    const int afterSize = counter.changes;
    EXPECT_GE(afterSize, 1);
    bitmap.SetSize(5, 5);
    EXPECT_EQ(counter.changes, afterSize) << "the same size changes nothing";
    bitmap.Canvas()->FillRect(Rect(0, 0, 2, 2));
    EXPECT_GT(counter.changes, afterSize) << "drawing changes the bitmap";
}

TEST(Picture, BitmapReplacesAnyOtherGraphic)
{
    struct Counter : TObject {
        int changes = 0;
        void Changed(TObject*) { ++changes; }
    } counter;
    TPicture picture;
    picture.OnChange.Assign(&counter, &Counter::Changed);
    EXPECT_EQ(picture.Graphic(), nullptr);
    TBitmap* first = picture.Bitmap();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->Empty());
    EXPECT_EQ(picture.Bitmap(), first) << "an existing bitmap stays";
    EXPECT_EQ(counter.changes, 1);

    first->SetSize(4, 4);
    EXPECT_EQ(counter.changes, 2) << "changes of the bitmap reach the picture";
    EXPECT_EQ(picture.Width(), 4);

    TJPEGImage jpeg;
    TBitmap frame;
    FillWithPattern(frame, pf24bit, 6, 6);
    jpeg.Assign(&frame);
    picture.SetGraphic(&jpeg);
    ASSERT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
    EXPECT_NE(picture.Graphic(), &jpeg) << "the picture holds its own copy";
    TBitmap* replaced = picture.Bitmap();
    ASSERT_NE(replaced, nullptr);
    EXPECT_TRUE(replaced->Empty()) << "a new empty bitmap, not a conversion";
    EXPECT_EQ(dynamic_cast<TBitmap*>(picture.Graphic()), replaced);
}

TEST(Picture, AssignCopiesBetweenPicturesAndGraphics)
{
    TBitmap frame;
    FillWithPattern(frame, pf32bit, 5, 4);
    TPicture a;
    a.Assign(&frame);
    TPicture b;
    b.Assign(&a);
    ASSERT_NE(b.Bitmap(), nullptr);
    EXPECT_EQ(b.Bitmap()->Canvas()->Pixels(4, 3), static_cast<TColor>(PatternColor(4, 3)));
    EXPECT_EQ(b.Bitmap()->PixelFormat(), pf32bit);

    // A bitmap takes a picture holding another graphic by drawing it.
    TJPEGImage jpeg;
    jpeg.Assign(&frame);
    TPicture holdingJpeg;
    holdingJpeg.SetGraphic(&jpeg);
    TBitmap drawn;
    drawn.Assign(&holdingJpeg);
    EXPECT_EQ(drawn.Width(), 5);
    EXPECT_EQ(drawn.Height(), 4);

    b.Assign(nullptr);
    EXPECT_EQ(b.Graphic(), nullptr);
    EXPECT_EQ(b.Width(), 0);
}

} // namespace
