// Handles and their lifetimes, refused inputs, DIB section memory, partial GetDIBits.
#include "platform/gdi/Gdi.h"
#include "tests/platform/gdi/DibBuilder.h"
#include "tests/platform/gdi/TestBitmaps.h"

#include <gtest/gtest.h>

#include <thread>

using namespace gditest;

namespace {

TEST(Handles, StaleAndMisusedHandlesFailWithoutHarm)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HDC other = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 2, 2);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(GetObjectType(ToGdiObject(bitmap)), OBJ_BITMAP);
    EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(dc)), OBJ_MEMDC);

    HBITMAP stock = SelectObject(dc, bitmap);
    ASSERT_NE(stock, nullptr) << "a new memory context holds a stock bitmap";
    EXPECT_EQ(SelectObject(other, bitmap), nullptr) << "already selected elsewhere";
    EXPECT_FALSE(DeleteObject(bitmap)) << "still selected";
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0, 0, 0));
    EXPECT_EQ(SelectObject(dc, stock), bitmap);
    EXPECT_EQ(SelectObject(other, bitmap), stock) << "free again once deselected";
    EXPECT_TRUE(DeleteDC(other)) << "deleting the context deselects, not deletes";
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_TRUE(DeleteObject(ToGdiObject(stock)));
    EXPECT_EQ(GetObjectType(ToGdiObject(stock)), OBJ_BITMAP) << "stock objects stay";

    // A stale handle stays stale: new objects never reuse its value.
    HBITMAP next = CreateCompatibleBitmap(dc, 2, 2);
    EXPECT_NE(next, bitmap);
    EXPECT_EQ(SelectObject(dc, bitmap), nullptr);
    EXPECT_EQ(GetObject(bitmap, sizeof(BITMAP), nullptr), 0);
    EXPECT_EQ(GetObjectType(ToGdiObject(bitmap)), 0u);
    DeleteObject(next);

    EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(dc))) << "contexts are deleted with DeleteDC";
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
    EXPECT_EQ(SelectObject(dc, stock), nullptr);
    EXPECT_EQ(CreateCompatibleDC(dc), nullptr) << "based on a deleted context";
    EXPECT_EQ(CreateCompatibleBitmap(dc, 1, 1), nullptr);
    EXPECT_FALSE(DeleteObject(static_cast<HBITMAP>(nullptr)));
}

TEST(Handles, ScreenContextDescribesA32BitScreenAt96Dpi)
{
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(screen, PLANES), 1);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
    EXPECT_GT(GetDeviceCaps(screen, HORZRES), 0);
    EXPECT_GT(GetDeviceCaps(screen, VERTRES), 0);
    EXPECT_EQ(GetPixel(screen, 0, 0), CLR_INVALID);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 1, 1);
    EXPECT_EQ(SelectObject(screen, bitmap), nullptr) << "only memory contexts hold bitmaps";
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteDC(screen)) << "released, not deleted";
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 0);
    EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 0);
}

