// Helpers shared by the graphics tests: deterministic pictures and little-endian reads.
#pragma once

#include "framework/Bitmap.h"

#include "platform/gdi/Gdi.h"

#include <cstdint>
#include <string>
#include <vector>

// An integer-only pattern that differs between neighbouring pixels in every channel.
COLORREF PatternColor(int x, int y);

// A bitmap of the format and size filled with PatternColor through its canvas.
void FillWithPattern(TBitmap& bitmap, TPixelFormat format, int width, int height);

std::uint32_t ReadU32(const std::vector<BYTE>& bytes, size_t offset);
std::uint16_t ReadU16(const std::vector<BYTE>& bytes, size_t offset);
std::int32_t ReadI32(const std::vector<BYTE>& bytes, size_t offset);

std::vector<BYTE> ReadWholeFile(const std::string& path);
