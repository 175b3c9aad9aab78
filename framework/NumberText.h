// Text of numbers: integers in decimal and floating-point values in the general and fixed
// formats, with the decimal separator of the user's locale. Pure functions of their
// arguments and of the format settings passed (or the process default); any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct TFormatSettings {
    std::string DecimalSeparator = ".";
};

// The process-wide settings used by the overloads without a settings argument. On first use
// they take the decimal separator of the environment's LC_NUMERIC locale ("." when the
// locale is unknown or "C"); a program may change them afterwards (UI thread only).
TFormatSettings& DefaultFormatSettings();

// The settings of the environment's locale, read afresh.
TFormatSettings LocaleFormatSettings();

std::string IntToStr(std::int64_t value);

// Decimal text with an optional leading '+' or '-' and no spaces, within the 32-bit range.
// Anything else raises EConvertError naming the text.
int StrToInt(std::string_view text);
int StrToIntDef(std::string_view text, int defaultValue) noexcept;
bool TryStrToInt(std::string_view text, int& value) noexcept;

enum TFloatFormat { ffGeneral, ffFixed };

// FloatToStrF(value, format, precision, digits). The value's decimal digits (18 significant
// digits of the extended value) are rounded half away from zero (half up on the magnitude).
//
// ffGeneral: rounded to `precision` significant digits (1..18), trailing zeros dropped. The
//   value is written in positional form when it has at most `precision` integer digits and
//   is at least 0.00001 in magnitude, else in scientific form: first digit, the remaining
//   significant digits after the separator (if any), 'E', '-' for a negative exponent, and
//   the exponent with at least `digits` (0..4) digits. 0 is "0".
// ffFixed: rounded to whichever keeps fewer digits, `precision` significant digits or
//   `digits` (0..18) decimals, then written with exactly `digits` decimals and at least one
//   integer digit (8/8.658 with 3, 2 gives "0.92"; 0 gives "0.00"). A value whose integer
//   part needs more than `precision` digits after that rounding is written in the general
//   scientific form above with no leading exponent zeros (1182.7 with 3, 2 gives "1.18E3").
// Infinities and NaN give "INF", "-INF" and "NAN". Negative values carry a leading '-'
// unless they round to zero.
std::string FloatToStrF(long double value, TFloatFormat format, int precision, int digits,
                        const TFormatSettings& settings);
std::string FloatToStrF(long double value, TFloatFormat format, int precision, int digits);

// General format with 15 significant digits.
std::string FloatToStr(long double value);
