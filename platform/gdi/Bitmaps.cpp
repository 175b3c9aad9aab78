// Creation, reading, writing and deletion of bitmaps; DIB layouts in and out.
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/GdiQt.h"

#include <algorithm>
#include <new>
#include <cstring>
#include <vector>

using namespace gdi;

namespace {

bool SizeAcceptable(long long width, long long height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

bool DibSizeAcceptable(const BITMAPINFOHEADER& h)
{
    return SizeAcceptable(h.biWidth, h.biHeight < 0 ? -static_cast<long long>(h.biHeight) : h.biHeight);
}

// A known device context, or nullptr when the handle is given but unknown. Windows
// ignores the context in most bitmap calls, yet a stale one still fails the call.
bool ContextAcceptable(HDC dc)
{
    return !dc || FindDeviceContext(dc);
}

// Copies `lines` scan lines of a DIB, starting at scan line `start`, into the bitmap.
// The DIB's top-left pixel lands on the bitmap's top-left pixel.
int CopyDibToBitmap(Bitmap& bitmap, const PixelLayout& layout, const BYTE* bits, LONG dibWidth, LONG dibHeight,
                    UINT start, UINT lines)
{
    const bool topDown = dibHeight < 0;
    const long long rows = topDown ? -static_cast<long long>(dibHeight) : dibHeight;
    if (start >= rows)
        return 0;
    const long long count = std::min<long long>(lines, rows - start);
    const size_t stride = static_cast<size_t>(DibRowBytes(dibWidth, layout.bitsPerPixel));
    const int copyWidth = std::min<int>(dibWidth, bitmap.width);
    std::vector<DWORD> pixels(static_cast<size_t>(std::max(copyWidth, 1)));
    const bool direct = IsPlain32(layout) && IsPlain32(bitmap.layout);
    bitmap.PrepareWrite();
    for (long long j = 0; j < count; ++j) {
        long long scan = start + j;
        long long y = topDown ? scan : rows - 1 - scan;
        if (y >= bitmap.height)
            continue;
        if (direct) {
            CopyPlain32(bits + stride * static_cast<size_t>(j), bitmap.Row(static_cast<int>(y)), copyWidth,
                        bitmap.layout.fillBits);
            continue;
        }
        ReadRow(layout, bits + stride * static_cast<size_t>(j), 0, copyWidth, pixels.data());
        WriteRow(bitmap.layout, pixels.data(), copyWidth, bitmap.Row(static_cast<int>(y)), 0);
    }
    return static_cast<int>(count);
}

QImage::Format QtFormatOf(const PixelLayout& layout)
{
    switch (layout.bitsPerPixel) {
    case 32:
        return layout.IsBitfields() ? QImage::Format_Invalid : QImage::Format_RGB32;
    case 24:
        return QImage::Format_BGR888;
    case 16:
        if (!layout.IsBitfields())
            return QImage::Format_RGB555;
        if (layout.masks[0] == 0xF800 && layout.masks[1] == 0x07E0 && layout.masks[2] == 0x001F)
            return QImage::Format_RGB16;
        return QImage::Format_Invalid;
    default:
        return QImage::Format_Invalid;
    }
}

// Points a section's image at its memory again. An implicit copy made by a caller
// would otherwise make the next painter detach the image into memory of its own.
void WrapSectionMemory(Bitmap& bitmap)
{
    QImage::Format format = QtFormatOf(bitmap.layout);
    if (format == QImage::Format_Invalid)
        return;
    bitmap.image = QImage(bitmap.sectionMemory.get(), bitmap.width, bitmap.height,
                          static_cast<qsizetype>(bitmap.strideBytes), format);
    bitmap.image.setDotsPerMeterX(3780);
    bitmap.image.setDotsPerMeterY(3780);
}

} // namespace

namespace gdi {
// Used by DCPainter before it begins a painter on a section.
void RewrapSectionIfShared(Bitmap& bitmap)
{
    if (bitmap.isSection && !bitmap.image.isNull() && !bitmap.image.isDetached())
        WrapSectionMemory(bitmap);
}
} // namespace gdi

HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage)
try {
    if (!header || header->biSize < sizeof(BITMAPINFOHEADER) || !ContextAcceptable(dc))
        return nullptr;
    const long long width = header->biWidth;
    const long long height = header->biHeight < 0 ? -static_cast<long long>(header->biHeight) : header->biHeight;
    if (!SizeAcceptable(width, height))
        return nullptr;
    std::optional<PixelLayout> layout;
    if (init & CBM_INIT) {
        if (!bits || !info)
            return nullptr;
        layout = LayoutFromInfo(info, usage, true);
        if (!layout || !DibSizeAcceptable(info->bmiHeader))
            return nullptr;
    }
    // A DIB at least as large as the bitmap sets every pixel: the black fill would be lost.
    const bool covered = layout && info->bmiHeader.biWidth >= width &&
                         (info->bmiHeader.biHeight < 0 ? -static_cast<long long>(info->bmiHeader.biHeight)
                                                       : info->bmiHeader.biHeight) >= height;
    std::unique_ptr<Bitmap> bitmap = NewDeviceBitmap(static_cast<int>(width), static_cast<int>(height), !covered);
    if (!bitmap)
        return nullptr;
    if (layout) {
        const LONG dibHeight = info->bmiHeader.biHeight;
        const UINT rows = static_cast<UINT>(dibHeight < 0 ? -static_cast<long long>(dibHeight) : dibHeight);
        CopyDibToBitmap(*bitmap, *layout, static_cast<const BYTE*>(bits), info->bmiHeader.biWidth, dibHeight, 0, rows);
    }
    return AddBitmap(std::move(bitmap));
} catch (const std::bad_alloc&) {
    return nullptr;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height)
