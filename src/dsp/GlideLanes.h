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
// value += (aim - value) x coefficient while the value lies short of the target, the output that
// value bounded by the target, then the target. A falling glide's comparison and bound are done
// on sign-flipped copies (the bit flip is exact). Lanes without a glide repeat lane 0: they write
// the same values into the same buffer. The float difference must not overflow (glides across
// most of the float range start in the smoother's wide steps).
struct GlideLanes
{
    Simd::Float4 value;
    Simd::Float4 target;
    Simd::Float4 aim;
    Simd::Float4 coefficient;
    Simd::Float4 sign;         // -0 in falling lanes, +0 in rising ones
    Simd::Float4 signedTarget; // target with the lane's sign flipped
    Simd::Float4 moving;       // mask: the lane stepped its latest sample
    float* output[4];

    // Lanes from glides[0..count-1] (1 to 4), from their current values.
    static GlideLanes Pack(const Glide* glides, int count);

    // Sample i of every lane; samples go from 0 up, one at a time.
    void Step(int i)
    {
        using Simd::Float4;
        // value < target rising, value > target falling.
        moving = Less(Xor(value, sign), signedTarget);
        const Float4 next = value + (aim - value) * coefficient;
        value = Or(And(moving, next), AndNot(moving, value));
        // std::min(next, target) rising, std::max(next, target) falling.
        const Float4 bounded = Xor(Min(signedTarget, Xor(next, sign)), sign);
        Or(And(moving, bounded), AndNot(moving, target))
            .StoreLanes(output[0] + i, output[1] + i, output[2] + i, output[3] + i);
    }

    // After at least one step: the value lane k reached, and whether its glide stopped before
    // the latest sample (the smoother has then arrived).
    void Result(int k, float& reached, bool& stopped) const;
};

} // namespace Kestrune::Parameters
