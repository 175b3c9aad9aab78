// Reading and writing bitmap files (BMP) and reading PNG files, for TBitmap. Internal to
// the framework's graphics.
//
// Failure: EInvalidGraphic for content that is not a supported picture (nothing is then
// allocated), EInvalidGraphicOperation when the bitmap cannot be made or read.
#pragma once

#include "platform/gdi/Gdi.h"

#include <vector>

namespace bitmap_file {

// A decoded picture: a top-down DIB section of 24 bits (sources of 24 bits or fewer) or
// 32 bits, owned by the caller.
struct Decoded {
    HBITMAP Bitmap = nullptr;
    int Width = 0;
    int Height = 0;
    int BitsPerPixel = 0;
};

// Appends a BMP file of `bitsPerPixel` (24 or 32) bits: BITMAPFILEHEADER, a 40-byte
// BITMAPINFOHEADER (BI_RGB, 96 dots per inch), then the rows bottom-up, padded to 4 bytes.
void WriteBmp(HBITMAP bitmap, int width, int height, int bitsPerPixel, std::vector<BYTE>& out);

// BMP files with a header of 40 bytes or more (V4 and V5 headers included), uncompressed
// 1, 4, 8, 16, 24 or 32 bits, or BI_BITFIELDS of 16 or 32 bits; either row order.
Decoded ReadBmp(const std::vector<BYTE>& data);

bool LooksLikePng(const std::vector<BYTE>& data);
Decoded ReadPng(const std::vector<BYTE>& data);

// A white top-down DIB section of 24 or 32 bits; nullptr for a bad size or no memory.
HBITMAP NewWhiteSection(int width, int height, int bitsPerPixel);

} // namespace bitmap_file
