// Bridge between the GDI stand-in and Qt, for framework/ and platform/user only (the
// layers above them never see Qt). It lets a window's paint handler draw through GDI
// calls onto the QPainter of a paint event, and lets the framework's bitmap and canvas
// classes own an HBITMAP and draw on it with a QPainter.
//
// Threads: the same as Gdi.h; painter contexts belong to their painter's thread.
#pragma once

#include "platform/gdi/Gdi.h"

#include <QImage>

class QPainter;

// A device context that draws through a live painter, over the area (0, 0) to
// (width, height) in the painter's coordinates (its transform and clip apply). The
// painter stays owned by the caller and must outlive the context. SetPixel, BitBlt,
// StretchBlt and PatBlt into it draw with the painter (its pen, brush, opacity and
// composition mode are saved and restored around each call); GetPixel on it and
// copies from it return CLR_INVALID / FALSE. nullptr when `painter` is nullptr or not
// active, or a size is negative.
HDC CreatePainterDC(QPainter* painter, int width, int height);
// Forgets a context made by CreatePainterDC; ignores nullptr and any other handle.
void DeletePainterDC(HDC dc);

// A 32-bit device bitmap holding a copy of `image` (converted to 32 bits without
// alpha, except that a Format_BGR888 image stays 24 bits per pixel). nullptr for a
// null image or no memory.
HBITMAP CreateBitmapFromImage(const QImage& image);

// A copy of the bitmap's pixels, top row first: Format_RGB32 for 32 bits, Format_BGR888
// for 24 bits, Format_RGB32 for the others. A null image for an unknown handle.
QImage BitmapToImage(HBITMAP bitmap);

// The image that holds the bitmap's pixels, or nullptr for an unknown handle or a
// bitmap whose format Qt cannot paint on (DIB sections of 1, 4 or 8 bits, or with
// unusual masks). Valid until the bitmap is deleted. Rows of a bottom-up DIB section
// are stored bottom row first (*bottomUp is set then; use DCPainter to draw on it the
// right way up). Copy it with QImage::copy(): an implicit copy shares DIB section
// memory. Never assign to it or change its size: the bitmap's size and its section
// memory would no longer match. While the bitmap is selected into a memory context,
// draw on it through DCPainter: Qt allows only one painter per image at a time.
QImage* BitmapImage(HBITMAP bitmap, bool* bottomUp = nullptr);

// The painter that draws on what the device context shows: for a painter context its
// own painter; for a memory context a painter on the selected bitmap, begun on first
// use and owned by the context (with a flipping transform for bottom-up DIB sections,
// so that y grows downwards in every case). nullptr for the screen, the stock bitmap,
// formats Qt cannot paint on, or an unknown handle. The painter stays valid until the
// context is deleted, but GDI calls may end it (selecting another bitmap, and writes
// to a bitmap whose image is shared with a copy); call DCPainter before each drawing
// and set the pen, brush and font each time. Add to its transform (translate, scale)
// rather than replacing it, or bottom-up sections come out upside down.
QPainter* DCPainter(HDC dc);
