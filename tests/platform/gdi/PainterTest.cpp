// The Qt side: contexts drawing through a caller's painter, painters on memory
// contexts, and bitmaps made from and turned into images.
#include "platform/gdi/GdiQt.h"
#include "tests/platform/gdi/DibBuilder.h"
#include "tests/platform/gdi/TestBitmaps.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace gditest;

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;

QRgb Rgb(COLORREF c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }

TEST(PainterDC, DrawsIntoThePaintersImage)
{
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(kWhite);
    const COLORREF a = RGB(200, 10, 20), b = RGB(30, 40, 250);
    MemoryBitmap source(Grid{{a, b}, {b, a}});
    {
        QPainter painter(&image);
        painter.setOpacity(0.25);
        painter.setCompositionMode(QPainter::CompositionMode_Multiply);
        HDC dc = CreatePainterDC(&painter, 8, 6);
        ASSERT_NE(dc, nullptr);
        EXPECT_EQ(SetPixel(dc, 0, 0, RGB(1, 2, 3)), RGB(1, 2, 3));
        EXPECT_TRUE(BitBlt(dc, 6, 4, 4, 4, source.dc(), 0, 0, SRCCOPY)) << "clipped to the 8 x 6 area";
        EXPECT_TRUE(StretchBlt(dc, 0, 2, 4, 2, source.dc(), 0, 0, 2, 1, SRCCOPY));
        EXPECT_TRUE(PatBlt(dc, 1, 0, 2, 1, BLACKNESS));
        EXPECT_EQ(SetPixel(dc, 8, 0, 0), CLR_INVALID);
        EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID) << "a painter cannot be read back";
        EXPECT_FALSE(BitBlt(source.dc(), 0, 0, 1, 1, dc, 0, 0, SRCCOPY));
        EXPECT_EQ(DCPainter(dc), &painter);
        // Each call draws as a plain copy, and leaves the painter as it found it.
        EXPECT_EQ(painter.opacity(), 0.25);
        EXPECT_EQ(painter.compositionMode(), QPainter::CompositionMode_Multiply);
        DeletePainterDC(dc);
        EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(dc)), 0u);
    }
    EXPECT_EQ(image.pixel(0, 0), qRgb(1, 2, 3));
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(2, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(3, 0), kWhite);
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(image.pixel(x, 2), Rgb(x < 2 ? a : b));
        EXPECT_EQ(image.pixel(x, 3), Rgb(x < 2 ? a : b));
    }
    EXPECT_EQ(image.pixel(6, 4), Rgb(a));
    EXPECT_EQ(image.pixel(7, 4), Rgb(b));
    EXPECT_EQ(image.pixel(6, 5), Rgb(b));
    EXPECT_EQ(image.pixel(7, 5), Rgb(a));
    EXPECT_EQ(image.pixel(5, 5), kWhite);
}

TEST(PainterDC, FollowsThePaintersTransform)
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(kWhite);
    {
        QPainter painter(&image);
        painter.translate(2, 1);
        HDC dc = CreatePainterDC(&painter, 2, 2);
        SetPixel(dc, 1, 1, RGB(0, 0, 0));
        DeletePainterDC(dc);
    }
    EXPECT_EQ(image.pixel(3, 2), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(1, 1), kWhite);
}

// Painters from DCPainter and GDI calls see the same pixels, in both orientations of
// a DIB section and on device bitmaps.
TEST(DCPainter, DrawsTheRightWayUpOnEveryKindOfBitmap)
{
    for (LONG height : {3, -3}) {
        SCOPED_TRACE(height);
        std::vector<BYTE> info = MakeInfo(2, height, 24, BI_RGB, {});
        void* bits = nullptr;
        HBITMAP section = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(section, nullptr);
        MemoryBitmap bitmap(section, Filled(2, 3, RGB(255, 255, 255)));
        QPainter* painter = DCPainter(bitmap.dc());
        ASSERT_NE(painter, nullptr);
        painter->fillRect(QRect(0, 0, 2, 1), QColor(10, 20, 30));
        EXPECT_EQ(GetPixel(bitmap.dc(), 1, 0), RGB(10, 20, 30));
        EXPECT_EQ(GetPixel(bitmap.dc(), 1, 1), RGB(255, 255, 255));
        // The top row is the last in memory for a bottom-up section.
        const BYTE* top = static_cast<BYTE*>(bits) + (height > 0 ? 2 * 8 : 0);
        EXPECT_EQ(top[0], 30);
        EXPECT_EQ(top[2], 10);
    }
    MemoryBitmap device(Filled(2, 2, RGB(255, 255, 255)));
    QPainter* painter = DCPainter(device.dc());
    ASSERT_NE(painter, nullptr);
    painter->fillRect(QRect(1, 1, 1, 1), QColor(1, 2, 3));
    SetPixel(device.dc(), 0, 0, RGB(4, 5, 6));
    EXPECT_EQ(device.Read(), (Grid{{RGB(4, 5, 6), RGB(255, 255, 255)}, {RGB(255, 255, 255), RGB(1, 2, 3)}}));

    HDC empty = CreateCompatibleDC(nullptr);
    EXPECT_EQ(DCPainter(empty), nullptr) << "nothing of one's own to draw on";
    DeleteDC(empty);
}

