#include "convert/CropGeometry.h"

#include <algorithm>
#include <climits>

namespace crop {

namespace {

// Sums and differences of zone values are taken in 64 bits: a zone read from outside may hold
// any int, and its right edge must not wrap round into the preview.
using Wide = long long;

int ToInt(Wide value) { return static_cast<int>(std::clamp<Wide>(value, INT_MIN, INT_MAX)); }

} // namespace

bool ZoneSizeAllowed(const ZoneRect& zone)
{
    return zone.width >= MinZoneWidth && zone.width <= PreviewWidth && zone.height >= MinZoneHeight &&
           zone.height <= PreviewHeight;
}

bool ZoneWithinPreview(const ZoneRect& zone)
{
    return zone.left >= PreviewLeft && zone.top >= PreviewTop && Wide{zone.left} + zone.width <= PreviewRight &&
           Wide{zone.top} + zone.height <= PreviewBottom;
}

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
    r.left = std::max(0, PreviewToSourceX(ToInt(Wide{zone.left} - PreviewLeft), sourceWidth));
    r.top = std::max(0, PreviewToSourceY(ToInt(Wide{zone.top} - PreviewTop), sourceHeight));
    r.right = ToInt(Wide{r.left} + std::max(0, PreviewToSourceX(zone.width, sourceWidth)));
    r.bottom = ToInt(Wide{r.top} + std::max(0, PreviewToSourceY(zone.height, sourceHeight)));
    return r;
}

bool IsOnResizeCorner(const ZoneRect& zone, int x, int y)
{
    return x > zone.width - CornerSize && y > zone.height - CornerSize;
}

ZoneRect MovedZone(ZoneRect zone, int dx, int dy)
{
    Wide left = Wide{zone.left} + dx;
    Wide top = Wide{zone.top} + dy;
    if (left < PreviewLeft)
        left = PreviewLeft;
    if (top < PreviewTop)
        top = PreviewTop;
    if (left + zone.width > PreviewRight)
        left = Wide{PreviewRight} - zone.width;
    if (top + zone.height > PreviewBottom)
        top = Wide{PreviewBottom} - zone.height;
    zone.left = ToInt(left);
    zone.top = ToInt(top);
    return zone;
}

int ConstrainZoneWidth(int width) { return std::clamp(width, MinZoneWidth, PreviewWidth); }
int ConstrainZoneHeight(int height) { return std::clamp(height, MinZoneHeight, PreviewHeight); }

ZoneRect ResizedZone(ZoneRect zone, int dx, int dy)
{
    zone.width = ConstrainZoneWidth(ToInt(Wide{zone.width} + dx));
    zone.height = ConstrainZoneHeight(ToInt(Wide{zone.height} + dy));
    if (Wide{zone.left} + zone.width > PreviewRight)
        zone.width = ToInt(Wide{PreviewRight} - zone.left);
    if (Wide{zone.top} + zone.height > PreviewBottom)
        zone.height = ToInt(Wide{PreviewBottom} - zone.top);
    return zone;
}

} // namespace crop
