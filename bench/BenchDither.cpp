// bench_dither: how close each way of bringing the greys to 16 levels comes to the picture,
// seen from a distance, and how still it stays on a still scene.
//
//   bench_dither [--markdown]
//
// Over generated and real pictures of 131 x 80 (gradients, smooth face-like shading, text,
// fast motion; the real ones are frames that the ffmpeg command renders from its own sources),
// converted at neutral brightness and contrast, prints for each mode:
// - the blurred error: the mean squared difference, in levels squared (0..15 scale), between
//   the source grey and the 16-level result, both blurred with a Gaussian of sigma 1.5 pixels,
//   which stands for the eye at a distance (the usual measure for halftones). The plain
//   conversion's sum div 48 also lies about half a level below the grey on average: the
//   column "none-shift" gives its error without that shift, the banding alone;
// - the flicker on a still scene: the share of pixels that change between two conversions of
//   the same picture, and of the same picture with a little sensor noise in each (independent
//   noise of sigma 2 grey steps per channel).
// With --markdown the tables come as Markdown, for the README.
#include "convert/Dithering.h"
#include "convert/FrameConversion.h"
#include "framework/RuntimeFolder.h"

#include <QFont>
#include <QImage>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int W = KqFrameWidth;
constexpr int H = KqFrameHeight;
constexpr double kSigma = 1.5;

using Picture = std::vector<COLORREF>; // W x H, row by row

COLORREF Grey(double g)
{
    const BYTE v = static_cast<BYTE>(std::clamp(static_cast<int>(std::lround(g)), 0, 255));
    return RGB(v, v, v);
}

Picture Make(const std::function<double(int x, int y)>& grey)
{
    Picture p(static_cast<std::size_t>(W * H));
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            p[static_cast<std::size_t>(y * W + x)] = Grey(grey(x, y));
    return p;
}

// Smooth shading of an ellipse lit from the top left over a soft background: the large, slow
// changes of a face or a body.
double FaceLike(int x, int y, double cx, double cy, double rx, double ry)
{
    const double dx = (x - cx) / rx, dy = (y - cy) / ry;
    const double r2 = dx * dx + dy * dy;
    const double background = 60 + 0.5 * y;
    if (r2 >= 1)
        return background;
    const double z = std::sqrt(1 - r2);
    const double light = std::max(0.0, (-0.5 * dx - 0.4 * dy + 0.77 * z));
    return 70 + 150 * light;
}

Picture Text(const char* words, int pixelSize)
{
    QImage image(W, H, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font("Liberation Sans");
    font.setPixelSize(pixelSize);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(2, 2, W - 4, H - 4), Qt::TextWordWrap, words);
    painter.end();
    Picture p(static_cast<std::size_t>(W * H));
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const QRgb c = image.pixel(x, y);
            p[static_cast<std::size_t>(y * W + x)] = RGB(qRed(c), qGreen(c), qBlue(c));
        }
    return p;
}

