#include "convert/SizeEstimate.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

// Decimal digits of v (v > 0): value = 0.digits x 10^integerDigits.
struct DecimalDigits {
    std::string digits;
    int integerDigits = 0;
};

DecimalDigits ToDecimalDigits(long double v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.19Le", v); // d.ddd...de+XX, 20 significant digits
    const std::string_view s(text);
    const auto e = s.find('e');
    DecimalDigits d;
    d.digits = std::string(1, s[0]) + std::string(s.substr(2, e - 2));
    d.integerDigits = std::atoi(text + e + 1) + 1;
    return d;
}

} // namespace

std::string FormatLengthSeconds(long double seconds, char decimalSeparator)
{
    const std::string sign = seconds < 0 ? "-" : "";
    const long double magnitude = std::fabs(seconds);
    long long mantissa = 0; // the kept significant digits, rounded half up
    int scale = 0;          // value = mantissa x 10^scale
    if (magnitude > 0) {
        const DecimalDigits d = ToDecimalDigits(magnitude);
        const int kept = std::min(3, d.integerDigits + 2);
        scale = d.integerDigits - kept;
        if (kept >= 0) {
            for (int i = 0; i < kept; ++i)
                mantissa = mantissa * 10 + (d.digits[i] - '0');
            if (d.digits[kept] >= '5')
                ++mantissa;
        }
    }
    if (mantissa == 0)
        return std::string("0") + decimalSeparator + "00";

    const std::string m = std::to_string(mantissa);
    const int integerDigits = static_cast<int>(m.size()) + scale;
    if (integerDigits > 3) {
        std::string rest = m.substr(1);
        while (!rest.empty() && rest.back() == '0')
            rest.pop_back();
        std::string text = sign + m.substr(0, 1);
        if (!rest.empty())
            text += decimalSeparator + rest;
        return text + "E" + std::to_string(integerDigits - 1);
    }
    // scale >= -2 here, so the value is a whole number of hundredths.
    std::string hundredths = m + std::string(static_cast<std::size_t>(scale + 2), '0');
    if (hundredths.size() < 3)
        hundredths.insert(0, 3 - hundredths.size(), '0');
    return sign + hundredths.substr(0, hundredths.size() - 2) + decimalSeparator + hundredths.substr(hundredths.size() - 2);
}

std::string SizeLine(int framesPerFile, int fileCount, bool multiFile, char decimalSeparator)
{
    const long double frames = multiFile ? static_cast<long double>(fileCount) * framesPerFile : framesPerFile;
    const long long perFile = std::llrint(std::nearbyint(framesPerFile * KqFrameKo));
    const long long total = multiFile ? std::llrint(std::nearbyint(frames * KqFrameKo)) : perFile;
    const long double length = frames / KqFramesPerSecond;
    return "Infos : " + std::to_string(perFile) + " Ko/files, total " + std::to_string(total) + " Ko. Length : " +
           FormatLengthSeconds(length, decimalSeparator) + " sec.";
}
