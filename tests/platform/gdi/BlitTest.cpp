// Rectangle copies, stretching, fills and single pixels between memory contexts.
#include "platform/gdi/Gdi.h"
#include "tests/platform/gdi/DibBuilder.h"
#include "tests/platform/gdi/TestBitmaps.h"

#include <gtest/gtest.h>

using namespace gditest;

namespace {

constexpr COLORREF kMarker = RGB(1, 2, 3);

struct ClipCase {
    const char* name;
    int x, y, width, height, srcX, srcY;
};

// Source 4 x 3, destination 5 x 5: every pixel of the destination either keeps the
// marker or holds the source pixel that lies at the same offset in the rectangle.
TEST(BitBlt, ClipsToBothBitmaps)
{
    const ClipCase cases[] = {
        {"inside", 1, 1, 3, 2, 1, 0},
        {"destination left and top", -2, -1, 4, 3, 0, 0},
        {"destination right and bottom", 3, 4, 4, 3, 0, 0},
        {"source left and top", 0, 0, 4, 3, -1, -2},
        {"source right and bottom", 0, 0, 5, 5, 2, 1},
        {"larger than both", -3, -3, 20, 20, -5, -5},
        {"entirely outside the destination", 5, 0, 4, 3, 0, 0},
        {"entirely outside the source", 0, 0, 4, 3, 4, 0},
    };
    const Grid source = Numbered(4, 3);
    for (const ClipCase& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryBitmap src(source);
        MemoryBitmap dst(Filled(5, 5, kMarker));
        EXPECT_TRUE(BitBlt(dst.dc(), c.x, c.y, c.width, c.height, src.dc(), c.srcX, c.srcY, SRCCOPY));
        Grid expected = Filled(5, 5, kMarker);
        for (int y = c.y; y < c.y + c.height; ++y)
            for (int x = c.x; x < c.x + c.width; ++x) {
                int sx = c.srcX + x - c.x, sy = c.srcY + y - c.y;
                if (x >= 0 && y >= 0 && x < 5 && y < 5 && sx >= 0 && sy >= 0 && sx < 4 && sy < 3)
                    expected[static_cast<size_t>(y)][static_cast<size_t>(x)] = source[static_cast<size_t>(sy)][static_cast<size_t>(sx)];
            }
        EXPECT_EQ(dst.Read(), expected);
    }
}

TEST(BitBlt, OverlappingCopyWithinOneBitmapReadsBeforeWriting)
{
    const Grid original = Numbered(4, 4);
    for (int shift : {1, -1}) {
        SCOPED_TRACE(shift);
        MemoryBitmap bitmap(original);
        ASSERT_TRUE(BitBlt(bitmap.dc(), shift, shift, 4, 4, bitmap.dc(), 0, 0, SRCCOPY));
        Grid expected = original;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                int sx = x - shift, sy = y - shift;
                if (sx >= 0 && sy >= 0 && sx < 4 && sy < 4)
                    expected[static_cast<size_t>(y)][static_cast<size_t>(x)] = original[static_cast<size_t>(sy)][static_cast<size_t>(sx)];
            }
        EXPECT_EQ(bitmap.Read(), expected);
    }
}

TEST(BitBlt, RefusesWhatItCannotDo)
{
    MemoryBitmap src(Numbered(2, 2));
    MemoryBitmap dst(Filled(2, 2, kMarker));
    HDC screen = GetDC(nullptr);
    HDC empty = CreateCompatibleDC(nullptr); // holds only the shared stock bitmap
    EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 2, 2, src.dc(), 0, 0, 0x00EE0086)) << "SRCPAINT is not implemented";
    EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 2, 2, screen, 0, 0, SRCCOPY)) << "the screen cannot be read";
    EXPECT_FALSE(BitBlt(screen, 0, 0, 2, 2, src.dc(), 0, 0, SRCCOPY)) << "the screen cannot be drawn on";
    EXPECT_FALSE(BitBlt(empty, 0, 0, 1, 1, src.dc(), 0, 0, SRCCOPY)) << "the stock bitmap is shared";
    EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 2, 2, nullptr, 0, 0, SRCCOPY));
    EXPECT_EQ(dst.Read(), Filled(2, 2, kMarker));
    DeleteDC(empty);
    ReleaseDC(nullptr, screen);
    EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 2, 2, screen, 0, 0, SRCCOPY)) << "released context";
}