try {
    if (!dc || !FindDeviceContext(dc))
        return nullptr;
    std::unique_ptr<Bitmap> bitmap = NewDeviceBitmap(width, height);
    return bitmap ? AddBitmap(std::move(bitmap)) : nullptr;
} catch (const std::bad_alloc&) {
    return nullptr;
}

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset)
try {
    if (bits)
        *bits = nullptr;
    if (!info || section || !ContextAcceptable(dc))
        return nullptr;
    std::optional<PixelLayout> layout = LayoutFromInfo(info, usage, true);
    if (!layout)
        return nullptr;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    const long long width = h.biWidth;
    const long long height = h.biHeight < 0 ? -static_cast<long long>(h.biHeight) : h.biHeight;
    if (!SizeAcceptable(width, height))
        return nullptr;

    auto bitmap = std::make_unique<Bitmap>();
    bitmap->width = static_cast<int>(width);
    bitmap->height = static_cast<int>(height);
    bitmap->layout = *layout;
    bitmap->isSection = true;
    bitmap->bottomUp = h.biHeight > 0;
    bitmap->strideBytes = static_cast<size_t>(DibRowBytes(h.biWidth, h.biBitCount));
    const size_t bytes = bitmap->strideBytes * static_cast<size_t>(height);
    bitmap->sectionMemory.reset(static_cast<BYTE*>(std::calloc(bytes, 1)));
    if (!bitmap->sectionMemory)
        return nullptr;
    bitmap->sectionHeader = h;
    bitmap->sectionHeader.biSize = sizeof(BITMAPINFOHEADER);
    bitmap->sectionHeader.biSizeImage = static_cast<DWORD>(bytes);
    WrapSectionMemory(*bitmap);
    void* memory = bitmap->sectionMemory.get();
    HBITMAP handle = AddBitmap(std::move(bitmap));
    if (bits)
        *bits = memory;
    return handle;
} catch (const std::bad_alloc&) {
    return nullptr;
}

int GetDIBits(HDC dc, HBITMAP handle, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage)
try {
    Bitmap* bitmap = FindBitmap(handle);
    if (!bitmap || !info || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) || !ContextAcceptable(dc))
        return 0;
    BITMAPINFOHEADER& h = info->bmiHeader;
    if (!bits) {
        if (h.biBitCount == 0) {
            h.biWidth = bitmap->width;
            h.biHeight = bitmap->height;
            h.biPlanes = 1;
            h.biBitCount = static_cast<WORD>(bitmap->layout.bitsPerPixel);
            h.biCompression = bitmap->layout.IsBitfields() ? BI_BITFIELDS : BI_RGB;
            h.biClrUsed = 0;
            h.biClrImportant = 0;
        }
        if (h.biWidth <= 0 || h.biHeight == 0)
            return 0;
        const long long rows = h.biHeight < 0 ? -static_cast<long long>(h.biHeight) : h.biHeight;
        h.biSizeImage = static_cast<DWORD>(DibRowBytes(h.biWidth, h.biBitCount) * rows);
        return bitmap->height;
    }
    std::optional<PixelLayout> layout = LayoutFromInfo(info, usage, false);
    const bool topDown = h.biHeight < 0;
    const long long rows = topDown ? -static_cast<long long>(h.biHeight) : h.biHeight;
    if (!layout || !SizeAcceptable(h.biWidth, rows) || start >= rows)
        return 0;
    const long long count = std::min<long long>(lines, rows - start);
    const size_t stride = static_cast<size_t>(DibRowBytes(h.biWidth, layout->bitsPerPixel));
    const int copyWidth = std::min<int>(h.biWidth, bitmap->width);
    std::vector<DWORD> pixels(static_cast<size_t>(copyWidth), 0);
    BYTE* out = static_cast<BYTE*>(bits);
    for (long long j = 0; j < count; ++j) {
        BYTE* row = out + stride * static_cast<size_t>(j);
        std::memset(row, 0, stride);
        long long scan = start + j;
        long long y = topDown ? scan : rows - 1 - scan;
        if (y >= bitmap->height)
            continue;
        ReadRow(bitmap->layout, bitmap->ConstRow(static_cast<int>(y)), 0, copyWidth, pixels.data());
        WriteRow(*layout, pixels.data(), copyWidth, row, 0);
    }
    return static_cast<int>(count);
} catch (const std::bad_alloc&) {
    return 0;
}

