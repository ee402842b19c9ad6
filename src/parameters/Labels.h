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

using FrequencyLabel = UnitLabel<"Hz">;
using LevelLabel = UnitLabel<"Level">;
using DepthLabel = UnitLabel<"Depth">;
using ModeLabel = UnitLabel<"Mode">;
using WetDryLabel = UnitLabel<"Dry/Wet">;
using EnabledLabel = UnitLabel<"On/Off">;
using SourceLabel = UnitLabel<"Source">;
using ResolutionLabel = UnitLabel<"Res">;

} // namespace Kestrune::Parameters
