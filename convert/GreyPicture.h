// The picture of a 131 x 80 frame in the preview's greys: grey level h (0 black .. 15
// lightest) is drawn as GreyColour(h). The main window's converted preview and the player
// window draw their frames through this, so a movie plays back exactly as it was previewed.
#pragma once

#include "convert/FrameBuffer.h"

#include <cstdint>

class TBitmap;

using TGreyLevels = std::uint8_t[KqFramePixels]; // level of pixel x, y at y * KqFrameWidth + x

// Makes `bitmap` a 131 x 80 picture of the levels.
void DrawGreyLevels(const TGreyLevels& levels, TBitmap& bitmap);

// The grey levels of a frame buffer (darkness 0..15 of pixel x, y at x * 80 + y).
void FrameBufferLevels(const TFrameBuffer& frame, TGreyLevels& levels);

// Makes `bitmap` a 131 x 80 picture of a movie frame.
void DrawFrameBuffer(const TFrameBuffer& frame, TBitmap& bitmap);
