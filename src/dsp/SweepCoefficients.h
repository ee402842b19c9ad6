#pragma once

namespace Kestrune::Effects
{

// One channel's per-sample sweep inputs; each buffer holds at least the samples asked for.
struct SweepInputs
{
    const float* depth1;
    const float* source1;
    const float* depth2;
    const float* source2;
    const float* frequency; // centre frequency in Hz
};

// [audio] a[i] for i in 0..count-1: the first-order all-pass coefficient (1 - w) / (1 + w) at
// w = 2^e x frequency[i] x inverseHalfRate, the swept frequency as a fraction of half the sample
// rate, with e = depth1[i] x source1[i] + source2[i] x depth2[i] octaves and 2^e the phaser's
// polynomial Pow2 (Phaser::Pow2). One division per sample: a = 1 - 2v / (u + v) with u = 1,
// v = w for e >= 0 and u = Pow2(|e|), v = frequency x inverseHalfRate for e < 0, which equals the
// formula above and loses less to rounding where a is near 1. A NaN exponent counts as 0; w not
// above 0 (negative, zero or NaN frequency) gives 1; w beyond the float range gives -1.
void ComputeSweepCoefficients(const SweepInputs& in, float inverseHalfRate, float* a, int count);

} // namespace Kestrune::Effects
