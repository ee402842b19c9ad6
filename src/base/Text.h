// Text and rounding helpers everything shares. Formatting never depends on the
// process locale: a host running with a comma as decimal separator still shows "2500.00".
#pragma once

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace Kestrune::Base
{

// Magnitude plus one half, truncated, sign restored: halves move away from zero. x must lie
// within long's range; RoundHalfAwayIn takes any value.
inline long RoundHalfAway(double x)
{
    const double r = std::trunc(std::fabs(x) + 0.5);
    return static_cast<long>(x < 0 ? -r : r);
}

// RoundHalfAway held to low..high. The bounds are applied before the conversion, so a value no
// integer holds (a stored value far outside 0..1, scaled) lands at the nearer end instead of
// overflowing it; NaN gives low.
inline int RoundHalfAwayIn(double x, int low, int high)
{
    if (!(x > static_cast<double>(low)))
        return low;
    if (!(x < static_cast<double>(high)))
        return high;
    return static_cast<int>(RoundHalfAway(x));
}

// Equal ignoring ASCII case, as Win32 compares class names and resource keywords.
inline bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y)
                      {
                          return std::tolower(static_cast<unsigned char>(x)) ==
                                 std::tolower(static_cast<unsigned char>(y));
                      });
}

// At most size - 1 characters, always zero-terminated; the rest of the field is zero-filled.
inline void CopyText(char* text, std::size_t size, const char* source)
{
    if (text == nullptr || size == 0)
        return;
    std::memset(text, 0, size);
    if (source == nullptr)
        return;
    // A measured copy rather than strncpy, which gcc flags wherever a cut is intended.
    std::size_t length = 0;
    while (length < size - 1 && source[length] != '\0')
        ++length;
    std::memcpy(text, source, length);
}

// Fixed-point text with the given number of decimals (like "%.3f"), cut to size - 1 chars.
inline void FormatFixed(double value, int decimals, char* text, std::size_t size)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer - 1, value,
                                      std::chars_format::fixed, decimals);
    *(result.ec == std::errc() ? result.ptr : buffer) = '\0';
    CopyText(text, size, buffer);
}

// "%.Nf" of a float for N up to 3, as FormatFixed writes it, without a general conversion at
// each call (parameter changes format their text): the float times 10^N is exact in a double,
// so rounding that to an integer, ties to even as the conversion does, gives the same digits.
inline void FormatFixed(float value, int decimals, char* text, std::size_t size)
{
    constexpr long long kScales[] = {1, 10, 100, 1000};
    const double magnitude = std::fabs(static_cast<double>(value));
    if (decimals < 0 || decimals > 3 || !(magnitude < 1e12))
        return FormatFixed(static_cast<double>(value), decimals, text, size);
    const long long scale = kScales[decimals];
    const double scaled = magnitude * static_cast<double>(scale);
    auto units = static_cast<long long>(scaled);
    const double rest = scaled - static_cast<double>(units);
    if (rest > 0.5 || (rest == 0.5 && units % 2 != 0))
        ++units;
    char buffer[32];
    char* end = buffer;
    if (std::signbit(value))
        *end++ = '-';
    end = std::to_chars(end, buffer + sizeof buffer, units / scale).ptr;
    if (decimals > 0)
    {
        *end++ = '.';
        long long fraction = units % scale;
        for (long long digit = scale / 10; digit > 0; digit /= 10)
        {
            *end++ = static_cast<char>('0' + fraction / digit);
            fraction %= digit;
        }
    }
    *end = '\0';
    CopyText(text, size, buffer);
}

// Integer text (like "%d"), cut to size - 1 chars.
inline void FormatInteger(long value, char* text, std::size_t size)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer - 1, value);
    *(result.ec == std::errc() ? result.ptr : buffer) = '\0';
    CopyText(text, size, buffer);
}

} // namespace Kestrune::Base
