#include "convert/FrameConversion.h"

#include "convert/Dithering.h"

#include <algorithm>
#include <array>

int SampleCoordinate(int index, double step)
{
    // A 64-bit significand holds the product of an index below 2^11 and a 53-bit double
    // exactly, so the truncation sees the true product.
    return static_cast<int>(static_cast<long double>(index) * static_cast<long double>(step));
}

int GreySum(COLORREF colour)
{
    // Split as a signed value with truncating division; for real colours these are its three
    // bytes, for the all-ones invalid colour they give 255, 0, 0.
    const std::int32_t c = static_cast<std::int32_t>(colour);
    const int red = static_cast<std::uint8_t>(c % 256);
    const int green = static_cast<std::uint8_t>((c / 256) % 256);
    const int blue = static_cast<std::uint8_t>((c / 256) / 256);
    return red + green + blue;
}

int GreyLevelOfSum(int sum, int brightnessPosition, int contrastPosition)
{
    const int base = sum / 48;
    const int v = base + (brightnessPosition - BrightnessNeutral) - 7;
    // v * (position / 8) is exact in binary, so integer division truncating toward zero agrees.
    const int level = (v * contrastPosition) / ContrastNeutral + 7;
    return std::clamp(level, 0, 15);
}

int GreyLevel(COLORREF colour, int brightnessPosition, int contrastPosition)
{
    return GreyLevelOfSum(GreySum(colour), brightnessPosition, contrastPosition);
}

namespace {

// The source columns and rows sampled by the output pixels.
struct Samples {
    std::array<int, KqFrameWidth> x;
    std::array<int, KqFrameHeight> y;
};

Samples SamplesOf(int pictureWidth, int pictureHeight)
{
    Samples s;
    const double stepX = static_cast<double>(pictureWidth) / KqFrameWidth;
    const double stepY = static_cast<double>(pictureHeight) / KqFrameHeight;
    for (int x = 0; x < KqFrameWidth; ++x)
        s.x[static_cast<std::size_t>(x)] = SampleCoordinate(x, stepX);
    for (int y = 0; y < KqFrameHeight; ++y)
        s.y[static_cast<std::size_t>(y)] = SampleCoordinate(y, stepY);
    return s;
}

} // namespace

void ConvertPicture(int pictureWidth, int pictureHeight, const std::function<COLORREF(int x, int y)>& pixelAt,
                    int brightnessPosition, int contrastPosition, TFrameBuffer& frame,
                    const std::function<void(int x, int y, int level)>& showLevel, const TPictureOptions& options)
{
    const Samples s = SamplesOf(pictureWidth, pictureHeight);
    TGreySums sums;
    for (int x = 0; x < KqFrameWidth; ++x) {
        const int sx = s.x[static_cast<std::size_t>(x)];
        for (int y = 0; y < KqFrameHeight; ++y)
            sums[GreyIndex(x, y)] = static_cast<std::uint16_t>(GreySum(pixelAt(sx, s.y[static_cast<std::size_t>(y)])));
    }
    std::uint8_t levels[KqFramePixels];
    QuantizeGreys(sums, brightnessPosition, contrastPosition, options, levels);
    for (int x = 0; x < KqFrameWidth; ++x)
        for (int y = 0; y < KqFrameHeight; ++y) {
            const int level = levels[GreyIndex(x, y)];
            frame[FrameBufferIndex(x, y)] = static_cast<std::uint8_t>(15 - level);
            if (showLevel)
                showLevel(x, y, level);
        }
}

void ConvertPixels(int pictureWidth, int pictureHeight, const COLORREF* pixels, int brightnessPosition,
                   int contrastPosition, TFrameBuffer& frame, std::uint8_t (&levels)[KqFramePixels],
                   const TPictureOptions& options)
{
    const Samples s = SamplesOf(pictureWidth, pictureHeight);
    const bool empty = pictureWidth <= 0 || pictureHeight <= 0;
    TGreySums sums;
    for (int y = 0; y < KqFrameHeight; ++y) {
        const std::size_t sy = static_cast<std::size_t>(s.y[static_cast<std::size_t>(y)]);
        const COLORREF* row = empty ? nullptr : pixels + sy * static_cast<std::size_t>(pictureWidth);
        for (int x = 0; x < KqFrameWidth; ++x) {
            const COLORREF colour = empty ? CLR_INVALID : row[s.x[static_cast<std::size_t>(x)]];
            sums[GreyIndex(x, y)] = static_cast<std::uint16_t>(GreySum(colour));
        }
    }
    QuantizeGreys(sums, brightnessPosition, contrastPosition, options, levels);
    for (int x = 0; x < KqFrameWidth; ++x)
        for (int y = 0; y < KqFrameHeight; ++y)
            frame[FrameBufferIndex(x, y)] = static_cast<std::uint8_t>(15 - levels[GreyIndex(x, y)]);
}
