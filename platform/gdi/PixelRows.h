// Pixel formats of DIB rows and their exact conversion to and from one common form,
// 0x00RRGGBB per pixel (a 32-bit BI_RGB pixel read as a little-endian DWORD). Every
// copy between formats goes row by row through that form, so each format needs one
// reader and one writer instead of one converter per pair.
// Internal to platform/gdi.
#pragma once

#include "platform/gdi/Gdi.h"

#include <array>
#include <optional>

namespace gdi {

struct PixelLayout {
    int bitsPerPixel = 32;            // 1, 4, 8, 16, 24 or 32
    DWORD masks[3] = {0, 0, 0};       // red, green, blue, for 16 and 32 bits
    int paletteSize = 0;              // entries used, for 8 bits or fewer
    std::array<DWORD, 256> palette{}; // 0x00RRGGBB
    DWORD fillBits = 0;               // OR'ed into every written 32-bit pixel

    bool IsBitfields() const;         // masks other than the BI_RGB ones
    bool operator==(const PixelLayout& other) const;
};

// The layout of 32-bit device bitmaps: BI_RGB order with the unused byte set to 0xFF,
// which is what Qt's Format_RGB32 expects.
PixelLayout DeviceLayout();

// The layout described by a BITMAPINFO (header, then masks or colour table), or
// nothing when it is not supported. `forReading` accepts what DIBs may hold (1 to 32
// bits, any non-empty masks); otherwise only what GetDIBits writes (16, 24, 32 bits).
std::optional<PixelLayout> LayoutFromInfo(const BITMAPINFO* info, UINT usage, bool forReading);

// Converts `count` pixels starting at pixel `x` of `row` into `out`.
void ReadRow(const PixelLayout& layout, const BYTE* row, int x, int count, DWORD* out);
// Stores `count` pixels from `in` starting at pixel `x` of `row`; colours that the
// layout cannot hold become the nearest it can.
void WriteRow(const PixelLayout& layout, const DWORD* in, int count, BYTE* row, int x);

// Whether pixels of the layout are 32-bit BI_RGB ones. Between two such layouts a row
// copies directly (CopyPlain32), without going through the common form.
bool IsPlain32(const PixelLayout& layout);
// Copies `count` 32-bit BI_RGB pixels from `from` to `to`, each becoming
// (pixel & 0x00FFFFFF) | fillBits: what ReadRow and then WriteRow give for two such layouts.
void CopyPlain32(const BYTE* from, BYTE* to, int count, DWORD fillBits);

// The colour a pixel of `color` (0x00RRGGBB) reads back as after being stored.
DWORD Quantize(const PixelLayout& layout, DWORD color);

inline DWORD ColorRefToPixel(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }
inline COLORREF PixelToColorRef(DWORD p) { return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF); }

} // namespace gdi
