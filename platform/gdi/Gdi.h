// Graphics device interface: device-independent bitmaps (DIBs), device bitmaps, DIB
// sections and device contexts, with the Windows names, structures and results.
//
// Model:
// - The screen (GetDC(0)) is 32 bits per pixel at 96 dots per inch. Device bitmaps
//   (CreateDIBitmap, CreateCompatibleBitmap) are always screen-compatible: 32 bits per
//   pixel, whatever the device context passed in (there is no monochrome device here).
// - A DIB section keeps its pixels in memory laid out exactly as a DIB: rows padded to
//   4 bytes, bottom-up unless the height is negative. Writes through the pointer
//   returned by CreateDIBSection are seen by every later call, and the other way round.
// - Colours are COLORREF values (red in the low byte). Conversions between pixel formats
//   are exact: no colour management, no premultiplication, no dithering. Fewer than
//   8 bits per channel are widened by bit replication (31 of 5 bits reads as 255).
// - Every handle is checked against the table of live objects: a stale or foreign
//   handle makes the call fail with its documented failure value, never crash.
//
// Threads: object creation, deletion and queries may run on any thread (the table is
// locked). One object must not be used by two threads at the same time, as on Windows.
// Device contexts that draw through a QPainter (see GdiQt.h) belong to the thread of
// their painter, normally the user-interface thread.
#pragma once

#include "platform/base/WinTypes.h"

// --- constants ---------------------------------------------------------------------

// biCompression values.
constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;

// Colour-table usage.
constexpr UINT DIB_RGB_COLORS = 0;
constexpr UINT DIB_PAL_COLORS = 1;

// CreateDIBitmap: initialise the bitmap from the given bits.
constexpr DWORD CBM_INIT = 0x04;

// Raster operations.
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

// GetDeviceCaps indices.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

// Stretch modes. COLORONCOLOR (nearest neighbour, deleting rows and columns) is the
// only one implemented; the others are accepted and behave like it.
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
constexpr int STRETCH_ANDSCANS = BLACKONWHITE;
constexpr int STRETCH_ORSCANS = WHITEONBLACK;
constexpr int STRETCH_DELETESCANS = COLORONCOLOR;
constexpr int STRETCH_HALFTONE = HALFTONE;

// GetObjectType results.
constexpr DWORD OBJ_DC = 3;
constexpr DWORD OBJ_BITMAP = 7;
constexpr DWORD OBJ_MEMDC = 10;

// "BM", the first two bytes of a bitmap file.
constexpr WORD BITMAP_FILE_TYPE = 0x4D42;

// --- structures (binary layout as on Windows) -----------------------------------------

struct BITMAPINFOHEADER {
    DWORD biSize = 0;
    LONG biWidth = 0;
    LONG biHeight = 0;
    WORD biPlanes = 0;
    WORD biBitCount = 0;
    DWORD biCompression = 0;
    DWORD biSizeImage = 0;
    LONG biXPelsPerMeter = 0;
    LONG biYPelsPerMeter = 0;
    DWORD biClrUsed = 0;
    DWORD biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct RGBQUAD {
    BYTE rgbBlue = 0;
    BYTE rgbGreen = 0;
    BYTE rgbRed = 0;
    BYTE rgbReserved = 0;
};
static_assert(sizeof(RGBQUAD) == 4);

// The header followed by the colour table or, for BI_BITFIELDS, by the red, green and
// blue masks as three DWORDs. Allocate room for the table when you need one.
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};
static_assert(sizeof(BITMAPINFO) == 44);

#pragma pack(push, 2)
struct BITMAPFILEHEADER {
    WORD bfType = 0;
    DWORD bfSize = 0;
    WORD bfReserved1 = 0;
    WORD bfReserved2 = 0;
    DWORD bfOffBits = 0;
};
#pragma pack(pop)
static_assert(sizeof(BITMAPFILEHEADER) == 14);

struct BITMAP {
    LONG bmType = 0;
    LONG bmWidth = 0;
    LONG bmHeight = 0;
    LONG bmWidthBytes = 0;
    WORD bmPlanes = 0;
    WORD bmBitsPixel = 0;
    LPVOID bmBits = nullptr;
};

struct DIBSECTION {
    BITMAP dsBm;
    BITMAPINFOHEADER dsBmih;
    DWORD dsBitfields[3] = {0, 0, 0};
    HANDLE dshSection = nullptr;
    DWORD dsOffset = 0;
};

// Bytes of one DIB row: rows are padded to a multiple of 4 bytes.
constexpr LONG DibRowBytes(LONG width, int bitsPerPixel)
{
    return static_cast<LONG>(((static_cast<long long>(width) * bitsPerPixel + 31) / 32) * 4);
}

// --- handles -----------------------------------------------------------------------

// HBITMAP and HGDIOBJ are distinct types here; these convert between them as the
// implicit conversion of Windows' void pointers would.
inline HGDIOBJ ToGdiObject(HBITMAP bitmap) { return reinterpret_cast<HGDIOBJ>(bitmap); }
inline HBITMAP ToBitmap(HGDIOBJ object) { return reinterpret_cast<HBITMAP>(object); }

// --- device contexts -----------------------------------------------------------------

// GetDC(nullptr) returns a new device context of the screen; release it with ReleaseDC.
// Drawing into it and reading from it fail (the screen's pixels are not reachable here).
// Window device contexts come from BeginPaint in platform/user, so any other window
// handle gives nullptr.
HDC GetDC(HWND window);
// 1 when the device context was released, 0 for an unknown one.
int ReleaseDC(HWND window, HDC dc);

