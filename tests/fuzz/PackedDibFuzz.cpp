// Makes bitmaps from the input read as a packed DIB (BITMAPINFO: header, then masks or a
// colour table; then the rows), as the snapshot code makes one from the renderer's image:
// a device bitmap through CreateDIBitmap, a DIB section through SetDIBits, and the pixels
// read back with GetDIBits. The caller's part of the contract (the buffers hold the header,
// the table and every row the header describes) is kept here by padding with zeros; what
// the header says is left to the functions under test.
#include "tests/fuzz/FuzzTargets.h"

#include "platform/gdi/Gdi.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Inputs describing more bytes or pixels than this are left out: they only cost time (a
// bitmap of a few million pixels goes through five conversions here, each instrumented).
constexpr unsigned long long kMaxDibBytes = 4ull << 20;
constexpr unsigned long long kMaxDibPixels = 1ull << 20;

unsigned long long Magnitude(LONG value)
{
    return value < 0 ? 0ull - static_cast<unsigned long long>(static_cast<long long>(value)) : static_cast<unsigned long long>(value);
}

}  // namespace

QUELLON_FUZZ_TARGET(FuzzPackedDib)
{
    BITMAPINFOHEADER header{};
    if (size < sizeof header)
        return 0;
    std::memcpy(&header, data, sizeof header);
    // Where the rows begin in a packed DIB: after the header, the three masks of a 40-byte
    // BI_BITFIELDS header, and the colour table of 8 bits or fewer.
    unsigned long long tableBytes = 0;
    if (header.biCompression == BI_BITFIELDS && header.biSize == sizeof header)
        tableBytes = 12;
    else if (header.biBitCount <= 8)
        tableBytes = 4ull * (header.biClrUsed != 0 ? std::min<unsigned long long>(header.biClrUsed, 256) : 1ull << header.biBitCount);
    const unsigned long long bitsOffset = static_cast<unsigned long long>(header.biSize) + tableBytes;
    const unsigned long long stride = (Magnitude(header.biWidth) * header.biBitCount + 31) / 32 * 4;
    const unsigned long long rows = Magnitude(header.biHeight);
    // The masks are read after the first 40 bytes whatever the header's size.
    const unsigned long long infoBytes = std::max<unsigned long long>(bitsOffset, sizeof header + 12);
    if (bitsOffset > kMaxDibBytes || stride > kMaxDibBytes || rows > kMaxDibBytes || stride * rows > kMaxDibBytes - bitsOffset ||
        Magnitude(header.biWidth) * rows > kMaxDibPixels)
        return 0;
    std::vector<BYTE> dib(std::max<unsigned long long>(std::max(infoBytes, bitsOffset + stride * rows), size), 0);
    std::memcpy(dib.data(), data, size);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
    const BYTE* bits = dib.data() + bitsOffset;

    HDC screen = GetDC(nullptr);
    HBITMAP device = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, bits, info, DIB_RGB_COLORS);
    void* sectionBits = nullptr;
    HBITMAP section = CreateDIBSection(screen, info, DIB_RGB_COLORS, &sectionBits, nullptr, 0);
    if (section)
        SetDIBits(screen, section, 0, static_cast<UINT>(rows), bits, info, DIB_RGB_COLORS);
    for (HBITMAP bitmap : {device, section}) {
        if (!bitmap)
            continue;
        BITMAPINFO out{};
        out.bmiHeader.biSize = sizeof out.bmiHeader;
        if (GetDIBits(screen, bitmap, 0, 0, nullptr, &out, DIB_RGB_COLORS) <= 0)
            __builtin_trap();  // a live bitmap always describes itself
        out.bmiHeader.biBitCount = 32;
        out.bmiHeader.biCompression = BI_RGB;
        const unsigned long long outRows = Magnitude(out.bmiHeader.biHeight);
        std::vector<BYTE> pixels(static_cast<std::size_t>(4 * Magnitude(out.bmiHeader.biWidth) * outRows));
        if (GetDIBits(screen, bitmap, 0, static_cast<UINT>(outRows), pixels.data(), &out, DIB_RGB_COLORS) != static_cast<int>(outRows))
            __builtin_trap();
        DeleteObject(bitmap);
    }
    ReleaseDC(nullptr, screen);
    return 0;
}
