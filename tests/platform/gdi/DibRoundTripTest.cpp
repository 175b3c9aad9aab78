// Packed DIBs of every supported layout through CreateDIBitmap, DIB sections and
// GetDIBits: every pixel must come back with exactly its colour.
#include "platform/gdi/Gdi.h"
#include "tests/platform/gdi/DibBuilder.h"

#include <gtest/gtest.h>

#include <string>

using namespace gditest;

namespace {

struct Format {
    std::string name;
    int bitCount;
    DWORD compression;
    std::vector<DWORD> tableOrMasks;
    std::function<DWORD(int, int)> raw;       // pixel value stored in the DIB
    std::function<COLORREF(DWORD)> colorOf;   // the colour that value stands for
};

COLORREF FromRgbDword(DWORD v) { return RGB(static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v)); }
BYTE Widen5(DWORD v) { return static_cast<BYTE>((v << 3) | (v >> 2)); }
BYTE Widen6(DWORD v) { return static_cast<BYTE>((v << 2) | (v >> 4)); }

std::vector<DWORD> Palette(int size)
{
    std::vector<DWORD> table;
    for (int i = 0; i < size; ++i)
        table.push_back(Noise(i, 1000, static_cast<DWORD>(size)));
    return table;
}

std::vector<Format> Formats()
{
    std::vector<Format> formats;
    auto paletted = [&](const std::string& name, int bits, int size) {
        std::vector<DWORD> table = Palette(size);
        formats.push_back({name, bits, BI_RGB, table,
                           [size](int x, int y) { return Noise(x, y) % static_cast<DWORD>(size); },
                           [table](DWORD v) { return FromRgbDword(table[v]); }});
    };
    paletted("Bits1", 1, 2);
    paletted("Bits4", 4, 16);
    paletted("Bits8", 8, 256);
    paletted("Bits8ShortTable", 8, 20);
    formats.push_back({"Bits16Rgb555", 16, BI_RGB, {}, [](int x, int y) { return Noise(x, y) & 0x7FFF; },
                       [](DWORD v) { return RGB(Widen5((v >> 10) & 31), Widen5((v >> 5) & 31), Widen5(v & 31)); }});
    formats.push_back({"Bits16Bitfields565", 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F},
                       [](int x, int y) { return Noise(x, y) & 0xFFFF; },
                       [](DWORD v) { return RGB(Widen5((v >> 11) & 31), Widen6((v >> 5) & 63), Widen5(v & 31)); }});
    formats.push_back({"Bits24", 24, BI_RGB, {}, [](int x, int y) { return Noise(x, y); }, FromRgbDword});
    // The fourth byte of a 32-bit pixel is unused: fill it to catch readers that use it.
    formats.push_back({"Bits32", 32, BI_RGB, {},
                       [](int x, int y) { return Noise(x, y) | (Noise(y, x) << 24); }, FromRgbDword});
    formats.push_back({"Bits32Bitfields", 32, BI_BITFIELDS, {0xFF0000, 0xFF00, 0xFF},
                       [](int x, int y) { return Noise(x, y); }, FromRgbDword});
    // Red in the low byte: only a reader that follows the masks gets this right.
    formats.push_back({"Bits32BitfieldsRedLow", 32, BI_BITFIELDS, {0xFF, 0xFF00, 0xFF0000},
                       [](int x, int y) { return Noise(x, y); }, [](DWORD v) { return v & 0xFFFFFF; }});
    return formats;
}

struct Case {
    Format format;
    LONG width;
    bool topDown;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.format.name << " width " << c.width << (c.topDown ? " top-down" : " bottom-up");
}

std::string CaseName(const testing::TestParamInfo<Case>& info)
{
    return info.param.format.name + "_W" + std::to_string(info.param.width) + (info.param.topDown ? "_TopDown" : "_BottomUp");
}

std::vector<Case> Cases(int minBitCount = 1)
{
    std::vector<Case> cases;
    for (const Format& f : Formats())
        for (LONG width : {1, 131, 143})
            if (f.bitCount >= minBitCount)
                for (bool topDown : {false, true})
                    cases.push_back({f, width, topDown});
    return cases;
}

constexpr LONG kRows = 7;

class DibRoundTrip : public testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        const Case& c = GetParam();
        dib = MakeDib(c.width, c.topDown ? -kRows : kRows, c.format.bitCount, c.format.compression,
                      c.format.tableOrMasks, c.format.raw);
        screen = GetDC(nullptr);
        memory = CreateCompatibleDC(screen);
    }
    void TearDown() override
    {
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
    }
    COLORREF Expected(int x, int y) const { return GetParam().format.colorOf(GetParam().format.raw(x, y)); }

    // Every pixel read through GetPixel, and CLR_INVALID just outside.
    void ExpectPixels(HBITMAP bitmap)
    {
        HBITMAP old = SelectObject(memory, bitmap);
        ASSERT_NE(old, nullptr);
        const int width = GetParam().width;
        int wrong = 0;
        for (int y = 0; y < kRows; ++y)
            for (int x = 0; x < width; ++x)
                if (GetPixel(memory, x, y) != Expected(x, y) && ++wrong < 5)
                    ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << GetPixel(memory, x, y)
                                  << " instead of " << Expected(x, y);
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(GetPixel(memory, -1, 0), CLR_INVALID);
        EXPECT_EQ(GetPixel(memory, width, 0), CLR_INVALID);
        EXPECT_EQ(GetPixel(memory, 0, -1), CLR_INVALID);
        EXPECT_EQ(GetPixel(memory, 0, kRows), CLR_INVALID);
        SelectObject(memory, old);
    }

    Dib dib;
    HDC screen = nullptr;
    HDC memory = nullptr;
};