TEST(Bitmaps, RefusesHeadersItCannotHonour)
{
    HDC screen = GetDC(nullptr);
    const DWORD pixel = 0;
    struct Bad {
        const char* name;
        LONG width, height;
        int bitCount;
        DWORD compression;
        UINT usage;
        DWORD headerSize;
    };
    const Bad cases[] = {
        {"zero width", 0, 1, 24, BI_RGB, DIB_RGB_COLORS, 40},
        {"zero height", 1, 0, 24, BI_RGB, DIB_RGB_COLORS, 40},
        {"negative width", -1, 1, 24, BI_RGB, DIB_RGB_COLORS, 40},
        {"core header", 1, 1, 24, BI_RGB, DIB_RGB_COLORS, 12},
        {"run-length", 1, 1, 8, BI_RLE8, DIB_RGB_COLORS, 40},
        {"palette indices", 1, 1, 8, BI_RGB, DIB_PAL_COLORS, 40},
        {"2 bits", 1, 1, 2, BI_RGB, DIB_RGB_COLORS, 40},
        {"24 bits with masks", 1, 1, 24, BI_BITFIELDS, DIB_RGB_COLORS, 40},
        {"too large", 40000, 40000, 32, BI_RGB, DIB_RGB_COLORS, 40},
    };
    for (const Bad& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<BYTE> info = MakeInfo(c.width, c.height, c.bitCount, c.compression, {0, 0, 0, 0});
        reinterpret_cast<BITMAPINFO*>(info.data())->bmiHeader.biSize = c.headerSize;
        const BITMAPINFO* bi = reinterpret_cast<BITMAPINFO*>(info.data());
        EXPECT_EQ(CreateDIBitmap(screen, &bi->bmiHeader, CBM_INIT, &pixel, bi, c.usage), nullptr);
        void* bits = reinterpret_cast<void*>(1);
        EXPECT_EQ(CreateDIBSection(nullptr, bi, c.usage, &bits, nullptr, 0), nullptr);
        EXPECT_EQ(bits, nullptr);
    }
    std::vector<BYTE> masksOfZero = MakeInfo(1, 1, 16, BI_BITFIELDS, {0xF800, 0, 0x1F});
    const BITMAPINFO* bi = reinterpret_cast<BITMAPINFO*>(masksOfZero.data());
    EXPECT_EQ(CreateDIBitmap(screen, &bi->bmiHeader, CBM_INIT, &pixel, bi, DIB_RGB_COLORS), nullptr);
    std::vector<BYTE> good = MakeInfo(1, 1, 24, BI_RGB, {});
    bi = reinterpret_cast<BITMAPINFO*>(good.data());
    EXPECT_EQ(CreateDIBitmap(screen, &bi->bmiHeader, CBM_INIT, nullptr, bi, DIB_RGB_COLORS), nullptr);
    EXPECT_EQ(CreateDIBitmap(screen, &bi->bmiHeader, CBM_INIT, &pixel, nullptr, DIB_RGB_COLORS), nullptr);
    void* bits = nullptr;
    EXPECT_EQ(CreateDIBSection(nullptr, bi, DIB_RGB_COLORS, &bits, reinterpret_cast<HANDLE>(4), 0), nullptr)
        << "file mappings are not supported";
    HBITMAP black = CreateDIBitmap(screen, &bi->bmiHeader, 0, nullptr, nullptr, DIB_RGB_COLORS);
    ASSERT_NE(black, nullptr) << "without CBM_INIT no bits are needed";
    MemoryBitmap selected(black, Grid{});
    EXPECT_EQ(GetPixel(selected.dc(), 0, 0), RGB(0, 0, 0));
    ReleaseDC(nullptr, screen);
}

// The section's memory is the bitmap: GDI writes land at the DIB offsets at once.
TEST(DibSection, GdiWritesLandInTheSectionMemory)
{
    for (int bitCount : {24, 32}) {
        for (LONG height : {3, -3}) {
            SCOPED_TRACE(testing::Message() << bitCount << " bits, height " << height);
            std::vector<BYTE> info = MakeInfo(5, height, bitCount, BI_RGB, {});
            void* bits = nullptr;
            HBITMAP section = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits, nullptr, 0);
            ASSERT_NE(section, nullptr);
            const size_t stride = static_cast<size_t>(DibRowBytes(5, bitCount));
            std::vector<BYTE> zero(stride * 3, 0);
            EXPECT_EQ(std::memcmp(bits, zero.data(), zero.size()), 0) << "starts black";
            MemoryBitmap bitmap(section, Grid{});
            SetPixel(bitmap.dc(), 4, 0, RGB(11, 22, 33));
            MemoryBitmap source(Grid{{RGB(44, 55, 66)}});
            BitBlt(bitmap.dc(), 1, 2, 1, 1, source.dc(), 0, 0, SRCCOPY);
            const BYTE* base = static_cast<BYTE*>(bits);
            const size_t bytesPerPixel = static_cast<size_t>(bitCount / 8);
            auto at = [&](int x, int y) { return base + stride * static_cast<size_t>(height > 0 ? 2 - y : y) + bytesPerPixel * x; };
            EXPECT_EQ(at(4, 0)[0], 33);
            EXPECT_EQ(at(4, 0)[1], 22);
            EXPECT_EQ(at(4, 0)[2], 11);
            EXPECT_EQ(at(1, 2)[0], 66);
            EXPECT_EQ(at(1, 2)[2], 44);
            // and the other way: memory written directly is what GDI reads
            BYTE* p = const_cast<BYTE*>(at(0, 1));
            p[0] = 3;
            p[1] = 2;
            p[2] = 1;
            EXPECT_EQ(GetPixel(bitmap.dc(), 0, 1), RGB(1, 2, 3));
        }
    }
}

