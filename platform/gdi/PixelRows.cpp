#include "platform/gdi/PixelRows.h"

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace gdi {
namespace {

constexpr DWORD kRgbMasks32[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};
constexpr DWORD kRgbMasks555[3] = {0x7C00, 0x03E0, 0x001F};

// DIB rows are only guaranteed byte alignment once a header and a table precede them.
inline DWORD Load32(const BYTE* p)
{
    DWORD v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void Store32(BYTE* p, DWORD v) { std::memcpy(p, &v, 4); }
inline WORD Load16(const BYTE* p)
{
    WORD v;
    std::memcpy(&v, p, 2);
    return v;
}
inline void Store16(BYTE* p, WORD v) { std::memcpy(p, &v, 2); }

// Changes the width of a channel value: narrower keeps the high bits, wider repeats
// the bits, so that the maximum stays the maximum (5-bit 31 becomes 8-bit 255).
inline DWORD Rescale(DWORD value, int from, int to)
{
    if (from == to || from == 0)
        return from == 0 ? 0 : value;
    if (from > to)
        return value >> (from - to);
    DWORD out = 0;
    int filled = 0;
    while (filled < to) {
        int shift = to - filled - from;
        out |= shift >= 0 ? value << shift : value >> -shift;
        filled += from;
    }
    return to >= 32 ? out : out & ((DWORD{1} << to) - 1);
}

struct Channel {
    int shift;
    int width;
};

inline Channel ChannelOf(DWORD mask)
{
    if (mask == 0)
        return {0, 0};
    int shift = std::countr_zero(mask);
    return {shift, static_cast<int>(std::bit_width(mask >> shift))};
}

struct Channels {
    Channel c[3];
    explicit Channels(const PixelLayout& layout)
        : c{ChannelOf(layout.masks[0]), ChannelOf(layout.masks[1]), ChannelOf(layout.masks[2])}
    {
    }
    DWORD Read(DWORD px, const DWORD* masks) const
    {
        DWORD out = 0;
        for (int i = 0; i < 3; ++i) {
            DWORD v = (px & masks[i]) >> c[i].shift;
            out |= Rescale(v, c[i].width, 8) << (16 - 8 * i);
        }
        return out;
    }
    DWORD Write(DWORD rgb, const DWORD* masks) const
    {
        DWORD out = 0;
        for (int i = 0; i < 3; ++i) {
            DWORD v = (rgb >> (16 - 8 * i)) & 0xFF;
            out |= (Rescale(v, 8, c[i].width) << c[i].shift) & masks[i];
        }
        return out;
    }
};

int NearestIndex(const PixelLayout& layout, DWORD rgb)
{
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < layout.paletteSize; ++i) {
        DWORD p = layout.palette[static_cast<size_t>(i)];
        long dr = static_cast<long>((p >> 16) & 0xFF) - static_cast<long>((rgb >> 16) & 0xFF);
        long dg = static_cast<long>((p >> 8) & 0xFF) - static_cast<long>((rgb >> 8) & 0xFF);
        long db = static_cast<long>(p & 0xFF) - static_cast<long>(rgb & 0xFF);
        long distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
            if (distance == 0)
                break;
        }
    }
    return best;
}

} // namespace

bool PixelLayout::IsBitfields() const
{
    if (bitsPerPixel == 32)
        return !(masks[0] == kRgbMasks32[0] && masks[1] == kRgbMasks32[1] && masks[2] == kRgbMasks32[2]);
    if (bitsPerPixel == 16)
        return !(masks[0] == kRgbMasks555[0] && masks[1] == kRgbMasks555[1] && masks[2] == kRgbMasks555[2]);
    return false;
}

bool PixelLayout::operator==(const PixelLayout& other) const
{
    if (bitsPerPixel != other.bitsPerPixel || fillBits != other.fillBits)
        return false;
    if (bitsPerPixel == 16 || bitsPerPixel == 32)
        return std::memcmp(masks, other.masks, sizeof masks) == 0;
    if (bitsPerPixel <= 8)
        return paletteSize == other.paletteSize && palette == other.palette;
    return true;
}

bool IsPlain32(const PixelLayout& layout)
{
    return layout.bitsPerPixel == 32 && !layout.IsBitfields();
}