TEST_P(DibRoundTrip, CreateDIBitmapKeepsEveryColour)
{
    HBITMAP bitmap = CreateDIBitmap(screen, dib.Header(), CBM_INIT, dib.bits.data(), dib.Info(), DIB_RGB_COLORS);
    ASSERT_NE(bitmap, nullptr);
    BITMAP bm;
    ASSERT_EQ(GetObject(bitmap, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmWidth, GetParam().width);
    EXPECT_EQ(bm.bmHeight, kRows);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(bm.bmBits, nullptr);
    ExpectPixels(bitmap);
    EXPECT_TRUE(DeleteObject(bitmap));
}

TEST_P(DibRoundTrip, GetDIBitsWritesBothOrientationsAndPadsWithZero)
{
    HBITMAP bitmap = CreateDIBitmap(screen, dib.Header(), CBM_INIT, dib.bits.data(), dib.Info(), DIB_RGB_COLORS);
    ASSERT_NE(bitmap, nullptr);
    const LONG width = GetParam().width;
    for (int bitCount : {24, 32}) {
        for (bool topDown : {false, true}) {
            SCOPED_TRACE(testing::Message() << bitCount << " bits, top-down " << topDown);
            std::vector<BYTE> info = MakeInfo(width, topDown ? -kRows : kRows, bitCount, BI_RGB, {});
            const size_t stride = static_cast<size_t>(DibRowBytes(width, bitCount));
            std::vector<BYTE> out(stride * kRows, 0xEE);
            ASSERT_EQ(GetDIBits(screen, bitmap, 0, kRows, out.data(), reinterpret_cast<BITMAPINFO*>(info.data()),
                                DIB_RGB_COLORS),
                      kRows);
            int wrong = 0;
            for (int y = 0; y < kRows; ++y) {
                const BYTE* row = out.data() + stride * static_cast<size_t>(topDown ? y : kRows - 1 - y);
                for (int x = 0; x < width; ++x) {
                    const BYTE* p = row + static_cast<size_t>(x) * (bitCount / 8);
                    COLORREF got = RGB(p[2], p[1], p[0]);
                    if (got != Expected(x, y) || (bitCount == 32 && p[3] != 0))
                        ++wrong;
                }
                for (size_t i = static_cast<size_t>(width) * (bitCount / 8); i < stride; ++i)
                    if (row[i] != 0)
                        ++wrong;
            }
            EXPECT_EQ(wrong, 0);
        }
    }
    DeleteObject(bitmap);
}

TEST_P(DibRoundTrip, SectionHoldsTheDibLayoutUnchanged)
{
    void* memoryBits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, dib.Info(), DIB_RGB_COLORS, &memoryBits, nullptr, 0);
    ASSERT_NE(section, nullptr);
    ASSERT_NE(memoryBits, nullptr);
    std::memcpy(memoryBits, dib.bits.data(), dib.bits.size());
    ExpectPixels(section);

    DIBSECTION ds;
    ASSERT_EQ(GetObject(section, sizeof ds, &ds), static_cast<int>(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmBits, memoryBits);
    EXPECT_EQ(ds.dsBm.bmBitsPixel, GetParam().format.bitCount);
    EXPECT_EQ(ds.dsBm.bmWidthBytes, DibRowBytes(GetParam().width, GetParam().format.bitCount));
    EXPECT_EQ(ds.dsBmih.biHeight, GetParam().topDown ? -kRows : kRows);
    EXPECT_TRUE(DeleteObject(section));
}

// For layouts GetDIBits can write, reading a device bitmap back in the DIB's own
// layout gives the DIB's bytes (padding and the unused byte read as zero).
class DirectColourRoundTrip : public DibRoundTrip {};

TEST_P(DirectColourRoundTrip, ReadsBackByteForByte)
{
    const Format& f = GetParam().format;
    HBITMAP bitmap = CreateDIBitmap(screen, dib.Header(), CBM_INIT, dib.bits.data(), dib.Info(), DIB_RGB_COLORS);
    ASSERT_NE(bitmap, nullptr);
    Dib expected = MakeDib(GetParam().width, GetParam().topDown ? -kRows : kRows, f.bitCount, f.compression,
                           f.tableOrMasks, [&](int x, int y) { return f.bitCount == 32 ? f.raw(x, y) & 0xFFFFFF : f.raw(x, y); });
    const size_t stride = static_cast<size_t>(DibRowBytes(GetParam().width, f.bitCount));
    for (size_t row = 0; row < kRows; ++row)
        for (size_t i = static_cast<size_t>(GetParam().width) * f.bitCount / 8; i < stride; ++i)
            expected.bits[row * stride + i] = 0;
    std::vector<BYTE> out(expected.bits.size(), 0xEE);
    std::vector<BYTE> info = dib.info;
    ASSERT_EQ(GetDIBits(screen, bitmap, 0, kRows, out.data(), reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS),
              kRows);
    EXPECT_EQ(out, expected.bits);
    DeleteObject(bitmap);
}

INSTANTIATE_TEST_SUITE_P(Layouts, DibRoundTrip, testing::ValuesIn(Cases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Layouts, DirectColourRoundTrip, testing::ValuesIn(Cases(16)), CaseName);

} // namespace
