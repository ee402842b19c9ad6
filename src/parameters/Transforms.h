// Stateless transforms from a normalised value (nominally 0 to 1) to an owner's setting.
// Arithmetic in double; float settings are stored as 32-bit floats.
#pragma once

#include "base/Text.h"

#include <algorithm>

namespace Kestrune::Parameters
{

// s = v
struct LinearTransform
{
    using Value = float;
    static float Convert(float v) { return v; }
};

// s = v * v
struct ExponentialTransform
{
    using Value = float;
    static float Convert(float v)
    {
        const double x = static_cast<double>(v);
        return static_cast<float>(x * x);
    }
};

// true from 0.5 upward
struct BooleanTransform
{
    using Value = bool;
    static bool Convert(float v) { return v >= 0.5f; }
};

// Index 0..N-1: v * (N - 1) rounded half away from zero. A value outside 0..1 is clamped to
// the first or last index, so a table display never reads past its table.
template <int N> struct SelectionTransform
{
    static_assert(N >= 1);
    using Value = int;
    static int Convert(float v)
    {
        const double last = static_cast<double>(N - 1);
        const double x = std::clamp(static_cast<double>(v) * last, 0.0, last);
        return static_cast<int>(Base::RoundHalfAway(x));
    }
};

} // namespace Kestrune::Parameters
