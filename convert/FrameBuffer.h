// The converted picture shared by the conversion and the movie writer: 131 x 80 pixels,
// one byte each, stored column by column (pixel x, y at x * 80 + y). A byte holds the
// pixel's darkness, 0 (lightest) to 15 (black).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

constexpr int KqFrameWidth = 131;
constexpr int KqFrameHeight = 80;
constexpr std::size_t KqFramePixels = KqFrameWidth * KqFrameHeight; // 10480
constexpr std::size_t KqFrameBytes = KqFramePixels / 2;              // 5240: two pixels a byte

using TFrameBuffer = std::array<std::uint8_t, KqFramePixels>;

constexpr std::size_t FrameBufferIndex(int x, int y) { return static_cast<std::size_t>(x) * KqFrameHeight + y; }