// A memory device context with a 1 x 1 stock bitmap selected. `dc` may be nullptr.
HDC CreateCompatibleDC(HDC dc);
// FALSE for an unknown handle or one that is not a memory device context. The bitmap
// selected into it at that time is deselected, not deleted.
BOOL DeleteDC(HDC dc);

// Selects a bitmap into a memory device context and returns the previously selected
// one, or nullptr (nothing changes) when the context is not a memory context, the
// bitmap is unknown, or the bitmap is already selected into another context.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
HBITMAP SelectObject(HDC dc, HBITMAP bitmap);

// OBJ_BITMAP, OBJ_DC, OBJ_MEMDC, or 0 for an unknown handle.
DWORD GetObjectType(HGDIOBJ object);

// BITSPIXEL 32, PLANES 1, LOGPIXELSX/Y 96, HORZRES/VERTRES the primary screen's size
// (1920 x 1080 without a GUI application). 0 for an unknown context or index.
int GetDeviceCaps(HDC dc, int index);

// --- bitmaps -------------------------------------------------------------------------

// A 32-bit device bitmap of header->biWidth x |header->biHeight|. With CBM_INIT in
// `init`, its pixels come from `bits`, laid out as `info` describes: 1, 4 or 8 bits per
// pixel with a colour table, 16 bits (5-5-5 for BI_RGB, any masks for BI_BITFIELDS),
// 24 bits, 32 bits (BI_RGB or BI_BITFIELDS), bottom-up for a positive height, top-down
// for a negative one, rows padded to 4 bytes. `bits` must hold every row. nullptr on
// a bad header, an unsupported format (compressed, DIB_PAL_COLORS), a missing `info`
// or `bits` with CBM_INIT, or no memory. Without CBM_INIT the pixels are black.
HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage);

// A black 32-bit device bitmap; nullptr for a size of 0 or less, or no memory.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);

// A DIB section of the format in `info` (1, 4, 8 bits with DIB_RGB_COLORS and a colour
// table; 16, 24, 32 bits, BI_RGB or BI_BITFIELDS), zero-filled. `*bits` receives the
// pixel memory, valid until DeleteObject. Sections in file mappings (`section` not
// nullptr) are not supported. On failure returns nullptr and sets `*bits` to nullptr.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset);

// Copies scan lines of a bitmap into a DIB buffer of the format in `info` (16, 24 or
// 32 bits, BI_RGB or BI_BITFIELDS; either orientation). Scan line `start` is the first
// row in `bits`; for a bottom-up buffer scan line 0 is the bottom row. The buffer's
// top-left pixel is the bitmap's; buffer pixels beyond the bitmap, row padding and
// the unused byte of 32-bit pixels are set to 0. Returns the number of lines copied,
// 0 on failure (colour-table formats included).
// With `bits` nullptr it only fills in info->bmiHeader: with biBitCount 0 the bitmap's
// own width, height (positive), bit count and compression; in every case biSizeImage.
// No masks or colour table are written. It then returns the bitmap's height.
int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info,
              UINT usage);

// Copies scan lines from a DIB (formats as CreateDIBitmap) into a bitmap. Returns the
// number of lines copied, 0 on failure.
int SetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, const void* bits,
              const BITMAPINFO* info, UINT usage);

// Fills BITMAP (or DIBSECTION for a DIB section with size >= sizeof(DIBSECTION)) and
// returns the bytes written; with `buffer` nullptr returns the size needed. bmBits is
// the section memory for DIB sections, nullptr for device bitmaps. 0 on failure.
int GetObject(HGDIOBJ object, int size, LPVOID buffer);
int GetObject(HBITMAP bitmap, int size, LPVOID buffer);

// Deletes a bitmap and frees its pixels (a DIB section's memory included). FALSE for
// an unknown (already deleted) handle, for a device context (use DeleteDC), and for a
// bitmap still selected into a device context (it stays alive then). As on Windows,
// deleting the stock bitmap returns TRUE and changes nothing.
BOOL DeleteObject(HGDIOBJ object);
BOOL DeleteObject(HBITMAP bitmap);

// Nothing is batched here; kept for code that flushes before touching section memory.
BOOL GdiFlush();

// --- pixels and copies ------------------------------------------------------------------

// The colour at (x, y), or CLR_INVALID when the point lies outside the selected bitmap,
// or the context cannot be read (screen, painter contexts).
COLORREF GetPixel(HDC dc, int x, int y);
// Sets (x, y) to the nearest colour the bitmap holds and returns that colour;
// CLR_INVALID (nothing drawn) outside the bitmap or on failure.
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);

// SRCCOPY only: copies the width x height rectangle at (srcX, srcY) of `src` to
// (x, y) of `dst`, clipped to both bitmaps (pixels whose source lies outside the
// source bitmap are left unchanged). TRUE when the call was valid, even if clipping
// left nothing to copy. FALSE for unknown contexts, another raster operation, a source
// that cannot be read, or a destination that cannot be drawn on.
BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop);

// SRCCOPY only: nearest-neighbour stretch of the source rectangle onto the destination
// rectangle. Destination pixel dx (counted from the rectangle's left edge) takes source
// column srcX + floor(dx * srcWidth / width); rows likewise. A negative extent mirrors
// along that axis (the rectangle then spans x + width .. x - 1). Clipped as BitBlt.
BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                int srcWidth, int srcHeight, DWORD rop);

// Returns the previous mode (COLORONCOLOR initially), 0 for an unknown context or mode.
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);

// BLACKNESS or WHITENESS over a rectangle, clipped. FALSE for other operations.
BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
