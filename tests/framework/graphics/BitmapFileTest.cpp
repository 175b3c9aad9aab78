// Bitmap files: the bytes written are checked against an independent reading of the
// format (headers at their documented offsets, rows bottom-up and padded to 4 bytes).
#include "framework/Bitmap.h"

#include "tests/framework/TempFolder.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <QImage>

#include <csignal>
#include <cstring>
#include <filesystem>

#include <sys/resource.h>

namespace {

struct FileCase {
    TPixelFormat format;
    int expectedBits;
};

class BmpWriting : public ::testing::TestWithParam<FileCase> {};

TEST_P(BmpWriting, HeadersAndPixelsOfOddWidthAreExact)
{
    const FileCase c = GetParam();
    constexpr int width = 5; // 15 bytes a row at 24 bits: one byte of padding
    constexpr int height = 3;
    TBitmap bitmap;
    FillWithPattern(bitmap, c.format, width, height);
    std::vector<BYTE> file;
    bitmap.SaveToStream(file);

    const int bytesPerPixel = c.expectedBits / 8;
    const size_t rowBytes = ((width * bytesPerPixel) + 3) / 4 * 4;
    ASSERT_EQ(file.size(), 54 + rowBytes * height);
    EXPECT_EQ(ReadU16(file, 0), 0x4D42);
    EXPECT_EQ(ReadU32(file, 2), file.size());
    EXPECT_EQ(ReadU32(file, 10), 54u);
    EXPECT_EQ(ReadU32(file, 14), 40u);
    EXPECT_EQ(ReadI32(file, 18), width);
    EXPECT_EQ(ReadI32(file, 22), height); // positive: bottom-up
    EXPECT_EQ(ReadU16(file, 26), 1);
    EXPECT_EQ(ReadU16(file, 28), c.expectedBits);
    EXPECT_EQ(ReadU32(file, 30), 0u); // BI_RGB
    EXPECT_EQ(ReadU32(file, 34), rowBytes * height);

    for (int y = 0; y < height; ++y) {
        const size_t row = 54 + rowBytes * static_cast<size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const size_t at = row + static_cast<size_t>(x * bytesPerPixel);
            const COLORREF want = PatternColor(x, y);
            EXPECT_EQ(file[at], GetBValue(want)) << x << "," << y;
            EXPECT_EQ(file[at + 1], GetGValue(want)) << x << "," << y;
            EXPECT_EQ(file[at + 2], GetRValue(want)) << x << "," << y;
        }
        for (size_t pad = width * bytesPerPixel; pad < rowBytes; ++pad)
            EXPECT_EQ(file[row + pad], 0) << "padding of row " << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, BmpWriting,
                         ::testing::Values(FileCase{pf24bit, 24}, FileCase{pf32bit, 32}, FileCase{pfDevice, 32}));

TEST(BmpReading, WhatWasWrittenReadsBackPixelForPixel)
{
    for (TPixelFormat format : {pf24bit, pf32bit}) {
        TBitmap original;
        FillWithPattern(original, format, 7, 4);
        std::vector<BYTE> file;
        original.SaveToStream(file);

        TBitmap copy;
        copy.LoadFromStream(file);
        ASSERT_EQ(copy.Width(), 7);
        ASSERT_EQ(copy.Height(), 4);
        EXPECT_EQ(copy.PixelFormat(), format);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 7; ++x)
                EXPECT_EQ(copy.Canvas()->Pixels(x, y), static_cast<TColor>(PatternColor(x, y)));
    }
}

// A hand-made 8-bit file with a 2-colour table, stored top-down (negative height).
TEST(BmpReading, PalettedTopDownFile)
{
    std::vector<BYTE> file(14 + 40 + 2 * 4 + 4 * 2, 0);
    auto put32 = [&](size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file[at + i] = static_cast<BYTE>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<std::uint32_t>(file.size()));
    put32(10, 14 + 40 + 8);
    put32(14, 40);
    put32(18, 3);
    put32(22, static_cast<std::uint32_t>(-2));
    file[26] = 1;
    file[28] = 8;
    put32(46, 2);
    // Colour 0 blue, colour 1 red (blue, green, red, reserved).
    file[54] = 0xFF;
    file[60] = 0xFF;
    const BYTE rows[2][4] = {{0, 1, 0, 0}, {1, 1, 0, 0}};
    std::memcpy(&file[62], rows, sizeof rows);

    TBitmap bitmap;
    bitmap.LoadFromStream(file);
    ASSERT_EQ(bitmap.Width(), 3);
    ASSERT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(bitmap.PixelFormat(), pf24bit);
    EXPECT_EQ(bitmap.Canvas()->Pixels(0, 0), clBlue);
    EXPECT_EQ(bitmap.Canvas()->Pixels(1, 0), clRed);
    EXPECT_EQ(bitmap.Canvas()->Pixels(0, 1), clRed);
    EXPECT_EQ(bitmap.Canvas()->Pixels(2, 1), clBlue);
}