void CopyPlain32(const BYTE* from, BYTE* to, int count, DWORD fillBits)
{
    // These copies move whole video frames several times a frame: four pixels at a time
    // where the processor has 128-bit registers (every x86-64 has), else two.
    int i = 0;
#if defined(__SSE2__)
    const __m128i keep = _mm_set1_epi32(0x00FFFFFF);
    const __m128i fill = _mm_set1_epi32(static_cast<int>(fillBits));
    for (; i + 4 <= count; i += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 4 * static_cast<size_t>(i)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 4 * static_cast<size_t>(i)),
                         _mm_or_si128(_mm_and_si128(pixels, keep), fill));
    }
#endif
    constexpr std::uint64_t keepPair = 0x00FFFFFF00FFFFFFull;
    const std::uint64_t fillPair = (std::uint64_t{fillBits} << 32) | fillBits;
    for (; i + 2 <= count; i += 2) {
        std::uint64_t pair;
        std::memcpy(&pair, from + 4 * static_cast<size_t>(i), 8);
        pair = (pair & keepPair) | fillPair;
        std::memcpy(to + 4 * static_cast<size_t>(i), &pair, 8);
    }
    if (i < count)
        Store32(to + 4 * static_cast<size_t>(i), (Load32(from + 4 * static_cast<size_t>(i)) & 0x00FFFFFF) | fillBits);
}

PixelLayout DeviceLayout()
{
    PixelLayout layout;
    layout.bitsPerPixel = 32;
    std::memcpy(layout.masks, kRgbMasks32, sizeof layout.masks);
    layout.fillBits = 0xFF000000;
    return layout;
}

std::optional<PixelLayout> LayoutFromInfo(const BITMAPINFO* info, UINT usage, bool anyFormat)
{
    if (!info)
        return std::nullopt;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER))
        return std::nullopt;
    const BYTE* afterHeader = reinterpret_cast<const BYTE*>(info) + sizeof(BITMAPINFOHEADER);
    PixelLayout layout;
    layout.bitsPerPixel = h.biBitCount;
    switch (h.biBitCount) {
    case 1:
    case 4:
    case 8: {
        if (!anyFormat || h.biCompression != BI_RGB || usage != DIB_RGB_COLORS)
            return std::nullopt;
        DWORD maxColors = DWORD{1} << h.biBitCount;
        layout.paletteSize = static_cast<int>(h.biClrUsed != 0 && h.biClrUsed < maxColors ? h.biClrUsed : maxColors);
        const BYTE* table = reinterpret_cast<const BYTE*>(info) + h.biSize;
        for (int i = 0; i < layout.paletteSize; ++i) {
            const BYTE* q = table + 4 * i;
            layout.palette[static_cast<size_t>(i)] = (DWORD{q[2]} << 16) | (DWORD{q[1]} << 8) | q[0];
        }
        return layout;
    }
    case 16:
    case 32:
        if (h.biCompression == BI_RGB) {
            std::memcpy(layout.masks, h.biBitCount == 32 ? kRgbMasks32 : kRgbMasks555, sizeof layout.masks);
            return layout;
        }
        if (h.biCompression != BI_BITFIELDS)
            return std::nullopt;
        // The masks follow a 40-byte header and sit at the same offset inside the
        // longer headers, so one read serves both.
        std::memcpy(layout.masks, afterHeader, sizeof layout.masks);
        for (DWORD m : layout.masks) {
            if (m == 0 || (h.biBitCount == 16 && m > 0xFFFF))
                return std::nullopt;
        }
        return layout;
    case 24:
        if (h.biCompression != BI_RGB)
            return std::nullopt;
        return layout;
    default:
        return std::nullopt;
    }
}

