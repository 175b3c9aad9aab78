// The tone curve applied to a pixel's grey before it is brought to 16 levels. A grey is the
// sum of a colour's three bytes, 0 (black) to 765 (white), as the conversion reads it.
#pragma once

#include <array>

constexpr int GreySumMax = 765;

class TToneCurve {
public:
    // gamma 1 is the identity: every sum maps to itself, exactly.
    explicit TToneCurve(double gamma);

    // The grey after the curve, 0..765, unrounded.
    double Tone(int sum) const { return tone_[static_cast<std::size_t>(sum)]; }
    // The same rounded to a whole sum, for the plain conversion's integer arithmetic.
    int RoundedSum(int sum) const { return rounded_[static_cast<std::size_t>(sum)]; }

private:
    std::array<double, GreySumMax + 1> tone_;
    std::array<int, GreySumMax + 1> rounded_;
};
