#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <fstream>
#include <iterator>

COLORREF PatternColor(int x, int y)
{
    return RGB(static_cast<BYTE>(x * 37 + y * 11), static_cast<BYTE>(x * 7 + y * 53 + 5),
               static_cast<BYTE>(x * x + y * 3 + 100));
}

void FillWithPattern(TBitmap& bitmap, TPixelFormat format, int width, int height)
{
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.Canvas()->SetPixels(x, y, static_cast<TColor>(PatternColor(x, y)));
}

std::uint32_t ReadU32(const std::vector<BYTE>& bytes, size_t offset)
{
    return static_cast<std::uint32_t>(bytes.at(offset)) | (static_cast<std::uint32_t>(bytes.at(offset + 1)) << 8) |
           (static_cast<std::uint32_t>(bytes.at(offset + 2)) << 16) |
           (static_cast<std::uint32_t>(bytes.at(offset + 3)) << 24);
}

std::uint16_t ReadU16(const std::vector<BYTE>& bytes, size_t offset)
{
    return static_cast<std::uint16_t>(bytes.at(offset) | (bytes.at(offset + 1) << 8));
}

std::int32_t ReadI32(const std::vector<BYTE>& bytes, size_t offset)
{
    return static_cast<std::int32_t>(ReadU32(bytes, offset));
}

std::vector<BYTE> ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}