// Destination pixel i of an extent takes source pixel floor(i * source / destination).
TEST(StretchBlt, NearestNeighbourOnKnownPatterns)
{
    const COLORREF a = RGB(255, 0, 0), b = RGB(0, 255, 0), c = RGB(0, 0, 255), d = RGB(9, 9, 9);
    {
        SCOPED_TRACE("2 x 2 doubled");
        MemoryBitmap src(Grid{{a, b}, {c, d}});
        MemoryBitmap dst(Filled(4, 4, kMarker));
        ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, 4, 4, src.dc(), 0, 0, 2, 2, SRCCOPY));
        EXPECT_EQ(dst.Read(), (Grid{{a, a, b, b}, {a, a, b, b}, {c, c, d, d}, {c, c, d, d}}));
    }
    {
        SCOPED_TRACE("4 halved keeps the first of each pair; 3 onto 5");
        MemoryBitmap src(Grid{{a, b, c, d}});
        MemoryBitmap dst(Filled(7, 1, kMarker));
        ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, 4, 1, SRCCOPY));
        ASSERT_TRUE(StretchBlt(dst.dc(), 2, 0, 5, 1, src.dc(), 1, 0, 3, 1, SRCCOPY));
        EXPECT_EQ(dst.Read(), (Grid{{a, c, b, b, c, c, d}}));
    }
    {
        SCOPED_TRACE("mirrored by a negative destination width, and by a negative source height");
        MemoryBitmap src(Grid{{a, b, c}, {d, d, a}});
        MemoryBitmap dst(Filled(3, 2, kMarker));
        ASSERT_TRUE(StretchBlt(dst.dc(), 3, 0, -3, 1, src.dc(), 0, 0, 3, 1, SRCCOPY));
        EXPECT_EQ(dst.Read(), (Grid{{c, b, a}, {kMarker, kMarker, kMarker}}));
        ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, 3, 2, src.dc(), 0, 2, 3, -2, SRCCOPY));
        EXPECT_EQ(dst.Read(), (Grid{{d, d, a}, {a, b, c}}));
    }
    {
        SCOPED_TRACE("source partly outside: only pixels with a source are drawn");
        MemoryBitmap src(Grid{{a, b}});
        MemoryBitmap dst(Filled(4, 1, kMarker));
        ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, 4, 1, src.dc(), -1, 0, 4, 1, SRCCOPY));
        EXPECT_EQ(dst.Read(), (Grid{{kMarker, a, b, kMarker}}));
    }
}

TEST(PatBlt, FillsBlackOrWhiteClipped)
{
    MemoryBitmap bitmap(Filled(3, 2, kMarker));
    const COLORREF w = RGB(255, 255, 255), k = RGB(0, 0, 0), m = kMarker;
    EXPECT_TRUE(PatBlt(bitmap.dc(), 2, -5, 10, 6, WHITENESS));
    EXPECT_TRUE(PatBlt(bitmap.dc(), 1, 2, -1, -1, BLACKNESS)); // spans (0, 1)
    EXPECT_FALSE(PatBlt(bitmap.dc(), 0, 0, 3, 2, SRCCOPY));
    EXPECT_EQ(bitmap.Read(), (Grid{{m, m, w}, {k, m, m}}));
}

// Copies into bitmaps with fewer bits per channel store the nearest colour they hold,
// and SetPixel reports that colour.
TEST(Pixels, NarrowFormatsStoreAndReportTheNearestColour)
{
    std::vector<BYTE> info = MakeInfo(2, 1, 16, BI_RGB, {});
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(section, nullptr);
    MemoryBitmap narrow(section, Filled(2, 1, 0));
    // 0x13 has 5 high bits 00010 -> widened 0x10; 0xFF stays 0xFF; 0x84 -> 10000 -> 0x84.
    EXPECT_EQ(SetPixel(narrow.dc(), 0, 0, RGB(0x13, 0xFF, 0x84)), RGB(0x10, 0xFF, 0x84));
    MemoryBitmap wide(Grid{{RGB(0x07, 0x08, 0xF9)}});
    ASSERT_TRUE(BitBlt(narrow.dc(), 1, 0, 1, 1, wide.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(narrow.dc(), 1, 0), RGB(0x00, 0x08, 0xFF));
    WORD stored[2];
    std::memcpy(stored, bits, sizeof stored);
    EXPECT_EQ(stored[0], (2 << 10) | (31 << 5) | 16);
    EXPECT_EQ(stored[1], (0 << 10) | (1 << 5) | 31);
    EXPECT_EQ(SetPixel(narrow.dc(), 2, 0, 0), CLR_INVALID);
    EXPECT_EQ(SetPixel(narrow.dc(), 0, -1, 0), CLR_INVALID);
}

} // namespace
