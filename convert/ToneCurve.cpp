#include "convert/ToneCurve.h"

#include <cmath>

TToneCurve::TToneCurve(double gamma)
{
    for (int sum = 0; sum <= GreySumMax; ++sum) {
        const double g = static_cast<double>(sum) / GreySumMax;
        // pow(g, 1) is g, but g * 765 need not give back the sum bit for bit: gamma 1 keeps it.
        const double tone = gamma == 1.0 ? sum : std::pow(g, 1.0 / gamma) * GreySumMax;
        tone_[static_cast<std::size_t>(sum)] = tone;
        rounded_[static_cast<std::size_t>(sum)] = static_cast<int>(std::lround(tone));
    }
}
