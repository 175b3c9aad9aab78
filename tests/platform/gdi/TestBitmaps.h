// Small bitmaps selected into memory contexts, filled and read as grids of colours.
#pragma once

#include "platform/gdi/Gdi.h"

#include <gtest/gtest.h>

#include <vector>

namespace gditest {

using Grid = std::vector<std::vector<COLORREF>>; // [row][column]

// A memory context holding a bitmap; frees both at the end of the scope.
class MemoryBitmap {
public:
    // A 32-bit device bitmap of the grid's size, holding the grid.
    explicit MemoryBitmap(const Grid& grid) : MemoryBitmap(nullptr, grid) {}
    // Takes over `bitmap` (may be nullptr: then a device bitmap of the grid's size).
    MemoryBitmap(HBITMAP bitmap, const Grid& grid)
    {
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = bitmap ? bitmap : CreateCompatibleBitmap(dc_, static_cast<int>(grid[0].size()), static_cast<int>(grid.size()));
        old_ = SelectObject(dc_, bitmap_);
        for (size_t y = 0; y < grid.size(); ++y)
            for (size_t x = 0; x < grid[y].size(); ++x)
                SetPixel(dc_, static_cast<int>(x), static_cast<int>(y), grid[y][x]);
    }
    ~MemoryBitmap()
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    MemoryBitmap(const MemoryBitmap&) = delete;
    MemoryBitmap& operator=(const MemoryBitmap&) = delete;

    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    Grid Read() const
    {
        BITMAP bm;
        GetObject(bitmap_, sizeof bm, &bm);
        Grid grid(static_cast<size_t>(bm.bmHeight), std::vector<COLORREF>(static_cast<size_t>(bm.bmWidth)));
        for (LONG y = 0; y < bm.bmHeight; ++y)
            for (LONG x = 0; x < bm.bmWidth; ++x)
                grid[static_cast<size_t>(y)][static_cast<size_t>(x)] = GetPixel(dc_, x, y);
        return grid;
    }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HBITMAP old_ = nullptr;
};

inline Grid Filled(int width, int height, COLORREF color)
{
    return Grid(static_cast<size_t>(height), std::vector<COLORREF>(static_cast<size_t>(width), color));
}

// A grid whose every pixel has its own colour, so that misplaced pixels show.
inline Grid Numbered(int width, int height)
{
    Grid grid = Filled(width, height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            grid[static_cast<size_t>(y)][static_cast<size_t>(x)] = RGB(static_cast<BYTE>(10 + x), static_cast<BYTE>(100 + y), 200);
    return grid;
}

} // namespace gditest
