#include "framework/BitmapFile.h"

#include "framework/Picture.h"

#include <QImage>

#include <algorithm>
#include <cstring>
#include <string>

namespace bitmap_file {

namespace {

constexpr DWORD kFileHeaderBytes = 14;
constexpr DWORD kInfoHeaderBytes = 40;
constexpr LONG kPixelsPerMeterAt96Dpi = 3780;

void PutWord(std::vector<BYTE>& out, WORD value)
{
    out.push_back(static_cast<BYTE>(value));
    out.push_back(static_cast<BYTE>(value >> 8));
}

void PutDword(std::vector<BYTE>& out, DWORD value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<BYTE>(value >> shift));
}

WORD GetWord(const BYTE* p)
{
    return static_cast<WORD>(p[0] | (p[1] << 8));
}

DWORD GetDword(const BYTE* p)
{
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
           (static_cast<DWORD>(p[3]) << 24);
}

[[noreturn]] void NotABitmap(const std::string& why)
{
    throw EInvalidGraphic("Image bitmap incorrecte : " + why);
}

[[noreturn]] void CannotMake(int width, int height)
{
    throw EInvalidGraphicOperation("Impossible de créer un bitmap de " + std::to_string(width) + " x " +
                                   std::to_string(height));
}

} // namespace

HBITMAP NewWhiteSection(int width, int height, int bitsPerPixel)
{
    if (width <= 0 || height <= 0 || (bitsPerPixel != 24 && bitsPerPixel != 32))
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down: rows in picture order, drawn without a flip
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr)
        return nullptr;
    // All bytes 0xFF: white, and the unused byte of 32-bit pixels as Qt's RGB32 wants it.
    std::memset(bits, 0xFF, static_cast<size_t>(DibRowBytes(width, bitsPerPixel)) * static_cast<size_t>(height));
    return bitmap;
}

void WriteBmp(HBITMAP bitmap, int width, int height, int bitsPerPixel, std::vector<BYTE>& out)
{
    const DWORD rowBytes = static_cast<DWORD>(DibRowBytes(width, bitsPerPixel));
    const unsigned long long imageBytes = static_cast<unsigned long long>(rowBytes) * static_cast<unsigned>(height);
    if (imageBytes > 0xFFFFFFFFull - kFileHeaderBytes - kInfoHeaderBytes)
        throw EInvalidGraphicOperation("Bitmap trop grand pour un fichier BMP");

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up, as bitmap files are usually stored
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<BYTE> pixels(static_cast<size_t>(imageBytes));
    if (GetDIBits(nullptr, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS) != height)
        throw EInvalidGraphicOperation("Impossible de lire les pixels du bitmap");

    const DWORD offset = kFileHeaderBytes + kInfoHeaderBytes;
    out.reserve(out.size() + offset + pixels.size());
    PutWord(out, BITMAP_FILE_TYPE);
    PutDword(out, offset + static_cast<DWORD>(imageBytes));
    PutWord(out, 0);
    PutWord(out, 0);
    PutDword(out, offset);
    PutDword(out, kInfoHeaderBytes);
    PutDword(out, static_cast<DWORD>(width));
    PutDword(out, static_cast<DWORD>(height));
    PutWord(out, 1);
    PutWord(out, static_cast<WORD>(bitsPerPixel));
    PutDword(out, BI_RGB);
    PutDword(out, static_cast<DWORD>(imageBytes));
    PutDword(out, static_cast<DWORD>(kPixelsPerMeterAt96Dpi));
    PutDword(out, static_cast<DWORD>(kPixelsPerMeterAt96Dpi));
    PutDword(out, 0);
    PutDword(out, 0);
    out.insert(out.end(), pixels.begin(), pixels.end());
}

