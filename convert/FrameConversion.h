// Grey-level conversion of the view picture into the frame buffer, with the brightness and
// contrast of the preview's scroll bars.
#pragma once

#include "convert/FrameBuffer.h"
#include "convert/PictureOptions.h"
#include "platform/base/WinTypes.h"

#include <functional>

constexpr int BrightnessNeutral = 16; // brightness bar 0..32
constexpr int ContrastNeutral = 8;    // contrast bar 0..16, factor position / 8

// The preview shows grey level h (0 black .. 15 lightest) as this colour.
constexpr COLORREF GreyColour(int level) { return static_cast<COLORREF>(level) * 0x101010u; }

// The source coordinate sampled for output index i: trunc(i * step), with the product taken
// exactly (a double step of 0.7 lies just below 0.7, so 10 * step samples 6, not 7).
int SampleCoordinate(int index, double step);

// The grey of one colour value (red in the low byte): the sum of its three bytes, 0..765.
// The invalid colour of a point outside a bitmap reads as pure red, as its bytes split that way.
int GreySum(COLORREF colour);

// Grey level 0..15 of one colour value, and of a grey sum, in the plain conversion.
int GreyLevel(COLORREF colour, int brightnessPosition, int contrastPosition);
int GreyLevelOfSum(int sum, int brightnessPosition, int contrastPosition);

// Converts a picture of the given size: for every output pixel, samples the picture through
// pixelAt, stores its darkness in frame and hands its grey level to showLevel (may be empty).
// An empty picture (0 x 0) samples pixel (0, 0) everywhere, as the step arithmetic gives.
// pixelAt is asked column by column, and showLevel told in the same order. `options` chooses
// the dithering and the tone curve (Dithering.h); the default is the plain conversion.
void ConvertPicture(int pictureWidth, int pictureHeight, const std::function<COLORREF(int x, int y)>& pixelAt,
                    int brightnessPosition, int contrastPosition, TFrameBuffer& frame,
                    const std::function<void(int x, int y, int level)>& showLevel,
                    const TPictureOptions& options = {});

// The same conversion over a whole picture held in memory: `pixels` holds pictureWidth x
// pictureHeight colours row by row (red in the low byte), and `levels` receives the grey
// level of output pixel x, y at y * KqFrameWidth + x. A picture of 0 x 0 samples the invalid
// colour, as a read outside a bitmap gives.
void ConvertPixels(int pictureWidth, int pictureHeight, const COLORREF* pixels, int brightnessPosition,
                   int contrastPosition, TFrameBuffer& frame, std::uint8_t (&levels)[KqFramePixels],
                   const TPictureOptions& options = {});
