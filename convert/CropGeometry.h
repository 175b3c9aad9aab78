// Geometry of the crop zone over the 320 x 240 preview, in main-window pixels, and the
// mapping from preview pixels to pixels of the video frame shown in it.
#pragma once

namespace crop {

constexpr int PreviewLeft = 8;
constexpr int PreviewTop = 42;
constexpr int PreviewWidth = 320;
constexpr int PreviewHeight = 240;
constexpr int PreviewRight = PreviewLeft + PreviewWidth;   // 328
constexpr int PreviewBottom = PreviewTop + PreviewHeight;  // 282
constexpr int MinZoneWidth = 131;
constexpr int MinZoneHeight = 80;
constexpr int CornerSize = 10;

struct ZoneRect {
    int left = 96;
    int top = 120;
    int width = MinZoneWidth;
    int height = MinZoneHeight;
    bool operator==(const ZoneRect&) const = default;
};

struct SourceRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const SourceRect&) const = default;
};

// trunc(((sourceExtent - 1) / previewExtent) * a) at extended precision: the quotient and the
// product are each rounded to a 64-bit significand before the truncation, which is why a
// 337-pixel source maps 240 to 251 rather than 252.
int PreviewToSource(int a, int sourceExtent, int previewExtent);
inline int PreviewToSourceX(int a, int sourceWidth) { return PreviewToSource(a, sourceWidth, PreviewWidth); }
inline int PreviewToSourceY(int a, int sourceHeight) { return PreviewToSource(a, sourceHeight, PreviewHeight); }

// The part of a sourceWidth x sourceHeight frame under the zone. Sizes below zero (a zone
// 320 wide over an empty frame gives -1) are taken as zero.
SourceRect SourceRectOfZone(const ZoneRect& zone, int sourceWidth, int sourceHeight);

// True when a pointer at (x, y) in zone coordinates is on the resize corner: within the last
// nine columns and rows at the bottom right.
bool IsOnResizeCorner(const ZoneRect& zone, int x, int y);

// Whether a zone read from outside (a command line, a layout) has a size within the limits, and
// whether it lies within the preview; both tell without overflow, whatever the numbers.
bool ZoneSizeAllowed(const ZoneRect& zone);
bool ZoneWithinPreview(const ZoneRect& zone);

// The zone moved by (dx, dy) and kept inside the preview.
ZoneRect MovedZone(ZoneRect zone, int dx, int dy);

// Keeps a width or height given to the zone within its size limits.
int ConstrainZoneWidth(int width);
int ConstrainZoneHeight(int height);

// The zone resized by (dx, dy), within its size limits and the preview's right and bottom edges.
ZoneRect ResizedZone(ZoneRect zone, int dx, int dy);

} // namespace crop
