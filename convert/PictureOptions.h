// How the greys of a movie frame are made beyond brightness and contrast: the dithering to
// the 16 levels and the tone curve before it. The default (no dithering, gamma 1) is the
// converter's plain conversion, byte for byte; the window's preview, its capture runs and
// kqltool all take their settings from one of these.
#pragma once

#include <optional>
#include <string>
#include <string_view>

enum class TDithering {
    None,      // each pixel on its own: the plain conversion
    Ordered,   // a fixed 4 x 4 threshold matrix: the same picture always gives the same pixels
    Diffusion, // Floyd-Steinberg, serpentine: the finest greys, but it shimmers on moving video
};

constexpr double GammaMin = 0.5;
constexpr double GammaMax = 2.5;

struct TPictureOptions {
    TDithering dithering = TDithering::None;
    // The tone curve: grey g (0 black .. 1 white) becomes g^(1/gamma). Above 1 the mid greys
    // come out lighter, below 1 darker; 1 leaves every grey as it is. GammaMin..GammaMax.
    double gamma = 1.0;

    bool operator==(const TPictureOptions&) const = default;
};

// "none", "ordered", "diffusion".
const char* DitheringName(TDithering dithering);
std::optional<TDithering> DitheringFromName(std::string_view name);

// A gamma written as a decimal number ("1.8"), within GammaMin..GammaMax; nothing otherwise.
std::optional<double> GammaFromText(const std::string& text);
