// Integer and floating-point arithmetic as the program's numbers are defined: "round" is to
// nearest with halves to even (std::nearbyint under the default rounding mode), "trunc" and
// "div"/"mod" truncate toward zero. WordBool is the 16-bit boolean of the component
// interfaces: True is -1, False is 0, and any non-zero value reads as true.
#pragma once

#include "framework/Exceptions.h"

#include <cmath>
#include <concepts>
#include <cstdint>
#include <limits>

using WordBool = std::int16_t;
constexpr WordBool WordTrue = -1;
constexpr WordBool WordFalse = 0;

constexpr WordBool ToWordBool(bool value) noexcept { return value ? WordTrue : WordFalse; }
constexpr bool FromWordBool(WordBool value) noexcept { return value != 0; }

namespace arithmetic_detail {
[[noreturn]] void ThrowInvalidFloat();

template <std::floating_point F>
std::int64_t CheckedToInt64(F value)
{
    // 2^63 is exactly representable; anything at or beyond it (or NaN) has no int64 value.
    constexpr F limit = static_cast<F>(9223372036854775808.0L);
    if (!(value >= -limit && value < limit))
        ThrowInvalidFloat();
    return static_cast<std::int64_t>(value);
}
} // namespace arithmetic_detail

// Nearest integer, halves to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). NaN or a value outside
// the 64-bit range raises EConvertError.
template <std::floating_point F>
std::int64_t Round(F value)
{
    return arithmetic_detail::CheckedToInt64(std::nearbyint(value));
}

// Integer part, toward zero (-2.625 -> -2). NaN or out of range raises EConvertError.
template <std::floating_point F>
std::int64_t Trunc(F value)
{
    return arithmetic_detail::CheckedToInt64(std::trunc(value));
}

// Integer division truncating toward zero. Division by zero raises EDivByZero; the one
// overflowing case (minimum / -1) wraps to the minimum as two's complement hardware does.
template <std::signed_integral I>
I Div(I a, I b)
{
    if (b == 0)
        throw EDivByZero();
    if (b == -1)
        return static_cast<I>(static_cast<std::make_unsigned_t<I>>(0) - static_cast<std::make_unsigned_t<I>>(a));
    return a / b;
}

// Remainder with the sign of the dividend (-7 mod 3 = -1).
template <std::signed_integral I>
I Mod(I a, I b)
{
    if (b == 0)
        throw EDivByZero();
    if (b == -1)
        return 0;
    return a % b;
}
