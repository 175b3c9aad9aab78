// TBitmap: a picture held in a platform/gdi bitmap, with a canvas that draws into it.
//
// Pixel formats: pf24bit and pf32bit bitmaps are DIB sections (rows in memory, reachable
// through ScanLine); pfDevice is a device bitmap at the screen's depth (32 bits), as made
// by CreateDIBitmap or CreateCompatibleBitmap. A new bitmap is pfDevice until a format is
// set. Other formats raise EInvalidGraphicOperation.
//
// Size: a new bitmap is empty (0 x 0, no handle). Changing the size keeps the top-left
// content; the new area is white. A width or height of 0 (or below) empties the bitmap
// (no handle) but the other dimension is kept, so setting the width and then the height
// of an empty bitmap gives a bitmap of both.
//
// Handle: the bitmap owns its HBITMAP. SetHandle takes over a bitmap made by platform/gdi
// (the previous one is deleted); ReleaseHandle hands the current one to the caller, who then
// owns it, and leaves the TBitmap empty. The handle changes when the size or format
// changes, and when ScanLine is asked of a device bitmap (it becomes a 32-bit DIB section
// with the same pixels first).
//
// Files: SaveToStream/SaveToFile write a BMP file of the bitmap's own format: 24 or 32 bits
// per pixel (pfDevice: the device depth, 32), BI_RGB, bottom-up, rows padded to 4 bytes,
// 96 dots per inch. LoadFromStream reads BMP files of any format CreateDIBitmap reads
// (uncompressed 1, 4, 8, 16, 24 and 32 bits; BI_BITFIELDS) into a DIB section of 24 or 32
// bits (fewer bits become 24), and PNG files into 32 bits.
//
// UI thread; the canvas can be locked for a worker thread (TCanvas::Lock).
#pragma once

#include "framework/Canvas.h"
#include "framework/Picture.h"

#include <memory>

class TBitmap;

// The canvas of a bitmap: a memory context with the bitmap selected, made on first use and
// dropped whenever the bitmap's handle changes, so it always draws into the current pixels.
class TBitmapCanvas : public TCanvas {
    QUELLON_CLASS()

public:
    explicit TBitmapCanvas(TBitmap* bitmap);
    ~TBitmapCanvas() override;

    // (0, 0) to the bitmap's size.
    TRect ClipRect() override;
    // Deselects the bitmap and deletes the context (the next drawing makes a new one).
    void FreeContext();

protected:
    void CreateHandle() override;
    bool SurfaceEmpty() const override;

private:
    TBitmap* bitmap_; // not owned: the bitmap owns this canvas
    HBITMAP oldBitmap_ = nullptr;
};

class TBitmap : public TGraphic {
    QUELLON_CLASS()

public:
    TBitmap();
    ~TBitmap() override;

    // From a TBitmap: a deep copy (pixels, size, format). From a TPicture: its graphic when
    // it is a bitmap; another graphic is drawn into a 24-bit bitmap of its size. nullptr:
    // empty. Others: TPersistent rules.
    void Assign(const TPersistent* source) override;
    std::unique_ptr<TGraphic> Clone() const override;

    bool Empty() const override { return handle_ == nullptr; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void SetWidth(int value) override { SetSize(value, height_); }
    void SetHeight(int value) override { SetSize(width_, value); }
    // Both at once (one new handle, one OnChange). EInvalidGraphicOperation when the
    // bitmap cannot be made (too large, no memory); the bitmap is then unchanged.
    void SetSize(int width, int height);

    TPixelFormat PixelFormat() const noexcept { return pixelFormat_; }
    // Converts the pixels to the format (exact for 24 <-> 32 bits).
    void SetPixelFormat(TPixelFormat value);
    // Bits per pixel of the held pixels: 24 or 32 for the bitmaps made here, a taken-over
    // bitmap's own depth otherwise; 0 when empty.
    int BitsPerPixel() const noexcept { return bitsPerPixel_; }

    HBITMAP Handle() const noexcept { return handle_; }
    // Takes over `bitmap` (any platform/gdi bitmap; nullptr empties). The size and format
    // follow it: a DIB section of 24 or 32 bits gives pf24bit/pf32bit, anything else
    // pfDevice. EInvalidGraphic for a handle that is not a live bitmap (not taken over).
    void SetHandle(HBITMAP bitmap);
    // The handle, now owned by the caller; the TBitmap is left empty.
    HBITMAP ReleaseHandle();

    TCanvas* Canvas();

    // Row `row` of the pixels, counted from the top: 3 bytes a pixel (blue, green, red)
    // for 24 bits, 4 (blue, green, red, unused) for 32 bits. Valid until the handle
    // changes. EInvalidGraphicOperation for an empty bitmap or a row out of range.
    BYTE* ScanLine(int row);
    // Bytes from one row to the next in memory (negative for bottom-up storage).
    long ScanLineStepBytes();

    void SaveToStream(std::vector<BYTE>& stream) override;
    void LoadFromStream(const std::vector<BYTE>& stream) override;

    // Tells the bitmap that its pixels were changed through ScanLine or its canvas.
    void PixelsChanged() { Changed(); }

protected:
    void Draw(TCanvas& canvas, const TRect& rect) override;

private:
    friend class TBitmapCanvas;

    // Replaces the held handle (deleting the old one) and the derived state.
    void Replace(HBITMAP bitmap, int width, int height, TPixelFormat format);
    HBITMAP MakeBitmap(int width, int height, TPixelFormat format) const;
    // A new bitmap of the size and format holding the current top-left pixels (caller
    // owns it). EInvalidGraphicOperation when it cannot be made or filled.
    HBITMAP MakeCopy(int width, int height, TPixelFormat format);
    void CanvasChanged(TObject* sender);

    HBITMAP handle_ = nullptr; // owned
    BYTE* topRow_ = nullptr;   // DIB sections of 24 or 32 bits: row 0 in memory
    long rowStepBytes_ = 0;    // and the step to the next row down
    int bitsPerPixel_ = 0;
    int width_ = 0;
    int height_ = 0;
    TPixelFormat pixelFormat_ = pfDevice;
    std::unique_ptr<TBitmapCanvas> canvas_;
};