TEST(GetDIBits, ReportsTheFormatAndCopiesPartialScanLines)
{
    Dib dib = MakeDib(3, 4, 24, BI_RGB, {}, [](int x, int y) { return static_cast<DWORD>(y * 16 + x); });
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBitmap(screen, dib.Header(), CBM_INIT, dib.bits.data(), dib.Info(), DIB_RGB_COLORS);
    ASSERT_NE(bitmap, nullptr);

    std::vector<BYTE> query = MakeInfo(0, 0, 0, BI_RGB, {0, 0, 0});
    BITMAPINFO* qi = reinterpret_cast<BITMAPINFO*>(query.data());
    EXPECT_EQ(GetDIBits(screen, bitmap, 0, 0, nullptr, qi, DIB_RGB_COLORS), 4);
    EXPECT_EQ(qi->bmiHeader.biWidth, 3);
    EXPECT_EQ(qi->bmiHeader.biHeight, 4);
    EXPECT_EQ(qi->bmiHeader.biBitCount, 32);
    EXPECT_EQ(qi->bmiHeader.biCompression, BI_RGB);
    EXPECT_EQ(qi->bmiHeader.biSizeImage, 3u * 4 * 4);

    // Scan lines 1 and 2 of a bottom-up buffer are picture rows 2 and 1.
    std::vector<BYTE> info = MakeInfo(3, 4, 32, BI_RGB, {});
    DWORD out[6] = {};
    EXPECT_EQ(GetDIBits(screen, bitmap, 1, 2, out, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS), 2);
    EXPECT_EQ(out[0], 32u);
    EXPECT_EQ(out[2], 34u);
    EXPECT_EQ(out[3], 16u);
    // Lines past the end are not copied.
    EXPECT_EQ(GetDIBits(screen, bitmap, 3, 5, out, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS), 1);
    EXPECT_EQ(out[0], 0u);
    EXPECT_EQ(GetDIBits(screen, bitmap, 4, 1, out, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS), 0);

    // SetDIBits writes the same way round.
    DWORD row[3] = {0x010203, 0x040506, 0x070809};
    EXPECT_EQ(SetDIBits(screen, bitmap, 3, 1, row, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS), 1);
    MemoryBitmap selected(bitmap, Grid{});
    EXPECT_EQ(GetPixel(selected.dc(), 2, 0), RGB(7, 8, 9));
    EXPECT_EQ(GetPixel(selected.dc(), 2, 1), RGB(0, 0, 18));
    ReleaseDC(nullptr, screen);
}

// Frames are made into sections on a streaming thread while the interface thread
// creates and deletes its own bitmaps.
TEST(Handles, ObjectsCanBeMadeAndDeletedOnTwoThreads)
{
    std::vector<BYTE> info = MakeInfo(64, 48, 24, BI_RGB, {});
    auto work = [&info](int rounds) {
        int failures = 0;
        for (int i = 0; i < rounds; ++i) {
            void* bits = nullptr;
            HBITMAP section = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits, nullptr, 0);
            if (!section || !bits)
                ++failures;
            else
                static_cast<BYTE*>(bits)[i % 100] = 1;
            if (!DeleteObject(section))
                ++failures;
        }
        return failures;
    };
    int otherFailures = -1;
    std::thread other([&] { otherFailures = work(300); });
    EXPECT_EQ(work(300), 0);
    other.join();
    EXPECT_EQ(otherFailures, 0);
}

} // namespace
