#pragma once

#include "dsp/Simd.h"

namespace Kestrune::Parameters
{

// One slice of a smoother's exponential glide: from current towards aim (0.0001 beyond target,
// so that it arrives in finite time), output[i] for i in 0..count-1 bounded by target.
struct Glide
{
    float current;
    float target;
    float aim;
    float coefficient;
    bool falling;
    float* output;
    int count;
};

// Glides stepped together, one per lane: the one place a glide's samples are computed, whether
// a smoother steps its own or a processing loop steps several beside its own work. Each step is
// value += (aim - value) x coefficient, the output that value bounded by the target: a rising
// glide's ceiling, a falling one's floor, the other bound infinite. Lanes without a glide
// repeat lane 0: they write the same values into the same buffer. The float difference must not
// overflow (glides across most of the float range start in the smoother's wide steps).
//
// A glide stops at the first value at or past its target. The steps go on past it unmasked:
// from there every value lies between the target and the aim, so every output is the target,
// as a stopped glide's is. Only the value it stopped at is then unknown, and Result retraces it;
// that happens once per glide, in the slice where it arrives.
struct GlideLanes
{
    Simd::Float4 value;
    Simd::Float4 start;
    Simd::Float4 aim;
    Simd::Float4 coefficient;
    Simd::Float4 ceiling; // the target rising, +infinity falling
    Simd::Float4 floor;   // -infinity rising, the target falling
    float* output[4];

    // Lanes from glides[0..count-1] (1 to 4), from their current values.
    static GlideLanes Pack(const Glide* glides, int count);

    // Sample i of every lane; samples go from 0 up, one at a time or four at a time.
    void Step(int i)
    {
        value = Next(value);
        Bounded(value).StoreLanes(output[0] + i, output[1] + i, output[2] + i, output[3] + i);
    }
    // Samples i to i + 3: one store per lane instead of four.
    void StepFour(int i)
    {
        Simd::Float4 rows[4];
        for (Simd::Float4& row : rows)
        {
            value = Next(value);
            row = Bounded(value);
        }
        Transpose(rows[0], rows[1], rows[2], rows[3]);
        for (int k = 0; k < 4; ++k)
            rows[k].Store(output[k] + i);
    }

    // After steps 0 to count-1: the value lane k stopped at or reached, and whether it stopped
    // before the last step (the smoother has then arrived).
    void Result(int k, int count, float& reached, bool& stopped) const;

private:
    Simd::Float4 Next(Simd::Float4 v) const { return v + (aim - v) * coefficient; }
    // std::min(v, target) rising, std::max(v, target) falling: v itself when equal (so a glide
    // landing on the other zero keeps its sign).
    Simd::Float4 Bounded(Simd::Float4 v) const { return Max(floor, Min(ceiling, v)); }
    // Mask: v short of the target (below it rising, above it falling).
    Simd::Float4 Short(Simd::Float4 v) const { return And(Less(v, ceiling), Less(floor, v)); }
};

} // namespace Kestrune::Parameters
