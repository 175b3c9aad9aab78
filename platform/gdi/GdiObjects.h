// The live GDI objects behind the handles, and the table that maps handles to them.
// Handles are serial numbers that are never reused, so a stale handle is found missing
// instead of reaching a newer object at the same address.
// Internal to platform/gdi.
#pragma once

#include "platform/gdi/Gdi.h"
#include "platform/gdi/PixelRows.h"

#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <memory>

namespace gdi {

struct DeviceContext;

struct GdiObject {
    enum class Kind { Bitmap, MemoryDC, ScreenDC, PainterDC };
    explicit GdiObject(Kind k) : kind(k) {}
    virtual ~GdiObject() = default;
    const Kind kind;
};

struct FreeDeleter {
    void operator()(BYTE* p) const { std::free(p); }
};

// A bitmap. Device bitmaps keep their pixels in `image` (Format_RGB32, or
// Format_BGR888 for 24 bits). DIB sections keep them in `sectionMemory`, laid out as
// the DIB; `image` then wraps that memory when Qt can paint the format, with the rows
// in memory order (bottom row first for bottom-up sections).
struct Bitmap final : GdiObject {
    Bitmap() : GdiObject(Kind::Bitmap) {}
    ~Bitmap() override;

    int width = 0;
    int height = 0;
    PixelLayout layout;
    bool isSection = false;
    bool bottomUp = false;
    bool stock = false;
    size_t strideBytes = 0;
    BITMAPINFOHEADER sectionHeader; // as created, for GetObject
    std::unique_ptr<BYTE, FreeDeleter> sectionMemory;
    QImage image; // after sectionMemory: destroyed first, as it may point into it
    DeviceContext* selectedInto = nullptr;

    // Row y of the picture, counted from the top.
    const BYTE* ConstRow(int y) const;
    // The same row for writing. Call PrepareWrite once before a batch of writes.
    BYTE* Row(int y);
    // Keeps a painter on this bitmap drawing into the same pixels that rows written
    // next go to: a device bitmap whose image is shared with a copy is detached, and
    // the painter of the context it is selected into is ended first.
    void PrepareWrite();
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

// A device context: a memory context shows its selected bitmap; a painter context
// draws through a painter it does not own; the screen context shows nothing reachable.
struct DeviceContext final : GdiObject {
    explicit DeviceContext(Kind k) : GdiObject(k) {}
    ~DeviceContext() override;

    HBITMAP selected = nullptr; // memory contexts: the selected bitmap's handle
    Bitmap* bitmap = nullptr;   // and the bitmap itself (kept alive while selected)
    std::unique_ptr<QPainter> ownPainter; // memory contexts: painter on `bitmap`
    QPainter* painter = nullptr;          // painter contexts: the caller's painter
    int width = 0;                        // painter contexts: the area drawn on
    int height = 0;
    int stretchMode = COLORONCOLOR;

    void EndOwnPainter();
};

// --- the handle table --------------------------------------------------------------------

HBITMAP AddBitmap(std::unique_ptr<Bitmap> bitmap);
HDC AddDeviceContext(std::unique_ptr<DeviceContext> dc);
// The live object behind a handle, or nullptr.
Bitmap* FindBitmap(const void* handle);
DeviceContext* FindDeviceContext(const void* handle);
GdiObject* FindObject(const void* handle);
// Removes an object from the table and hands it back (nullptr if unknown).
std::unique_ptr<GdiObject> RemoveObject(const void* handle);

// The shared 1 x 1 black bitmap that a new memory context holds; never deleted.
HBITMAP StockBitmap();

// A black 32-bit device bitmap, or nullptr for a bad size or no memory. With `black` false
// its pixels are left as they come, for a caller that writes every one of them at once.
std::unique_ptr<Bitmap> NewDeviceBitmap(int width, int height, bool black = true);

// Largest side and pixel count accepted for a new bitmap.
constexpr long long kMaxSide = 32768;
constexpr long long kMaxPixels = 1LL << 27;

} // namespace gdi
