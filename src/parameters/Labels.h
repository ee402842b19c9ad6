// Stateless unit labels.
#pragma once

#include <algorithm>
#include <cstddef>

namespace Kestrune::Parameters
{

// A string literal as a template argument.
template <std::size_t N> struct LabelString
{
    constexpr LabelString(const char (&literal)[N]) { std::copy_n(literal, N, text); }
    char text[N];
};

template <LabelString Unit> struct UnitLabel
{
    static const char* Text() { return Unit.text; }
};

} // namespace Kestrune::Parameters
