#include "convert/PictureOptions.h"

#include <cmath>
#include <cstdlib>

const char* DitheringName(TDithering dithering)
{
    switch (dithering) {
    case TDithering::Ordered: return "ordered";
    case TDithering::Diffusion: return "diffusion";
    case TDithering::None: break;
    }
    return "none";
}

std::optional<TDithering> DitheringFromName(std::string_view name)
{
    for (TDithering d : {TDithering::None, TDithering::Ordered, TDithering::Diffusion})
        if (name == DitheringName(d))
            return d;
    return std::nullopt;
}

std::optional<double> GammaFromText(const std::string& text)
{
    // Plain decimals only: no spaces, signs, exponents, "inf" or "nan" that strtod would take.
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos)
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value) || value < GammaMin || value > GammaMax)
        return std::nullopt;
    return value;
}