int SetDIBits(HDC dc, HBITMAP handle, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage)
try {
    Bitmap* bitmap = FindBitmap(handle);
    if (!bitmap || bitmap->stock || !bits || !ContextAcceptable(dc))
        return 0;
    std::optional<PixelLayout> layout = LayoutFromInfo(info, usage, true);
    if (!layout || !DibSizeAcceptable(info->bmiHeader))
        return 0;
    return CopyDibToBitmap(*bitmap, *layout, static_cast<const BYTE*>(bits), info->bmiHeader.biWidth,
                           info->bmiHeader.biHeight, start, lines);
} catch (const std::bad_alloc&) {
    return 0;
}

int GetObject(HBITMAP handle, int size, LPVOID buffer)
{
    const Bitmap* bitmap = FindBitmap(handle);
    if (!bitmap)
        return 0;
    const bool section = bitmap->isSection;
    if (!buffer)
        return section ? static_cast<int>(sizeof(DIBSECTION)) : static_cast<int>(sizeof(BITMAP));
    if (size < static_cast<int>(sizeof(BITMAP)))
        return 0;
    BITMAP bm;
    bm.bmType = 0;
    bm.bmWidth = bitmap->width;
    bm.bmHeight = bitmap->height;
    bm.bmWidthBytes = static_cast<LONG>(bitmap->strideBytes);
    bm.bmPlanes = 1;
    bm.bmBitsPixel = static_cast<WORD>(bitmap->layout.bitsPerPixel);
    bm.bmBits = section ? bitmap->sectionMemory.get() : nullptr;
    if (section && size >= static_cast<int>(sizeof(DIBSECTION))) {
        DIBSECTION ds;
        ds.dsBm = bm;
        ds.dsBmih = bitmap->sectionHeader;
        if (bitmap->sectionHeader.biCompression == BI_BITFIELDS)
            std::memcpy(ds.dsBitfields, bitmap->layout.masks, sizeof ds.dsBitfields);
        std::memcpy(buffer, &ds, sizeof ds);
        return static_cast<int>(sizeof ds);
    }
    std::memcpy(buffer, &bm, sizeof bm);
    return static_cast<int>(sizeof bm);
}

int GetObject(HGDIOBJ object, int size, LPVOID buffer)
{
    return GetObject(ToBitmap(object), size, buffer);
}

BOOL DeleteObject(HGDIOBJ object)
{
    Bitmap* bitmap = FindBitmap(object);
    if (!bitmap)
        return FALSE;
    // As on Windows: deleting a stock object succeeds and changes nothing.
    if (bitmap->stock)
        return TRUE;
    if (bitmap->selectedInto)
        return FALSE;
    return RemoveObject(object) ? TRUE : FALSE;
}

BOOL DeleteObject(HBITMAP bitmap)
{
    return DeleteObject(ToGdiObject(bitmap));
}

BOOL GdiFlush()
{
    return TRUE;
}

HBITMAP CreateBitmapFromImage(const QImage& image)
try {
    if (image.isNull() || !SizeAcceptable(image.width(), image.height()))
        return nullptr;
    auto bitmap = std::make_unique<Bitmap>();
    if (image.format() == QImage::Format_BGR888) {
        bitmap->image = image;
        bitmap->layout.bitsPerPixel = 24;
    } else {
        bitmap->image = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
        bitmap->layout = DeviceLayout();
    }
    if (bitmap->image.isNull())
        return nullptr;
    bitmap->image.setDotsPerMeterX(3780);
    bitmap->image.setDotsPerMeterY(3780);
    bitmap->width = image.width();
    bitmap->height = image.height();
    bitmap->strideBytes = static_cast<size_t>(bitmap->image.bytesPerLine());
    return AddBitmap(std::move(bitmap));
} catch (const std::bad_alloc&) {
    return nullptr;
}

QImage BitmapToImage(HBITMAP handle)
try {
    const Bitmap* bitmap = FindBitmap(handle);
    if (!bitmap)
        return QImage();
    if (!bitmap->isSection)
        return bitmap->image.copy();
    const bool keep24 = bitmap->layout.bitsPerPixel == 24;
    QImage out(bitmap->width, bitmap->height, keep24 ? QImage::Format_BGR888 : QImage::Format_RGB32);
    if (out.isNull())
        return out;
    PixelLayout outLayout = DeviceLayout();
    if (keep24)
        outLayout.bitsPerPixel = 24;
    std::vector<DWORD> pixels(static_cast<size_t>(bitmap->width));
    for (int y = 0; y < bitmap->height; ++y) {
        ReadRow(bitmap->layout, bitmap->ConstRow(y), 0, bitmap->width, pixels.data());
        WriteRow(outLayout, pixels.data(), bitmap->width, out.scanLine(y), 0);
    }
    return out;
} catch (const std::bad_alloc&) {
    return QImage();
}

QImage* BitmapImage(HBITMAP handle, bool* bottomUp)
{
    Bitmap* bitmap = FindBitmap(handle);
    if (!bitmap || bitmap->image.isNull())
        return nullptr;
    if (bottomUp)
        *bottomUp = bitmap->bottomUp;
    return &bitmap->image;
}
