// TSet<E>: a small set of the values of an unscoped enumeration whose ordinals are 0..31,
// as a bit mask (bit i = the value with ordinal i). A value type; any thread.
#pragma once

#include <cassert>
#include <cstdint>
#include <initializer_list>

template <class E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> values)
    {
        for (E value : values)
            Include(value);
    }
    static constexpr TSet FromBits(std::uint32_t bits)
    {
        TSet set;
        set.bits_ = bits;
        return set;
    }

    constexpr std::uint32_t Bits() const { return bits_; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr bool Contains(E value) const { return (bits_ & Bit(value)) != 0; }
    constexpr TSet& Include(E value)
    {
        bits_ |= Bit(value);
        return *this;
    }
    constexpr TSet& Exclude(E value)
    {
        bits_ &= ~Bit(value);
        return *this;
    }

    friend constexpr TSet operator+(TSet a, TSet b) { return FromBits(a.bits_ | b.bits_); }
    friend constexpr TSet operator-(TSet a, TSet b) { return FromBits(a.bits_ & ~b.bits_); }
    friend constexpr TSet operator*(TSet a, TSet b) { return FromBits(a.bits_ & b.bits_); }
    friend constexpr bool operator==(TSet a, TSet b) = default;

private:
    static constexpr std::uint32_t Bit(E value)
    {
        assert(static_cast<unsigned>(value) < 32);
        return std::uint32_t{1} << static_cast<unsigned>(value);
    }

    std::uint32_t bits_ = 0;
};
