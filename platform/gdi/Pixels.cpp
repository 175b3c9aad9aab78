// Pixel reads and writes, rectangle copies, stretching and solid fills.
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/GdiQt.h"

#include <algorithm>
#include <new>
#include <climits>
#include <cstring>
#include <vector>

using namespace gdi;

namespace {

// Where a call draws: the selected bitmap of a memory context (never the shared stock
// bitmap), or a painter over an area of width x height.
struct Target {
    Bitmap* bitmap = nullptr;
    QPainter* painter = nullptr;
    int width = 0;
    int height = 0;
};

bool ResolveTarget(HDC dc, Target& target)
{
    DeviceContext* context = FindDeviceContext(dc);
    if (!context)
        return false;
    if (context->kind == GdiObject::Kind::MemoryDC && context->bitmap && !context->bitmap->stock) {
        target.bitmap = context->bitmap;
        target.width = context->bitmap->width;
        target.height = context->bitmap->height;
        return true;
    }
    if (context->kind == GdiObject::Kind::PainterDC && context->painter->isActive()) {
        target.painter = context->painter;
        target.width = context->width;
        target.height = context->height;
        return true;
    }
    return false;
}

const Bitmap* ResolveSource(HDC dc)
{
    DeviceContext* context = FindDeviceContext(dc);
    if (!context || context->kind != GdiObject::Kind::MemoryDC)
        return nullptr;
    return context->bitmap;
}

// Draws a block of pixels through a painter as a plain copy, whatever state the
// painter's owner left it in.
void PaintBlock(QPainter* painter, int x, int y, const QImage& block)
{
    painter->save();
    painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter->setOpacity(1.0);
    painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter->drawImage(QPoint(x, y), block);
    painter->restore();
}

void FillTarget(Target& target, int x, int y, int width, int height, DWORD pixel)
{
    if (target.painter) {
        target.painter->save();
        target.painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
        target.painter->setOpacity(1.0);
        target.painter->fillRect(QRect(x, y, width, height), QColor::fromRgb(0xFF000000u | pixel));
        target.painter->restore();
        return;
    }
    std::vector<DWORD> row(static_cast<size_t>(width), pixel);
    target.bitmap->PrepareWrite();
    for (int j = 0; j < height; ++j)
        WriteRow(target.bitmap->layout, row.data(), width, target.bitmap->Row(y + j), x);
}

// For each destination index i in [0, count): the source index, or -1 when it lies
// outside [0, sourceLimit). Nearest neighbour: source offset floor(i * srcExtent /
// dstExtent) from the start, counted from the far end when mirrored.
std::vector<int> MapAxis(long long dstStart, long long dstExtent, long long srcStart, long long srcExtent,
                         bool mirrored, int first, int count, int sourceLimit)
{
    std::vector<int> map(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k) {
        long long i = static_cast<long long>(first) + k - dstStart;
        long long offset = i * srcExtent / dstExtent;
        if (mirrored)
            offset = srcExtent - 1 - offset;
        long long s = srcStart + offset;
        map[static_cast<size_t>(k)] = s >= 0 && s < sourceLimit ? static_cast<int>(s) : -1;
    }
    return map;
}

// Narrows [first, first + count) to the indices whose source exists. The mapping is
// monotonic, so those form one run.
void TrimToValid(std::vector<int>& map, int& first, int& count)
{
    auto begin = std::find_if(map.begin(), map.end(), [](int s) { return s >= 0; });
    auto end = std::find_if(begin, map.end(), [](int s) { return s < 0; });
    first += static_cast<int>(begin - map.begin());
    count = static_cast<int>(end - begin);
    map = std::vector<int>(begin, end);
}

BOOL Stretch(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
             int srcHeight, DWORD rop)
try {
    Target target;
    if (!ResolveTarget(dst, target))
        return FALSE;
    const Bitmap* source = ResolveSource(src);
    if (!source || rop != SRCCOPY)
        return FALSE;

    const bool mirrorX = (width < 0) != (srcWidth < 0);
    const bool mirrorY = (height < 0) != (srcHeight < 0);
    // A negative extent spans start + extent .. start - 1, as GDI normalises it.
    long long dx = width < 0 ? static_cast<long long>(x) + width : x;
    long long dy = height < 0 ? static_cast<long long>(y) + height : y;
    long long sx = srcWidth < 0 ? static_cast<long long>(srcX) + srcWidth : srcX;
    long long sy = srcHeight < 0 ? static_cast<long long>(srcY) + srcHeight : srcY;
    const long long dw = width < 0 ? -static_cast<long long>(width) : width;
    const long long dh = height < 0 ? -static_cast<long long>(height) : height;
    const long long sw = srcWidth < 0 ? -static_cast<long long>(srcWidth) : srcWidth;
    const long long sh = srcHeight < 0 ? -static_cast<long long>(srcHeight) : srcHeight;
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0)
        return TRUE;

