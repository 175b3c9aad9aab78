#include "convert/Dithering.h"

#include "convert/FrameConversion.h"
#include "convert/ToneCurve.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
constexpr int kLevels = 16;

void QuantizePlain(const TGreySums& sums, int brightness, int contrast, const TToneCurve& curve,
                   std::uint8_t (&levels)[KqFramePixels])
{
    std::array<std::uint8_t, GreySumMax + 1> levelOfSum;
    for (int sum = 0; sum <= GreySumMax; ++sum)
        levelOfSum[static_cast<std::size_t>(sum)] =
            static_cast<std::uint8_t>(GreyLevelOfSum(curve.RoundedSum(sum), brightness, contrast));
    for (std::size_t i = 0; i < KqFramePixels; ++i)
        levels[i] = levelOfSum[sums[i]];
}

void QuantizeOrdered(const TGreySums& sums, int brightness, int contrast, const TToneCurve& curve,
                     std::uint8_t (&levels)[KqFramePixels])
{
    for (int y = 0; y < KqFrameHeight; ++y)
        for (int x = 0; x < KqFrameWidth; ++x) {
            const double level = ContinuousLevel(curve.Tone(sums[GreyIndex(x, y)]), brightness, contrast);
            int whole = static_cast<int>(std::floor(level));
            // The matrix value m lets the fraction up from (m + 0.5) / 16: of 16 pixels in a
            // square, a fraction f lifts about 16 f of them.
            if (level - whole >= (BayerValue(x, y) + 0.5) / kLevels)
                ++whole;
            levels[GreyIndex(x, y)] = static_cast<std::uint8_t>(std::clamp(whole, 0, kLevels - 1));
        }
}

void QuantizeDiffusion(const TGreySums& sums, int brightness, int contrast, const TToneCurve& curve,
                       std::uint8_t (&levels)[KqFramePixels])
{
    // The errors owed to this row and the next, with a spare pixel at each end so that the
    // edges need no test.
    std::array<double, KqFrameWidth + 2> thisRow{};
    std::array<double, KqFrameWidth + 2> nextRow{};
    for (int y = 0; y < KqFrameHeight; ++y) {
        // Serpentine: even rows left to right, odd rows right to left, the weights mirrored,
        // so that the errors do not drift to one side in streaks.
        const bool forward = y % 2 == 0;
        const int dir = forward ? 1 : -1;
        for (int step = 0; step < KqFrameWidth; ++step) {
            const int x = forward ? step : KqFrameWidth - 1 - step;
            const std::size_t e = static_cast<std::size_t>(x + 1);
            const double wanted = ContinuousLevel(curve.Tone(sums[GreyIndex(x, y)]), brightness, contrast) + thisRow[e];
            const int level = std::clamp(static_cast<int>(std::floor(wanted + 0.5)), 0, kLevels - 1);
            levels[GreyIndex(x, y)] = static_cast<std::uint8_t>(level);
            const double error = wanted - level;
            thisRow[e + dir] += error * 7 / 16;
            nextRow[e - dir] += error * 3 / 16;
            nextRow[e] += error * 5 / 16;
            nextRow[e + dir] += error * 1 / 16;
        }
        thisRow = nextRow;
        nextRow.fill(0);
    }
}

} // namespace

int BayerValue(int x, int y) { return kBayer[y % 4][x % 4]; }

double ContinuousLevel(double toneSum, int brightnessPosition, int contrastPosition)
{
    const double v = toneSum / 51 + (brightnessPosition - BrightnessNeutral) - 7;
    return std::clamp(v * contrastPosition / ContrastNeutral + 7, 0.0, 15.0);
}

void QuantizeGreys(const TGreySums& sums, int brightnessPosition, int contrastPosition, const TPictureOptions& options,
                   std::uint8_t (&levels)[KqFramePixels])
{
    const TToneCurve curve(options.gamma);
    switch (options.dithering) {
    case TDithering::None: QuantizePlain(sums, brightnessPosition, contrastPosition, curve, levels); return;
    case TDithering::Ordered: QuantizeOrdered(sums, brightnessPosition, contrastPosition, curve, levels); return;
    case TDithering::Diffusion: QuantizeDiffusion(sums, brightnessPosition, contrastPosition, curve, levels); return;
    }
}