// Frames the ffmpeg command renders at 131 x 80 from one of its sources; none when it fails.
std::vector<Picture> FfmpegFrames(const std::string& source, int frames)
{
    const std::string command = std::string(QUELLON_FFMPEG_COMMAND) + " -v error -f lavfi -i \"" + source +
                                ",scale=131:80:flags=area\" -frames:v " + std::to_string(frames) +
                                " -f rawvideo -pix_fmt rgb24 - 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::vector<Picture> out;
    if (pipe == nullptr)
        return out;
    std::vector<unsigned char> rgb(static_cast<std::size_t>(W * H * 3));
    while (std::fread(rgb.data(), 1, rgb.size(), pipe) == rgb.size()) {
        Picture p(static_cast<std::size_t>(W * H));
        for (std::size_t i = 0; i < p.size(); ++i)
            p[i] = RGB(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
        out.push_back(std::move(p));
    }
    ::pclose(pipe);
    return out;
}

struct Set {
    std::string name;
    std::vector<Picture> pictures;
};

std::vector<Set> Pictures()
{
    std::vector<Set> sets;
    sets.push_back({"gradients",
                    {Make([](int x, int) { return x * 255.0 / (W - 1); }),
                     Make([](int x, int y) { return 40 + (x + y) * 160.0 / (W + H); }),
                     Make([](int x, int y) { return 90 + 50 * std::hypot(x - 65.0, y - 90.0) / 110; }),
                     Make([](int, int y) { return 200 - y * 1.2; })}});
    sets.push_back({"face-like shading",
                    {Make([](int x, int y) { return FaceLike(x, y, 65, 42, 34, 40); }),
                     Make([](int x, int y) {
                         return FaceLike(x, y, 40, 45, 25, 30) * 0.6 + FaceLike(x, y, 95, 40, 28, 36) * 0.4;
                     })}});
    sets.push_back({"text", {Text("The quick brown fox jumps over the lazy dog", 14), Text("Quellon 16 greys", 22)}});
    // Fast motion: a bright disc and a ramp moving many pixels a frame, with the motion blur a
    // camera gives (the average of 8 sub-frames).
    Set motion{"fast motion", {}};
    for (int f = 0; f < 4; ++f)
        motion.pictures.push_back(Make([f](int x, int y) {
            double sum = 0;
            for (int s = 0; s < 8; ++s) {
                const double t = f * 12 + s * 1.5;
                const double disc = std::hypot(x - 10 - t * 2, y - 40.0) < 14 ? 230 : 0;
                sum += std::max(disc, 30 + std::fmod(x + t * 3, 131.0));
            }
            return sum / 8;
        }));
    sets.push_back(motion);
    Set real{"ffmpeg sources", {}};
    // Rendered larger and brought down to 131 x 80 by area, as a camera's picture would be.
    for (const char* source : {"mandelbrot=size=524x320:rate=25", "testsrc2=size=524x320:rate=25",
                               "color=black:size=524x320:rate=25,geq=lum='128+100*sin(X/60+N)*cos(Y/45)':cb=128:cr=128",
                               "cellauto=size=524x320:rate=25:rule=110:seed=5"})
        for (Picture& p : FfmpegFrames(source, 2))
            real.pictures.push_back(std::move(p));
    if (!real.pictures.empty())
        sets.push_back(real);
    return sets;
}

struct Conversion {
    std::uint8_t levels[KqFramePixels];
};

void Convert(const Picture& p, TDithering d, Conversion& out)
{
    TFrameBuffer frame{};
    ConvertPixels(W, H, p.data(), BrightnessNeutral, ContrastNeutral, frame, out.levels, {d, 1.0});
}

std::vector<double> Blur(const std::vector<double>& in)
{
    const int radius = static_cast<int>(std::ceil(3 * kSigma));
    std::vector<double> kernel(static_cast<std::size_t>(2 * radius + 1));
    double total = 0;
    for (int i = -radius; i <= radius; ++i)
        total += kernel[static_cast<std::size_t>(i + radius)] = std::exp(-i * i / (2 * kSigma * kSigma));
    for (double& k : kernel)
        k /= total;
    auto at = [](int x, int y) {
        return static_cast<std::size_t>(std::clamp(y, 0, H - 1) * W + std::clamp(x, 0, W - 1));
    };
    std::vector<double> across(in.size()), out(in.size());
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            double s = 0;
            for (int i = -radius; i <= radius; ++i)
                s += kernel[static_cast<std::size_t>(i + radius)] * in[at(x + i, y)];
            across[static_cast<std::size_t>(y * W + x)] = s;
        }
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            double s = 0;
            for (int i = -radius; i <= radius; ++i)
                s += kernel[static_cast<std::size_t>(i + radius)] * across[at(x, y + i)];
            out[static_cast<std::size_t>(y * W + x)] = s;
        }
    return out;
}

// Mean squared difference of the blurred source grey (15 * sum / 765) and the blurred levels;
// with `unshifted`, less the square of their mean difference (what is left once the result is
// moved by a constant to the source's mean grey).
double BlurredError(const Picture& p, const Conversion& c, bool unshifted = false)
{
    std::vector<double> source(KqFramePixels), result(KqFramePixels);
    for (std::size_t i = 0; i < KqFramePixels; ++i) {
        source[i] = 15.0 * GreySum(p[i]) / 765;
        result[i] = c.levels[i];
    }
    const std::vector<double> a = Blur(source), b = Blur(result);
    double sum = 0, shift = 0;
    for (std::size_t i = 0; i < KqFramePixels; ++i) {
        sum += (a[i] - b[i]) * (a[i] - b[i]);
        shift += a[i] - b[i];
    }
    shift /= KqFramePixels;
    return sum / KqFramePixels - (unshifted ? shift * shift : 0);
}

