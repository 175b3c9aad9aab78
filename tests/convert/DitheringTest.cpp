// Dithering and the tone curve against computations of their own: the plain path as the
// conversion has always been, the ordered matrix by its values, the error diffusion by hand
// on a few pixels and against a whole-grid reference, and the gamma at its ends.
#include "convert/Dithering.h"
#include "convert/FrameConversion.h"
#include "convert/ToneCurve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

// A 131 x 80 picture (steps of 1: output pixel x, y is source pixel x, y) of grey sums.
struct Grid {
    std::vector<COLORREF> pixels = std::vector<COLORREF>(KqFramePixels, RGB(0, 0, 0));
    void Set(int x, int y, int sum)
    {
        // Any split of the sum over the three bytes: the conversion reads only the sum.
        const int r = std::min(sum, 255), g = std::min(sum - r, 255), b = sum - r - g;
        pixels[static_cast<std::size_t>(y) * KqFrameWidth + x] =
            RGB(static_cast<BYTE>(r), static_cast<BYTE>(g), static_cast<BYTE>(b));
    }
    void Fill(int sum)
    {
        for (int y = 0; y < KqFrameHeight; ++y)
            for (int x = 0; x < KqFrameWidth; ++x)
                Set(x, y, sum);
    }
};

struct Result {
    TFrameBuffer frame{};
    std::uint8_t levels[KqFramePixels];
    int At(int x, int y) const { return levels[static_cast<std::size_t>(y) * KqFrameWidth + x]; }
};

Result Convert(const Grid& grid, TPictureOptions options, int brightness = 16, int contrast = 8)
{
    Result r;
    ConvertPixels(KqFrameWidth, KqFrameHeight, grid.pixels.data(), brightness, contrast, r.frame, r.levels, options);
    return r;
}

Grid RandomGrid(unsigned seed)
{
    Grid g;
    std::mt19937 random(seed);
    for (int y = 0; y < KqFrameHeight; ++y)
        for (int x = 0; x < KqFrameWidth; ++x)
            g.Set(x, y, static_cast<int>(random() % 766));
    return g;
}

} // namespace

TEST(Dithering, TheDefaultOptionsAreThePlainConversionAtEverySetting)
{
    const Grid g = RandomGrid(7);
    for (int brightness : {0, 9, 16, 32})
        for (int contrast : {0, 5, 8, 16}) {
            const Result r = Convert(g, {}, brightness, contrast);
            for (int y = 0; y < KqFrameHeight; ++y)
                for (int x = 0; x < KqFrameWidth; ++x) {
                    const int level = GreyLevel(g.pixels[static_cast<std::size_t>(y) * KqFrameWidth + x], brightness,
                                                contrast);
                    ASSERT_EQ(r.At(x, y), level) << x << "," << y;
                    ASSERT_EQ(r.frame[FrameBufferIndex(x, y)], 15 - level);
                }
        }
}

TEST(Dithering, OrderedUsesTheFourByFourMatrixAndKeepsWholeLevelsPure)
{
    const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(BayerValue(x, y), bayer[y % 4][x % 4]);

    // Sum 374 is level 7 1/3: the pixels whose threshold (m + 0.5) / 16 is at most 1/3, that
    // is m <= 4, go up to 8; 5 of every 16.
    Grid g;
    g.Fill(374);
    const Result r = Convert(g, {TDithering::Ordered, 1.0});
    for (int y = 0; y < KqFrameHeight; ++y)
        for (int x = 0; x < KqFrameWidth; ++x)
            ASSERT_EQ(r.At(x, y), bayer[y % 4][x % 4] <= 4 ? 8 : 7) << x << "," << y;

    // A whole level (sum 51 k) is never dithered; black and white stay pure in every mode.
    for (int level : {0, 6, 15}) {
        g.Fill(51 * level);
        for (TDithering d : {TDithering::Ordered, TDithering::Diffusion}) {
            const Result whole = Convert(g, {d, 1.0});
            for (std::size_t i = 0; i < KqFramePixels; ++i)
                ASSERT_EQ(whole.levels[i], level) << DitheringName(d) << " at " << i;
        }
    }
}

TEST(Dithering, BothModesKeepTheMeanGreyOfAFlatArea)
{
    // Through brightness and contrast too: the continuous level, clamped, is what the pixels
    // average to (within a 16th for a 4 x 4 matrix, and closer over the frame for diffusion).
    Grid g;
    for (int sum : {10, 100, 200, 333, 500, 700, 760})
        for (auto [brightness, contrast] : {std::pair{16, 8}, std::pair{19, 8}, std::pair{16, 11}, std::pair{12, 5}}) {
            g.Fill(sum);
            const double wanted = std::clamp((sum / 51.0 + brightness - 16 - 7) * contrast / 8 + 7, 0.0, 15.0);
            for (TDithering d : {TDithering::Ordered, TDithering::Diffusion}) {
                const Result r = Convert(g, {d, 1.0}, brightness, contrast);
                double mean = 0;
                for (int y = 0; y < 80; ++y)
                    for (int x = 0; x < 128; ++x)
                        mean += r.At(x, y);
                mean /= 80 * 128;
                EXPECT_NEAR(mean, wanted, d == TDithering::Ordered ? 1.0 / 16 : 0.01)
                    << DitheringName(d) << " sum " << sum << " b " << brightness << " c " << contrast;
            }
        }
}

