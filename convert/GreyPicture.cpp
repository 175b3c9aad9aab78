#include "convert/GreyPicture.h"

#include "convert/FrameConversion.h"
#include "framework/Bitmap.h"

void DrawGreyLevels(const TGreyLevels& levels, TBitmap& bitmap)
{
    bitmap.SetPixelFormat(pf32bit);
    bitmap.SetSize(KqFrameWidth, KqFrameHeight);
    for (int y = 0; y < KqFrameHeight; ++y) {
        BYTE* row = bitmap.ScanLine(y);
        for (int x = 0; x < KqFrameWidth; ++x) {
            const COLORREF colour = GreyColour(levels[static_cast<std::size_t>(y) * KqFrameWidth + x]);
            row[4 * x] = GetBValue(colour);
            row[4 * x + 1] = GetGValue(colour);
            row[4 * x + 2] = GetRValue(colour);
        }
    }
}

void FrameBufferLevels(const TFrameBuffer& frame, TGreyLevels& levels)
{
    for (int x = 0; x < KqFrameWidth; ++x)
        for (int y = 0; y < KqFrameHeight; ++y)
            levels[static_cast<std::size_t>(y) * KqFrameWidth + x] =
                static_cast<std::uint8_t>(15 - frame[static_cast<std::size_t>(x) * KqFrameHeight + y]);
}

void DrawFrameBuffer(const TFrameBuffer& frame, TBitmap& bitmap)
{
    TGreyLevels levels;
    FrameBufferLevels(frame, levels);
    DrawGreyLevels(levels, bitmap);
}
