// From a video frame to a movie frame in two steps, shared by the main window's handlers and
// kqltool so that both give the same bytes: the source pixels under the crop zone are copied
// into the view bitmap at their own size, then the view is sampled into the frame buffer.
//
// A view with no pixels: when the video is too small for the zone (a frame of 2 or 3 pixels
// across, or one whose scaled zone rounds to 0 rows), the view bitmap has a width or a height
// of 0 and holds no pixels of its own. Its canvas then reads the memory context's stock
// 1 x 1 bitmap: pixel (0, 0) is black and every other point is out of range, the invalid
// colour that converts as pure red. That is what the window shows and captures, so the tool
// reads the view through the same canvas instead of guessing.
#pragma once

#include "convert/CropGeometry.h"
#include "convert/FrameBuffer.h"
#include "convert/PictureOptions.h"

#include <cstdint>
#include <functional>

class TBitmap;

// Sizes `view` to the source rectangle of `zone` over `frame` and copies those pixels one to
// one (nothing is copied when either size is 0).
void CopyZoneToView(TBitmap& frame, const crop::ZoneRect& zone, TBitmap& view);

// Samples the view bitmap through its canvas, over the canvas's clip rectangle, into `frame`
// with the brightness and contrast positions and the picture options, handing each output
// pixel's grey level to showLevel (may be empty) column by column. A view holding pixels is
// read in one pass.
void ConvertView(TBitmap& view, int brightnessPosition, int contrastPosition, TFrameBuffer& frame,
                 const std::function<void(int x, int y, int level)>& showLevel, const TPictureOptions& options = {});
// The same, with the grey level of output pixel x, y stored at levels[y * KqFrameWidth + x].
void ConvertView(TBitmap& view, int brightnessPosition, int contrastPosition, TFrameBuffer& frame,
                 std::uint8_t (&levels)[KqFramePixels], const TPictureOptions& options = {});