    // Destination columns and rows inside the target, then those whose source exists.
    int firstX = static_cast<int>(std::max<long long>(dx, 0));
    int lastX = static_cast<int>(std::min<long long>(dx + dw, target.width));
    int firstY = static_cast<int>(std::max<long long>(dy, 0));
    int lastY = static_cast<int>(std::min<long long>(dy + dh, target.height));
    if (firstX >= lastX || firstY >= lastY)
        return TRUE;
    int countX = lastX - firstX;
    int countY = lastY - firstY;
    std::vector<int> columns = MapAxis(dx, dw, sx, sw, mirrorX, firstX, countX, source->width);
    std::vector<int> rows = MapAxis(dy, dh, sy, sh, mirrorY, firstY, countY, source->height);
    TrimToValid(columns, firstX, countX);
    TrimToValid(rows, firstY, countY);
    if (countX == 0 || countY == 0)
        return TRUE;

    const int spanFirst = std::min(columns.front(), columns.back());
    const int spanCount = std::max(columns.front(), columns.back()) - spanFirst + 1;
    const bool plainColumns = !mirrorX && spanCount == countX;

    // Copying within one bitmap reads everything first, so that overlapping rows are
    // read before they are overwritten.
    std::vector<DWORD> sourceBlock;
    int blockFirstRow = 0;
    if (target.bitmap == source) {
        blockFirstRow = std::min(rows.front(), rows.back());
        int blockRows = std::max(rows.front(), rows.back()) - blockFirstRow + 1;
        sourceBlock.resize(static_cast<size_t>(spanCount) * static_cast<size_t>(blockRows));
        for (int r = 0; r < blockRows; ++r)
            ReadRow(source->layout, source->ConstRow(blockFirstRow + r), spanFirst, spanCount,
                    sourceBlock.data() + static_cast<size_t>(r) * static_cast<size_t>(spanCount));
    }