// Implicit copies of a bitmap's image must neither see later GDI writes (device
// bitmaps) nor pull a section's painter away from the section memory.
TEST(DCPainter, SharedImagesDoNotDivertWrites)
{
    MemoryBitmap device(Filled(1, 1, RGB(0, 0, 0)));
    ASSERT_NE(DCPainter(device.dc()), nullptr);
    QImage snapshot = *BitmapImage(device.bitmap());
    SetPixel(device.dc(), 0, 0, RGB(9, 9, 9));
    EXPECT_EQ(snapshot.pixel(0, 0), qRgb(0, 0, 0));
    QPainter* painter = DCPainter(device.dc());
    ASSERT_NE(painter, nullptr);
    painter->fillRect(QRect(0, 0, 1, 1), QColor(7, 7, 7));
    EXPECT_EQ(GetPixel(device.dc(), 0, 0), RGB(7, 7, 7));

    std::vector<BYTE> info = MakeInfo(1, -1, 32, BI_RGB, {});
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits, nullptr, 0);
    MemoryBitmap sectionBitmap(section, Filled(1, 1, RGB(0, 0, 0)));
    QImage alias = *BitmapImage(section);
    painter = DCPainter(sectionBitmap.dc());
    ASSERT_NE(painter, nullptr);
    painter->fillRect(QRect(0, 0, 1, 1), QColor(50, 60, 70));
    EXPECT_EQ(static_cast<BYTE*>(bits)[0], 70);
    EXPECT_EQ(static_cast<BYTE*>(bits)[2], 50);
}

TEST(QtBitmaps, ImagesConvertBothWaysExactly)
{
    QImage image(3, 2, QImage::Format_RGB888);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            image.setPixel(x, y, qRgb(x * 80 + 1, y * 90 + 2, 255 - x));
    HBITMAP bitmap = CreateBitmapFromImage(image);
    ASSERT_NE(bitmap, nullptr);
    BITMAP bm;
    GetObject(bitmap, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(BitmapToImage(bitmap), image.convertToFormat(QImage::Format_RGB32));
    DeleteObject(bitmap);

    QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    HBITMAP bitmap24 = CreateBitmapFromImage(bgr);
    GetObject(bitmap24, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 24);
    EXPECT_EQ(BitmapToImage(bitmap24), bgr);
    {
        MemoryBitmap selected(bitmap24, Grid{});
        EXPECT_EQ(GetPixel(selected.dc(), 2, 1), RGB(161, 92, 253));
    }

    // A bottom-up section comes out top row first.
    Dib dib = MakeDib(2, 2, 24, BI_RGB, {}, [](int x, int y) { return static_cast<DWORD>(y * 2 + x); });
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, dib.Info(), DIB_RGB_COLORS, &bits, nullptr, 0);
    std::memcpy(bits, dib.bits.data(), dib.bits.size());
    QImage out = BitmapToImage(section);
    EXPECT_EQ(out.format(), QImage::Format_BGR888);
    EXPECT_EQ(out.pixel(1, 0), qRgb(0, 0, 1));
    EXPECT_EQ(out.pixel(0, 1), qRgb(0, 0, 2));
    DeleteObject(section);

    EXPECT_EQ(CreateBitmapFromImage(QImage()), nullptr);
    EXPECT_TRUE(BitmapToImage(section).isNull());
    EXPECT_EQ(BitmapImage(section), nullptr);
}

} // namespace
