#include "framework/NumberText.h"

#include "framework/Arithmetic.h"
#include "framework/Exceptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>
#include <locale.h>

void arithmetic_detail::ThrowInvalidFloat()
{
    throw EConvertError("Opération en virgule flottante incorrecte");
}

TFormatSettings LocaleFormatSettings()
{
    TFormatSettings settings;
    locale_t locale = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr))
        return settings;
    const char* radix = nl_langinfo_l(RADIXCHAR, locale);
    if (radix != nullptr && *radix != '\0')
        settings.DecimalSeparator = radix;
    freelocale(locale);
    return settings;
}

TFormatSettings& DefaultFormatSettings()
{
    static TFormatSettings settings = LocaleFormatSettings();
    return settings;
}

std::string IntToStr(std::int64_t value)
{
    return std::to_string(value);
}

bool TryStrToInt(std::string_view text, int& value) noexcept
{
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    std::int64_t magnitude = 0;
    for (char c : digits) {
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > 2147483648LL)
            return false;
    }
    const std::int64_t result = negative ? -magnitude : magnitude;
    if (result > 2147483647LL)
        return false;
    value = static_cast<int>(result);
    return true;
}

int StrToInt(std::string_view text)
{
    int value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError("'" + std::string(text) + "' n'est pas une valeur entière valide");
    return value;
}

int StrToIntDef(std::string_view text, int defaultValue) noexcept
{
    int value = 0;
    return TryStrToInt(text, value) ? value : defaultValue;
}

namespace {

// A finite value as significant decimal digits: value = 0.d1d2d3... x 10^exponent.
// An empty digit string is zero.
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

Decimal ToDecimal(long double value)
{
    Decimal d;
    d.negative = std::signbit(value);
    const long double magnitude = std::fabs(value);
    if (magnitude == 0)
        return d;
    char text[64];
    std::snprintf(text, sizeof text, "%.17Le", magnitude); // d.ddd...de[+-]xx: 18 digits
    const char* e = std::strchr(text, 'e');
    d.digits.push_back(text[0]);
    d.digits.append(text + 2, static_cast<std::size_t>(e - (text + 2)));
    d.exponent = std::atoi(e + 1) + 1;
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

// Keeps `count` significant digits, rounding half up on the magnitude.
void RoundDigits(Decimal& d, int count)
{
    if (d.digits.empty() || count >= static_cast<int>(d.digits.size()))
        return;
    if (count < 0) {
        d.digits.clear();
        return;
    }
    const bool up = d.digits[count] >= '5';
    d.digits.resize(count);
    if (up) {
        int i = count - 1;
        while (i >= 0 && d.digits[i] == '9') {
            d.digits[i] = '0';
            --i;
        }
        if (i >= 0) {
            ++d.digits[i];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty())
        d.exponent = 0;
}

std::string Scientific(const Decimal& d, int minExponentDigits, const TFormatSettings& settings)
{
    std::string text(1, d.digits[0]);
    if (d.digits.size() > 1)
        text += settings.DecimalSeparator + d.digits.substr(1);
    const int exponent = d.exponent - 1;
    std::string exponentText = std::to_string(std::abs(exponent));
    if (static_cast<int>(exponentText.size()) < minExponentDigits)
        exponentText.insert(0, minExponentDigits - exponentText.size(), '0');
    return text + "E" + (exponent < 0 ? "-" : "") + exponentText;
}

// Positional form; `decimals` < 0 means as many as the digits need.
std::string Positional(const Decimal& d, int decimals, const TFormatSettings& settings)
{
    std::string integerPart;
    std::string fraction;
    if (d.exponent <= 0) {
        integerPart = "0";
        fraction = std::string(-d.exponent, '0') + d.digits;
    } else {
        integerPart = d.digits.substr(0, std::min<std::size_t>(d.exponent, d.digits.size()));
        integerPart.append(d.exponent - integerPart.size(), '0');
        if (static_cast<int>(d.digits.size()) > d.exponent)
            fraction = d.digits.substr(d.exponent);
    }
    if (d.digits.empty()) {
        integerPart = "0";
        fraction.clear();
    }
    if (decimals >= 0)
        fraction.resize(decimals, '0');
    return fraction.empty() ? integerPart : integerPart + settings.DecimalSeparator + fraction;
}

} // namespace

std::string FloatToStrF(long double value, TFloatFormat format, int precision, int digits,
                        const TFormatSettings& settings)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    precision = std::clamp(precision, 1, 18);
    Decimal d = ToDecimal(value);
    std::string text;
    if (format == ffGeneral) {
        digits = std::clamp(digits, 0, 4);
        RoundDigits(d, precision);
        if (d.digits.empty())
            return "0";
        text = (d.exponent > precision || d.exponent < -4) ? Scientific(d, digits, settings)
                                                            : Positional(d, -1, settings);
    } else {
        digits = std::clamp(digits, 0, 18);
        RoundDigits(d, std::min(precision, d.exponent + digits));
        text = d.exponent > precision ? Scientific(d, 1, settings) : Positional(d, digits, settings);
    }
    return (d.negative && !d.digits.empty()) ? "-" + text : text;
}

std::string FloatToStrF(long double value, TFloatFormat format, int precision, int digits)
{
    return FloatToStrF(value, format, precision, digits, DefaultFormatSettings());
}

std::string FloatToStr(long double value)
{
    return FloatToStrF(value, ffGeneral, 15, 0);
}
