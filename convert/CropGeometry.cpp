#include "convert/CropGeometry.h"

#include <algorithm>

namespace crop {

int PreviewToSource(int a, int sourceExtent, int previewExtent)
{
    // x86-64 long double is the 80-bit format: each step below rounds to a 64-bit significand.
    const long double scale = static_cast<long double>(sourceExtent - 1) / static_cast<long double>(previewExtent);
    const long double product = scale * static_cast<long double>(a);
    return static_cast<int>(product);
}

SourceRect SourceRectOfZone(const ZoneRect& zone, int sourceWidth, int sourceHeight)
{
    SourceRect r;
    r.left = std::max(0, PreviewToSourceX(zone.left - PreviewLeft, sourceWidth));
    r.top = std::max(0, PreviewToSourceY(zone.top - PreviewTop, sourceHeight));
    r.right = r.left + std::max(0, PreviewToSourceX(zone.width, sourceWidth));
    r.bottom = r.top + std::max(0, PreviewToSourceY(zone.height, sourceHeight));
    return r;
}

bool IsOnResizeCorner(const ZoneRect& zone, int x, int y)
{
    return x > zone.width - CornerSize && y > zone.height - CornerSize;
}

ZoneRect MovedZone(ZoneRect zone, int dx, int dy)
{
    zone.left += dx;
    zone.top += dy;
    if (zone.left < PreviewLeft)
        zone.left = PreviewLeft;
    if (zone.top < PreviewTop)
        zone.top = PreviewTop;
    if (zone.left + zone.width > PreviewRight)
        zone.left = PreviewRight - zone.width;
    if (zone.top + zone.height > PreviewBottom)
        zone.top = PreviewBottom - zone.height;
    return zone;
}

int ConstrainZoneWidth(int width) { return std::clamp(width, MinZoneWidth, PreviewWidth); }
int ConstrainZoneHeight(int height) { return std::clamp(height, MinZoneHeight, PreviewHeight); }

ZoneRect ResizedZone(ZoneRect zone, int dx, int dy)
{
    zone.width = ConstrainZoneWidth(zone.width + dx);
    zone.height = ConstrainZoneHeight(zone.height + dy);
    if (zone.left + zone.width > PreviewRight)
        zone.width = PreviewRight - zone.left;
    if (zone.top + zone.height > PreviewBottom)
        zone.height = PreviewBottom - zone.top;
    return zone;
}

} // namespace crop