void ReadRow(const PixelLayout& layout, const BYTE* row, int x, int count, DWORD* out)
{
    switch (layout.bitsPerPixel) {
    case 32: {
        const BYTE* p = row + 4 * static_cast<size_t>(x);
        if (!layout.IsBitfields()) {
            CopyPlain32(p, reinterpret_cast<BYTE*>(out), count, 0);
        } else {
            Channels ch(layout);
            for (int i = 0; i < count; ++i)
                out[i] = ch.Read(Load32(p + 4 * i), layout.masks);
        }
        return;
    }
    case 24: {
        const BYTE* p = row + 3 * static_cast<size_t>(x);
        for (int i = 0; i < count; ++i, p += 3)
            out[i] = (DWORD{p[2]} << 16) | (DWORD{p[1]} << 8) | p[0];
        return;
    }
    case 16: {
        const BYTE* p = row + 2 * static_cast<size_t>(x);
        // The two common layouts directly; any other masks through the general path.
        if (!layout.IsBitfields() || (layout.masks[0] == 0xF800 && layout.masks[1] == 0x07E0 && layout.masks[2] == 0x001F)) {
            const bool is565 = layout.IsBitfields();
            for (int i = 0; i < count; ++i) {
                DWORD v = Load16(p + 2 * i);
                DWORD r = is565 ? (v >> 11) & 31 : (v >> 10) & 31;
                DWORD g = is565 ? (v >> 5) & 63 : (v >> 5) & 31;
                DWORD b = v & 31;
                r = (r << 3) | (r >> 2);
                g = is565 ? (g << 2) | (g >> 4) : (g << 3) | (g >> 2);
                b = (b << 3) | (b >> 2);
                out[i] = (r << 16) | (g << 8) | b;
            }
            return;
        }
        Channels ch(layout);
        for (int i = 0; i < count; ++i)
            out[i] = ch.Read(Load16(p + 2 * i), layout.masks);
        return;
    }
    case 8:
    case 4:
    case 1: {
        const int bpp = layout.bitsPerPixel;
        const int perByte = 8 / bpp;
        const DWORD valueMask = (DWORD{1} << bpp) - 1;
        for (int i = 0; i < count; ++i) {
            int px = x + i;
            BYTE b = row[px / perByte];
            int shift = 8 - bpp * (px % perByte + 1);
            int index = static_cast<int>((b >> shift) & valueMask);
            out[i] = index < layout.paletteSize ? layout.palette[static_cast<size_t>(index)] : 0;
        }
        return;
    }
    default:
        for (int i = 0; i < count; ++i)
            out[i] = 0;
    }
}

void WriteRow(const PixelLayout& layout, const DWORD* in, int count, BYTE* row, int x)
{
    switch (layout.bitsPerPixel) {
    case 32: {
        BYTE* p = row + 4 * static_cast<size_t>(x);
        if (!layout.IsBitfields()) {
            CopyPlain32(reinterpret_cast<const BYTE*>(in), p, count, layout.fillBits);
        } else {
            Channels ch(layout);
            for (int i = 0; i < count; ++i)
                Store32(p + 4 * i, ch.Write(in[i], layout.masks) | layout.fillBits);
        }
        return;
    }
    case 24: {
        BYTE* p = row + 3 * static_cast<size_t>(x);
        for (int i = 0; i < count; ++i, p += 3) {
            p[0] = static_cast<BYTE>(in[i]);
            p[1] = static_cast<BYTE>(in[i] >> 8);
            p[2] = static_cast<BYTE>(in[i] >> 16);
        }
        return;
    }
    case 16: {
        Channels ch(layout);
        BYTE* p = row + 2 * static_cast<size_t>(x);
        for (int i = 0; i < count; ++i)
            Store16(p + 2 * i, static_cast<WORD>(ch.Write(in[i], layout.masks)));
        return;
    }
    case 8:
    case 4:
    case 1: {
        const int bpp = layout.bitsPerPixel;
        const int perByte = 8 / bpp;
        const DWORD valueMask = (DWORD{1} << bpp) - 1;
        DWORD lastColor = 0;
        int lastIndex = -1;
        for (int i = 0; i < count; ++i) {
            if (lastIndex < 0 || in[i] != lastColor) {
                lastColor = in[i];
                lastIndex = NearestIndex(layout, in[i] & 0x00FFFFFF);
            }
            int px = x + i;
            BYTE& b = row[px / perByte];
            int shift = 8 - bpp * (px % perByte + 1);
            b = static_cast<BYTE>((b & ~(valueMask << shift)) | ((static_cast<DWORD>(lastIndex) & valueMask) << shift));
        }
        return;
    }
    default:
        return;
    }
}

DWORD Quantize(const PixelLayout& layout, DWORD color)
{
    BYTE pixel[4] = {0, 0, 0, 0};
    DWORD in = color & 0x00FFFFFF;
    DWORD out = 0;
    WriteRow(layout, &in, 1, pixel, 0);
    ReadRow(layout, pixel, 0, 1, &out);
    return out;
}

} // namespace gdi