    QImage block;
    if (target.painter) {
        block = QImage(countX, countY, QImage::Format_RGB32);
        if (block.isNull())
            return FALSE;
    } else {
        target.bitmap->PrepareWrite();
    }
    const PixelLayout blockLayout = DeviceLayout();
    // Between 32-bit BI_RGB layouts (video frames, device bitmaps) each pixel is copied
    // straight from the source row, as reading it and writing it back would give.
    const PixelLayout& targetLayout = target.painter ? blockLayout : target.bitmap->layout;
    const bool direct = sourceBlock.empty() && IsPlain32(source->layout) && IsPlain32(targetLayout);
    std::vector<DWORD> span(static_cast<size_t>(spanCount));
    std::vector<DWORD> out(static_cast<size_t>(countX));
    int lastSourceRow = -1;
    for (int j = 0; j < countY; ++j) {
        const int sourceRow = rows[static_cast<size_t>(j)];
        if (direct) {
            const BYTE* from = source->ConstRow(sourceRow);
            BYTE* to = target.painter ? block.scanLine(j) : target.bitmap->Row(firstY + j) + 4 * static_cast<size_t>(firstX);
            if (plainColumns) {
                CopyPlain32(from + 4 * static_cast<size_t>(spanFirst), to, countX, targetLayout.fillBits);
            } else {
                for (int i = 0; i < countX; ++i) {
                    DWORD pixel;
                    std::memcpy(&pixel, from + 4 * static_cast<size_t>(columns[static_cast<size_t>(i)]), 4);
                    pixel = (pixel & 0x00FFFFFF) | targetLayout.fillBits;
                    std::memcpy(to + 4 * static_cast<size_t>(i), &pixel, 4);
                }
            }
            continue;
        }
        if (sourceRow != lastSourceRow) {
            const DWORD* spanPixels;
            if (!sourceBlock.empty()) {
                spanPixels = sourceBlock.data() + static_cast<size_t>(sourceRow - blockFirstRow) * static_cast<size_t>(spanCount);
            } else {
                ReadRow(source->layout, source->ConstRow(sourceRow), spanFirst, spanCount, span.data());
                spanPixels = span.data();
            }
            if (plainColumns) {
                std::copy(spanPixels, spanPixels + countX, out.begin());
            } else {
                for (int i = 0; i < countX; ++i)
                    out[static_cast<size_t>(i)] = spanPixels[columns[static_cast<size_t>(i)] - spanFirst];
            }
            lastSourceRow = sourceRow;
        }
        if (target.painter)
            WriteRow(blockLayout, out.data(), countX, block.scanLine(j), 0);
        else
            WriteRow(target.bitmap->layout, out.data(), countX, target.bitmap->Row(firstY + j), firstX);
    }
    if (target.painter)
        PaintBlock(target.painter, firstX, firstY, block);
    return TRUE;
} catch (const std::bad_alloc&) {
    return FALSE;
}

} // namespace

COLORREF GetPixel(HDC dc, int x, int y)
{
    const Bitmap* bitmap = ResolveSource(dc);
    if (!bitmap || !bitmap->Contains(x, y))
        return CLR_INVALID;
    DWORD pixel = 0;
    ReadRow(bitmap->layout, bitmap->ConstRow(y), x, 1, &pixel);
    return PixelToColorRef(pixel);
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color)
{
    Target target;
    if (!ResolveTarget(dc, target) || x < 0 || y < 0 || x >= target.width || y >= target.height)
        return CLR_INVALID;
    const DWORD pixel = ColorRefToPixel(color);
    if (target.painter) {
        FillTarget(target, x, y, 1, 1, pixel);
        return color & 0x00FFFFFF;
    }
    target.bitmap->PrepareWrite();
    WriteRow(target.bitmap->layout, &pixel, 1, target.bitmap->Row(y), x);
    DWORD stored = 0;
    ReadRow(target.bitmap->layout, target.bitmap->ConstRow(y), x, 1, &stored);
    return PixelToColorRef(stored);
}

BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop)
{
    if (width < 0 || height < 0) {
        // Only stretching gives negative extents a meaning; here nothing is copied.
        Target target;
        return ResolveTarget(dst, target) && ResolveSource(src) && rop == SRCCOPY ? TRUE : FALSE;
    }
    return Stretch(dst, x, y, width, height, src, srcX, srcY, width, height, rop);
}

BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop)
{
    return Stretch(dst, x, y, width, height, src, srcX, srcY, srcWidth, srcHeight, rop);
}

BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop)
try {
    Target target;
    if (!ResolveTarget(dc, target) || (rop != BLACKNESS && rop != WHITENESS))
        return FALSE;
    long long left = width < 0 ? static_cast<long long>(x) + width : x;
    long long top = height < 0 ? static_cast<long long>(y) + height : y;
    long long right = left + (width < 0 ? -static_cast<long long>(width) : width);
    long long bottom = top + (height < 0 ? -static_cast<long long>(height) : height);
    left = std::max<long long>(left, 0);
    top = std::max<long long>(top, 0);
    right = std::min<long long>(right, target.width);
    bottom = std::min<long long>(bottom, target.height);
    if (left < right && top < bottom)
        FillTarget(target, static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                   static_cast<int>(bottom - top), rop == WHITENESS ? 0x00FFFFFF : 0);
    return TRUE;
} catch (const std::bad_alloc&) {
    return FALSE;
}
