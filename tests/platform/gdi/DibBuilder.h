// Test pictures as packed DIBs, written by hand from a colour function so that the
// code under test is checked against an encoder of its own.
#pragma once

#include "platform/gdi/Gdi.h"

#include <cstring>
#include <functional>
#include <vector>

namespace gditest {

// Deterministic pseudo-random 24-bit value of a pixel position.
inline DWORD Noise(int x, int y, DWORD seed = 0)
{
    DWORD v = static_cast<DWORD>(x) * 73856093u ^ static_cast<DWORD>(y) * 19349663u ^ seed * 83492791u;
    v ^= v >> 13;
    v *= 0x5bd1e995u;
    v ^= v >> 15;
    return v & 0x00FFFFFF;
}

// A packed DIB: BITMAPINFO (header, then masks or colour table) and pixel rows.
struct Dib {
    std::vector<BYTE> info;
    std::vector<BYTE> bits;
    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(info.data()); }
    const BITMAPINFOHEADER* Header() const { return &Info()->bmiHeader; }
};

inline std::vector<BYTE> MakeInfo(LONG width, LONG height, int bitCount, DWORD compression,
                                  const std::vector<DWORD>& tableOrMasks)
{
    // The whole block is sized once and each part copied to its place: growing a vector that
    // holds exactly the header made GCC 12 see the copy as past its end.
    const std::size_t tableBytes = 4 * tableOrMasks.size();
    std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + tableBytes);
    BITMAPINFOHEADER h{};
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bitCount);
    h.biCompression = compression;
    if (bitCount <= 8)
        h.biClrUsed = static_cast<DWORD>(tableOrMasks.size());
    BYTE* out = info.data();
    std::memcpy(out, &h, sizeof h);
    if (tableBytes > 0)
        std::memcpy(out + sizeof h, tableOrMasks.data(), tableBytes);
    return info;
}

// `value(x, y)` gives the raw pixel value (palette index or packed pixel) of picture
// row y, counted from the top. A negative height makes a top-down DIB.
inline Dib MakeDib(LONG width, LONG height, int bitCount, DWORD compression,
                   const std::vector<DWORD>& tableOrMasks, const std::function<DWORD(int, int)>& value)
{
    Dib dib;
    dib.info = MakeInfo(width, height, bitCount, compression, tableOrMasks);
    const int rows = height < 0 ? -height : height;
    const size_t stride = ((static_cast<size_t>(width) * bitCount + 31) / 32) * 4;
    // Padding bytes are garbage on purpose: readers must not take them as pixels.
    dib.bits.assign(stride * rows, 0xA5);
    for (int y = 0; y < rows; ++y) {
        BYTE* row = dib.bits.data() + stride * static_cast<size_t>(height < 0 ? y : rows - 1 - y);
        if (bitCount < 8)
            std::memset(row, 0, stride);
        for (int x = 0; x < width; ++x) {
            DWORD v = value(x, y);
            switch (bitCount) {
            case 1:
                row[x / 8] |= static_cast<BYTE>((v & 1) << (7 - x % 8));
                break;
            case 4:
                row[x / 2] |= static_cast<BYTE>((v & 15) << (x % 2 == 0 ? 4 : 0));
                break;
            case 8:
                row[x] = static_cast<BYTE>(v);
                break;
            case 16:
                row[2 * x] = static_cast<BYTE>(v);
                row[2 * x + 1] = static_cast<BYTE>(v >> 8);
                break;
            case 24:
                row[3 * x] = static_cast<BYTE>(v);
                row[3 * x + 1] = static_cast<BYTE>(v >> 8);
                row[3 * x + 2] = static_cast<BYTE>(v >> 16);
                break;
            case 32:
                std::memcpy(row + 4 * x, &v, 4);
                break;
            }
        }
    }
    return dib;
}

} // namespace gditest