TEST(Dithering, DiffusionByHandOnAFewPixelsAndSerpentineRows)
{
    // Sums 25 and 20 are levels 0.490 and 0.392; everything else is black.
    Grid g;
    g.Set(0, 0, 25); // rounds to 0, owes 0.490: 7/16 of it (0.214) goes right
    g.Set(1, 0, 20); // 0.392 + 0.214 = 0.607: 1
    // Row 1 runs right to left: (130, 1) comes first and hands 7/16 of its 0.490 to the
    // left, so (129, 1) becomes 1 and (130, 1) 0. Left to right it would be the other way
    // round (0.392 -> 0, then 0.490 + 0.172 -> 1).
    g.Set(130, 1, 25);
    g.Set(129, 1, 20);
    const Result r = Convert(g, {TDithering::Diffusion, 1.0});
    EXPECT_EQ(r.At(0, 0), 0);
    EXPECT_EQ(r.At(1, 0), 1);
    EXPECT_EQ(r.At(129, 1), 1);
    EXPECT_EQ(r.At(130, 1), 0);
    int lit = 0;
    for (std::size_t i = 0; i < KqFramePixels; ++i)
        lit += r.levels[i];
    EXPECT_EQ(lit, 2);
}

TEST(Dithering, DiffusionMatchesAWholeGridReference)
{
    // Floyd-Steinberg written the plain way: one error grid for the whole picture, the
    // kernel mirrored on odd rows.
    const Grid g = RandomGrid(11);
    for (auto [brightness, contrast] : {std::pair{16, 8}, std::pair{20, 12}}) {
        std::vector<double> wanted(KqFramePixels);
        for (int y = 0; y < KqFrameHeight; ++y)
            for (int x = 0; x < KqFrameWidth; ++x) {
                const int sum = GreySum(g.pixels[static_cast<std::size_t>(y) * KqFrameWidth + x]);
                wanted[static_cast<std::size_t>(y) * KqFrameWidth + x] =
                    std::clamp((sum / 51.0 + brightness - 23) * contrast / 8 + 7, 0.0, 15.0);
            }
        std::vector<int> expected(KqFramePixels);
        for (int y = 0; y < KqFrameHeight; ++y) {
            const int dir = y % 2 == 0 ? 1 : -1;
            for (int i = 0; i < KqFrameWidth; ++i) {
                const int x = dir > 0 ? i : KqFrameWidth - 1 - i;
                const double v = wanted[static_cast<std::size_t>(y) * KqFrameWidth + x];
                const int q = std::clamp(static_cast<int>(std::floor(v + 0.5)), 0, 15);
                expected[static_cast<std::size_t>(y) * KqFrameWidth + x] = q;
                const double e = v - q;
                auto give = [&](int dx, int dy, double w) {
                    const int nx = x + dx * dir, ny = y + dy;
                    if (nx >= 0 && nx < KqFrameWidth && ny < KqFrameHeight)
                        wanted[static_cast<std::size_t>(ny) * KqFrameWidth + nx] += e * w;
                };
                give(1, 0, 7.0 / 16);
                give(-1, 1, 3.0 / 16);
                give(0, 1, 5.0 / 16);
                give(1, 1, 1.0 / 16);
            }
        }
        const Result r = Convert(g, {TDithering::Diffusion, 1.0}, brightness, contrast);
        int differing = 0;
        for (std::size_t i = 0; i < KqFramePixels; ++i)
            differing += r.levels[i] != expected[i];
        EXPECT_EQ(differing, 0);
    }
}

TEST(ToneCurve, GammaOneIsExactAndTheEndsLightenOrDarkenTheMiddle)
{
    const TToneCurve identity(1.0);
    for (int s = 0; s <= GreySumMax; ++s) {
        ASSERT_EQ(identity.RoundedSum(s), s);
        ASSERT_EQ(identity.Tone(s), s);
    }
    const TToneCurve light(GammaMax), dark(GammaMin);
    EXPECT_EQ(light.RoundedSum(0), 0);
    EXPECT_EQ(light.RoundedSum(765), 765);
    EXPECT_EQ(dark.RoundedSum(0), 0);
    EXPECT_EQ(dark.RoundedSum(765), 765);
    // Mid grey 0.5: 0.5^(1/2.5) = 0.758, 0.5^2 = 0.25.
    EXPECT_NEAR(light.Tone(765 / 2), 765 * std::pow(382.0 / 765, 0.4), 1e-9);
    EXPECT_EQ(light.RoundedSum(382), 579);
    EXPECT_EQ(dark.RoundedSum(382), 191);

    // Through the plain conversion: mid grey (level 7) becomes level 12 at 2.5, 3 at 0.5.
    Grid g;
    g.Fill(382);
    EXPECT_EQ(Convert(g, {TDithering::None, 2.5}).At(5, 5), 579 / 48);
    EXPECT_EQ(Convert(g, {TDithering::None, 0.5}).At(5, 5), 191 / 48);
    EXPECT_EQ(Convert(g, {TDithering::None, 1.0}).At(5, 5), 382 / 48);

    EXPECT_EQ(GammaFromText("0.5"), 0.5);
    EXPECT_EQ(GammaFromText("2.5"), 2.5);
    EXPECT_EQ(GammaFromText("1.8"), 1.8);
    for (const char* bad : {"0.49", "2.51", "", "-1", "1e0", "nan", "inf", " 1", "1,5", "abc", "1.2.3"})
        EXPECT_FALSE(GammaFromText(bad).has_value()) << bad;
    EXPECT_EQ(DitheringFromName("ordered"), TDithering::Ordered);
    EXPECT_FALSE(DitheringFromName("Ordered").has_value());
}
