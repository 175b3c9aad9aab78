// TCanvas: drawing on a device context with the framework's pen, brush and font.
//
// A canvas draws on its Handle, a device context of platform/gdi. A plain TCanvas gets it
// from its holder (SetHandle): a control hands it the context of BeginPaint for the time
// of a paint and takes it back (SetHandle(nullptr)) at EndPaint; the canvas does not own
// it. A subclass may make its own context on demand (CreateHandle), as the bitmap's canvas
// does. Drawing on a canvas that has no context raises EInvalidOperation
// "Le canevas ne permet pas de dessiner".
//
// The pen, brush and font are the canvas's own objects; a change to them applies to the
// next drawing. Coordinates are pixels; rectangles include Left/Top and exclude
// Right/Bottom, as in GDI.
//
// Pixels read and write with GetPixel/SetPixel semantics: a point outside the bitmap reads
// as CLR_INVALID (-1 as a TColor) and a write there does nothing. A canvas over a paint
// context cannot be read (every pixel reads CLR_INVALID).
//
// Threads: a canvas belongs to the UI thread. Lock/Unlock serialise a canvas between a
// worker thread and the UI thread when both must draw on it (recursive).
#pragma once

#include "framework/Events.h"
#include "framework/Font.h"
#include "framework/GraphicsTypes.h"
#include "framework/Object.h"
#include "framework/PenBrush.h"

#include <memory>
#include <mutex>
#include <string>

class TGraphic;

class TCanvas : public TPersistent {
    QUELLON_CLASS()

public:
    TCanvas();
    ~TCanvas() override;

    // The context drawn on; a subclass creates it here when it has none. May raise
    // EInvalidOperation (see above).
    HDC Handle();
    bool HandleAllocated() const noexcept { return handle_ != nullptr; }
    // Hands the canvas a context it does not own (nullptr: none). The previous one is only
    // forgotten.
    void SetHandle(HDC dc);

    TFont* Font() const noexcept { return font_.get(); }
    TPen* Pen() const noexcept { return pen_.get(); }
    TBrush* Brush() const noexcept { return brush_.get(); }
    void SetFont(const TFont* value) { font_->Assign(value); }
    void SetPen(const TPen* value) { pen_->Assign(value); }
    void SetBrush(const TBrush* value) { brush_->Assign(value); }

    TCopyMode CopyMode() const noexcept { return copyMode_; }
    void SetCopyMode(TCopyMode value) noexcept { copyMode_ = value; }

    TPoint PenPos() const noexcept { return penPos_; }
    void SetPenPos(TPoint value) noexcept { penPos_ = value; }

    // The area drawing may reach: for a bitmap's canvas the bitmap's extent from (0, 0);
    // for a paint context the painted area. Empty when there is nothing to draw on.
    virtual TRect ClipRect();

    TColor Pixels(int x, int y);
    void SetPixels(int x, int y, TColor color);

    // Copies `source` of `canvas` onto `dest` of this canvas with CopyMode: a rectangle of
    // the same size is copied pixel for pixel, another is stretched (nearest pixel).
    // Negative extents mirror. EInvalidOperation when either canvas cannot take part
    // (no context, or a source that cannot be read).
    void CopyRect(const TRect& dest, TCanvas& canvas, const TRect& source);
    // Draws `graphic` at its own size with its top-left corner at (x, y). Nothing for an
    // empty graphic or nullptr.
    void Draw(int x, int y, TGraphic* graphic);
    // Draws `graphic` stretched over `rect`. Nothing for an empty graphic or nullptr.
    void StretchDraw(const TRect& rect, TGraphic* graphic);

    void FillRect(const TRect& rect);
    // Outline with the pen, inside filled with the brush; covers Left..Right-1 and
    // Top..Bottom-1 with a one-pixel pen.
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& rect) { Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom); }
    void Ellipse(int x1, int y1, int x2, int y2);
    void FrameRect(const TRect& rect); // one-pixel frame in the brush colour
    void MoveTo(int x, int y);
    // A line from the pen position to (x, y), that point excluded; the pen then stands there.
    void LineTo(int x, int y);

    // Text with its top-left corner at (x, y), in the font's colour; a solid brush paints
    // the background of the text first. The pen position moves to the end of the text.
    void TextOut(int x, int y, const std::string& text);
    // Text clipped to `rect`, at (x, y), the rectangle filled first with a solid brush.
    void TextRect(const TRect& rect, int x, int y, const std::string& text);
    int TextWidth(const std::string& text) const;
    int TextHeight(const std::string& text) const;

    void Lock();
    bool TryLock();
    void Unlock();

    // Fired before and after each drawing operation.
    TNotifyEvent OnChanging;
    TNotifyEvent OnChange;

protected:
    // Called when Handle is asked for and none is set; sets one with SetHandle or raises.
    virtual void CreateHandle();
    void Changing();
    void Changed();
    // True when the canvas stands for nothing to draw on (an empty bitmap): drawing then
    // does nothing instead of raising.
    virtual bool SurfaceEmpty() const { return false; }
    // The painter (a QPainter*) for the current context, ready with this canvas's pen,
    // brush, font and pen mode; nullptr when SurfaceEmpty(). Raises when the context cannot
    // be drawn on. Defined in Canvas.cpp, the one place that draws with Qt.
    auto BeginDrawing();

private:
    HDC handle_ = nullptr; // not owned unless a subclass says so
    std::unique_ptr<TFont> font_;
    std::unique_ptr<TPen> pen_;
    std::unique_ptr<TBrush> brush_;
    TCopyMode copyMode_ = cmSrcCopy;
    TPoint penPos_;
    std::recursive_mutex lock_;
};