Decoded ReadBmp(const std::vector<BYTE>& data)
{
    const size_t size = data.size();
    if (size < kFileHeaderBytes + kInfoHeaderBytes || GetWord(data.data()) != BITMAP_FILE_TYPE)
        NotABitmap("en-tête absent");
    const BYTE* header = data.data() + kFileHeaderBytes;
    const DWORD headerBytes = GetDword(header);
    if (headerBytes < kInfoHeaderBytes)
        NotABitmap("en-tête de " + std::to_string(headerBytes) + " octets non pris en charge");
    if (headerBytes > size - kFileHeaderBytes)
        NotABitmap("fichier tronqué");

    BITMAPINFOHEADER h;
    h.biSize = kInfoHeaderBytes;
    h.biWidth = static_cast<LONG>(GetDword(header + 4));
    h.biHeight = static_cast<LONG>(GetDword(header + 8));
    h.biPlanes = GetWord(header + 12);
    h.biBitCount = GetWord(header + 14);
    h.biCompression = GetDword(header + 16);
    h.biClrUsed = GetDword(header + 32);

    const int bits = h.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        NotABitmap(std::to_string(bits) + " bits par pixel");
    if (h.biCompression != BI_RGB && !(h.biCompression == BI_BITFIELDS && (bits == 16 || bits == 32)))
        NotABitmap("compression " + std::to_string(h.biCompression) + " non prise en charge");
    const long long height = h.biHeight < 0 ? -static_cast<long long>(h.biHeight) : h.biHeight;
    if (h.biWidth <= 0 || height <= 0 || h.biWidth > 32768 || height > 32768)
        NotABitmap("dimensions " + std::to_string(h.biWidth) + " x " + std::to_string(h.biHeight));

    // What follows the 40-byte header in the BITMAPINFO handed to GDI: the three masks of
    // BI_BITFIELDS (inside the larger V4/V5 headers, else after the header), or the
    // colour table.
    size_t tableEntries = 0;
    size_t tableOffset = kFileHeaderBytes + headerBytes;
    if (h.biCompression == BI_BITFIELDS) {
        tableEntries = 3;
        if (headerBytes >= kInfoHeaderBytes + 12)
            tableOffset = kFileHeaderBytes + kInfoHeaderBytes;
    } else if (bits <= 8) {
        const size_t full = size_t{1} << bits;
        tableEntries = h.biClrUsed == 0 || h.biClrUsed > full ? full : h.biClrUsed;
    }
    if (tableOffset + tableEntries * 4 > size)
        NotABitmap("fichier tronqué");
    std::vector<BYTE> infoBytes(sizeof(BITMAPINFOHEADER) + std::max<size_t>(tableEntries, 1) * 4);
    h.biClrUsed = bits <= 8 ? static_cast<DWORD>(tableEntries) : 0;
    std::memcpy(infoBytes.data(), &h, sizeof h);
    std::memcpy(infoBytes.data() + sizeof h, data.data() + tableOffset, tableEntries * 4);

    DWORD pixelOffset = GetDword(data.data() + 10);
    if (pixelOffset == 0)
        pixelOffset = static_cast<DWORD>(tableOffset + tableEntries * 4);
    const unsigned long long imageBytes =
        static_cast<unsigned long long>(DibRowBytes(h.biWidth, bits)) * static_cast<unsigned long long>(height);
    if (pixelOffset > size || imageBytes > size - pixelOffset)
        NotABitmap("fichier tronqué");

    Decoded result;
    result.Width = h.biWidth;
    result.Height = static_cast<int>(height);
    result.BitsPerPixel = bits == 32 ? 32 : 24;
    result.Bitmap = NewWhiteSection(result.Width, result.Height, result.BitsPerPixel);
    if (result.Bitmap == nullptr)
        CannotMake(result.Width, result.Height);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(infoBytes.data());
    if (SetDIBits(nullptr, result.Bitmap, 0, static_cast<UINT>(height), data.data() + pixelOffset, info,
                  DIB_RGB_COLORS) != height) {
        DeleteObject(result.Bitmap);
        NotABitmap("format de pixels non pris en charge");
    }
    return result;
}

bool LooksLikePng(const std::vector<BYTE>& data)
{
    static const BYTE signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return data.size() >= sizeof signature && std::memcmp(data.data(), signature, sizeof signature) == 0;
}

Decoded ReadPng(const std::vector<BYTE>& data)
{
    QImage image = QImage::fromData(data.data(), static_cast<int>(data.size()), "PNG");
    if (image.isNull())
        throw EInvalidGraphic("Image PNG incorrecte");
    image = image.convertToFormat(QImage::Format_RGB32);
    Decoded result;
    result.Width = image.width();
    result.Height = image.height();
    result.BitsPerPixel = 32;
    result.Bitmap = NewWhiteSection(result.Width, result.Height, 32);
    if (result.Bitmap == nullptr)
        CannotMake(result.Width, result.Height);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = result.Width;
    info.bmiHeader.biHeight = -result.Height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    // Qt's 32-bit rows are exactly DIB rows (4 bytes a pixel, blue first in memory).
    if (SetDIBits(nullptr, result.Bitmap, 0, static_cast<UINT>(result.Height), image.constBits(), &info,
                  DIB_RGB_COLORS) != result.Height) {
        DeleteObject(result.Bitmap);
        CannotMake(result.Width, result.Height);
    }
    return result;
}

} // namespace bitmap_file
