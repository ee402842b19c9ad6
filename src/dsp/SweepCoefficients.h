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
// polynomial Pow2. For e < 0 the reciprocal of Pow2 is folded into the one division,
// a = (p - v) / (p + v) with p = Pow2(|e|) and v = frequency x inverseHalfRate, which differs from
// dividing twice only by rounding. A NaN exponent counts as 0; w that is not above 0 (negative,
// zero or NaN frequency) gives 1; w too large for the formula gives -1. No branch per sample.
void ComputeSweepCoefficients(const SweepInputs& in, float inverseHalfRate, float* a, int count);

} // namespace Kestrune::Effects