TEST(BmpReading, DamagedContentIsRefusedAndLeavesTheBitmap)
{
    TBitmap good;
    FillWithPattern(good, pf24bit, 4, 4);
    std::vector<BYTE> file;
    good.SaveToStream(file);

    TBitmap target;
    FillWithPattern(target, pf32bit, 2, 2);
    std::vector<BYTE> truncated(file.begin(), file.end() - 5);
    EXPECT_THROW(target.LoadFromStream(truncated), EInvalidGraphic);
    std::vector<BYTE> notBmp = {'G', 'I', 'F', '8', '9', 'a'};
    EXPECT_THROW(target.LoadFromStream(notBmp), EInvalidGraphic);
    std::vector<BYTE> hugeWidth = file;
    hugeWidth[18] = 0xFF;
    hugeWidth[19] = 0xFF;
    hugeWidth[20] = 0xFF;
    hugeWidth[21] = 0x7F;
    EXPECT_THROW(target.LoadFromStream(hugeWidth), EInvalidGraphic);
    EXPECT_EQ(target.Width(), 2);
    EXPECT_EQ(target.Canvas()->Pixels(1, 1), static_cast<TColor>(PatternColor(1, 1)));
}

TEST(BmpFiles, SaveAndLoadThroughFilesAndTheirErrors)
{
    TempFolder folder;
    TBitmap bitmap;
    FillWithPattern(bitmap, pf24bit, 3, 3);
    bitmap.SaveToFile(folder.Path("a.bmp"));
    std::vector<BYTE> stream;
    bitmap.SaveToStream(stream);
    EXPECT_EQ(ReadWholeFile(folder.Path("a.bmp")), stream);

    TBitmap loaded;
    loaded.LoadFromFile(folder.Path("a.bmp"));
    EXPECT_EQ(loaded.Canvas()->Pixels(2, 2), static_cast<TColor>(PatternColor(2, 2)));

    try {
        bitmap.SaveToFile(folder.Path("missing/a.bmp"));
        FAIL() << "no error for a missing folder";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode(), ERROR_PATH_NOT_FOUND);
    }
    try {
        loaded.LoadFromFile(folder.Path("none.bmp"));
        FAIL() << "no error for a missing file";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode(), ERROR_FILE_NOT_FOUND);
    }
    TBitmap empty;
    EXPECT_THROW(empty.SaveToFile(folder.Path("e.bmp")), EInvalidGraphicOperation);
}

// A picture is written whole under its name or not at all: a write that fails half-way (here
// at a file-size limit) leaves the file that was there before, or none, and nothing else.
TEST(BmpFiles, AFailedWriteLeavesTheOldFileAndNoPart)
{
    TempFolder folder;
    TBitmap small;
    FillWithPattern(small, pf24bit, 5, 4);
    small.SaveToFile(folder.Path("shot.bmp"));
    const std::vector<BYTE> before = ReadWholeFile(folder.Path("shot.bmp"));
    TBitmap large;
    FillWithPattern(large, pf24bit, 320, 240); // 230 KB

    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = old;
    limited.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    int replaceError = 0;
    int newError = 0;
    try {
        large.SaveToFile(folder.Path("shot.bmp"));
    } catch (const EInOutError& e) {
        replaceError = e.ErrorCode();
    }
    try {
        large.SaveToFile(folder.Path("new.bmp"));
    } catch (const EInOutError& e) {
        newError = e.ErrorCode();
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(replaceError, ERROR_FILE_TOO_LARGE);
    EXPECT_EQ(newError, ERROR_FILE_TOO_LARGE);
    EXPECT_EQ(ReadWholeFile(folder.Path("shot.bmp")), before);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"shot.bmp"});

    // Without the limit the same picture replaces the old file whole.
    large.SaveToFile(folder.Path("shot.bmp"));
    std::vector<BYTE> stream;
    large.SaveToStream(stream);
    EXPECT_EQ(ReadWholeFile(folder.Path("shot.bmp")), stream);
}

TEST(BmpFiles, PicturesLoadBitmapsAndPngFilesByExtension)
{
    TempFolder folder;
    QImage png(4, 3, QImage::Format_RGB32);
    png.fill(qRgb(10, 20, 30));
    png.setPixel(3, 2, qRgb(200, 100, 50));
    ASSERT_TRUE(png.save(QString::fromStdString(folder.Path("p.PNG")), "PNG"));

    TPicture picture;
    picture.LoadFromFile(folder.Path("p.PNG"));
    auto* bitmap = dynamic_cast<TBitmap*>(picture.Graphic());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Width(), 4);
    EXPECT_EQ(bitmap->Canvas()->Pixels(0, 0), static_cast<TColor>(RGB(10, 20, 30)));
    EXPECT_EQ(bitmap->Canvas()->Pixels(3, 2), static_cast<TColor>(RGB(200, 100, 50)));

    folder.WriteFile("x.gif", "GIF89a");
    EXPECT_THROW(picture.LoadFromFile(folder.Path("x.gif")), EInvalidGraphic);
    EXPECT_EQ(picture.Graphic(), bitmap) << "a failed load leaves the picture";
    EXPECT_THROW(TPicture().SaveToFile(folder.Path("e.bmp")), EInvalidGraphicOperation);
}

} // namespace
