// Bringing the greys of a 131 x 80 frame to the 16 levels, in the way TPictureOptions asks:
// each pixel on its own (the plain conversion), against a fixed threshold matrix, or by
// spreading each pixel's error onto its neighbours.
//
// The plain way keeps the conversion's integer arithmetic (sum div 48, then brightness and
// contrast with truncation). The dithered ways take the grey as a continuous level, sum / 51
// (black 0, white 15), put it through the same brightness and contrast (offset position - 16,
// factor position / 8, around level 7), clamp it to 0..15 and only then choose a level, so
// that a smooth area comes out as a mixture of the two nearest levels in the right share.
// Pure black and white stay pure: a whole level is never dithered.
#pragma once

#include "convert/FrameBuffer.h"
#include "convert/PictureOptions.h"

#include <cstddef>
#include <cstdint>

using TGreySums = std::uint16_t[KqFramePixels]; // sum 0..765 of pixel x, y at y * KqFrameWidth + x

// Where output pixel x, y lies in the grey sums and in the levels.
inline std::size_t GreyIndex(int x, int y)
{
    return static_cast<std::size_t>(y) * KqFrameWidth + static_cast<std::size_t>(x);
}

// The 4 x 4 ordered-dither matrix, 0..15, at output pixel x, y (it repeats every 4 pixels).
int BayerValue(int x, int y);

// The continuous level (0..15, clamped) that the dithered ways quantize, for a grey sum
// already through the tone curve.
double ContinuousLevel(double toneSum, int brightnessPosition, int contrastPosition);

// Levels 0 (black) .. 15 (lightest) of every pixel, at y * KqFrameWidth + x.
void QuantizeGreys(const TGreySums& sums, int brightnessPosition, int contrastPosition, const TPictureOptions& options,
                   std::uint8_t (&levels)[KqFramePixels]);
