// Stateless displays: Format(setting, text, size) writes at most size - 1 characters and a
// terminating zero; longer text is cut. Numbers never depend on the process locale.
#pragma once

#include "base/Text.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace Kestrune::Parameters
{

// "%d" of x rounded half away from zero. Magnitudes beyond 32-bit range (only from stored
// values far outside 0..1) print their digits instead of overflowing the conversion.
inline void FormatRounded(double x, char* text, std::size_t size)
{
    if (std::fabs(x) < 1e9)
        Base::FormatInteger(Base::RoundHalfAway(x), text, size);
    else
        Base::FormatFixed(x, 0, text, size);
}

// "%.3f": 0.8 -> "0.800"; 2500 -> "2500.00" and 10000 -> "10000.0" once cut to 7 characters.
struct FloatDisplay
{
    static void Format(float setting, char* text, std::size_t size)
    {
        Base::FormatFixed(setting, 3, text, size);
    }
};

// Percent as an integer, rounded half away from zero: 0.0625 -> "6".
struct ScaledFloatDisplay
{
    static void Format(float setting, char* text, std::size_t size)
    {
        FormatRounded(static_cast<double>(setting) * 100.0, text, size);
    }
};

// Gain in decibels with two decimals; exactly 0 is "-oo". A negative gain (from a stored value
// below 0) shows the level of its magnitude rather than "nan".
struct DecibelDisplay
{
    static void Format(float setting, char* text, std::size_t size)
    {
        if (setting == 0.0f)
        {
            Base::CopyText(text, size, "-oo");
            return;
        }
        const double magnitude = std::fabs(static_cast<double>(setting));
        Base::FormatFixed(20.0 * std::log10(magnitude), 2, text, size);
    }
};

// Wet proportion 0..1 as -100 (dry) to 100 (wet).
struct WetDryDisplay
{
    static void Format(float setting, char* text, std::size_t size)
    {
        const double balance = 2.0 * static_cast<double>(setting) - 1.0;
        FormatRounded(balance * 100.0, text, size);
    }
};

struct EnabledDisplay
{
    static void Format(bool setting, char* text, std::size_t size)
    {
        Base::CopyText(text, size, setting ? "On" : "Off");
    }
};

// For table displays: the entry at index, clamped into the table.
template <std::size_t N>
inline void FormatChoice(const char* const (&table)[N], int index, char* text, std::size_t size)
{
    static_assert(N > 0);
    const int last = static_cast<int>(N) - 1;
    Base::CopyText(text, size, table[std::clamp(index, 0, last)]);
}

} // namespace Kestrune::Parameters