double ChangedShare(const Conversion& a, const Conversion& b)
{
    int changed = 0;
    for (std::size_t i = 0; i < KqFramePixels; ++i)
        changed += a.levels[i] != b.levels[i];
    return static_cast<double>(changed) / KqFramePixels;
}

Picture WithNoise(const Picture& p, std::mt19937& random)
{
    std::normal_distribution<double> noise(0, 2);
    Picture out(p.size());
    for (std::size_t i = 0; i < p.size(); ++i) {
        auto channel = [&](int v) {
            return static_cast<BYTE>(std::clamp(static_cast<int>(std::lround(v + noise(random))), 0, 255));
        };
        out[i] = RGB(channel(GetRValue(p[i])), channel(GetGValue(p[i])), channel(GetBValue(p[i])));
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    bool markdown = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--markdown") == 0) {
            markdown = true;
        } else {
            std::fprintf(stderr, "usage: bench_dither [--markdown]\n");
            return 2;
        }
    }
    // Text is drawn with Qt's painter, which needs its fonts: an offscreen application.
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    EnsureRuntimeFolder();
    QGuiApplication application(argc, argv);

    const TDithering modes[] = {TDithering::None, TDithering::Ordered, TDithering::Diffusion};
    const std::vector<Set> sets = Pictures();
    std::mt19937 random(2026);

    if (markdown) {
        std::printf("| pictures | none | none, mean shift removed | ordered | diffusion |\n|---|---|---|---|---|\n");
    } else {
        std::printf("blurred error (mean squared, levels^2, Gaussian sigma %.1f px); in brackets: change from none\n",
                    kSigma);
        std::printf("%-22s %10s %14s %20s %20s\n", "pictures", "none", "none-shift", "ordered", "diffusion");
    }
    std::vector<Picture> all;
    for (const Set& set : sets) {
        double error[3] = {0, 0, 0};
        double unshifted = 0;
        for (const Picture& p : set.pictures) {
            all.push_back(p);
            for (int m = 0; m < 3; ++m) {
                Conversion c;
                Convert(p, modes[m], c);
                error[m] += BlurredError(p, c) / static_cast<double>(set.pictures.size());
                if (modes[m] == TDithering::None)
                    unshifted += BlurredError(p, c, true) / static_cast<double>(set.pictures.size());
            }
        }
        auto change = [&](int m) { return 100.0 * (error[m] - error[0]) / error[0]; };
        if (markdown)
            std::printf("| %s (%zu) | %.4f | %.4f | %.4f (%+.0f %%) | %.4f (%+.0f %%) |\n", set.name.c_str(),
                        set.pictures.size(), error[0], unshifted, error[1], change(1), error[2], change(2));
        else
            std::printf("%-22s %10.4f %14.4f %12.4f (%+4.0f%%) %12.4f (%+4.0f%%)\n",
                        (set.name + " (" + std::to_string(set.pictures.size()) + ")").c_str(), error[0], unshifted,
                        error[1], change(1), error[2], change(2));
    }

    double still[3] = {0, 0, 0}, noisy[3] = {0, 0, 0};
    for (const Picture& p : all) {
        const Picture a = WithNoise(p, random), b = WithNoise(p, random);
        for (int m = 0; m < 3; ++m) {
            Conversion once, again, ca, cb;
            Convert(p, modes[m], once);
            Convert(p, modes[m], again);
            Convert(a, modes[m], ca);
            Convert(b, modes[m], cb);
            still[m] += 100 * ChangedShare(once, again) / static_cast<double>(all.size());
            noisy[m] += 100 * ChangedShare(ca, cb) / static_cast<double>(all.size());
        }
    }
    if (markdown) {
        std::printf("\n| flicker on a still scene (pixels changed) | none | ordered | diffusion |\n");
        std::printf("|---|---|---|---|\n");
        std::printf("| the same frame twice | %.2f %% | %.2f %% | %.2f %% |\n", still[0], still[1], still[2]);
        std::printf("| with sensor noise (sigma 2) | %.2f %% | %.2f %% | %.2f %% |\n", noisy[0], noisy[1], noisy[2]);
    } else {
        std::printf("\nflicker on a still scene: share of pixels changed between two frames of %zu pictures\n",
                    all.size());
        std::printf("%-20s %11.2f%% %19.2f%% %19.2f%%\n", "same frame", still[0], still[1], still[2]);
        std::printf("%-20s %11.2f%% %19.2f%% %19.2f%%\n", "sensor noise", noisy[0], noisy[1], noisy[2]);
    }
    return 0;
}
