#pragma once

#include "dsp/Simd.h"

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

// The same coefficients for four consecutive samples from index i, one per lane, for loops that
// interleave them with other work. Whole reads all four samples of every buffer; Partial reads
// only the first n (1 to 3) and gives padding in the other lanes. The lanes have the bits
// ComputeSweepCoefficients gives the same samples.
Simd::Float4 SweepCoefficientsWhole(const SweepInputs& in, int i, Simd::Float4 inverseHalfRate);
Simd::Float4 SweepCoefficientsPartial(const SweepInputs& in, int i, int n,
                                      Simd::Float4 inverseHalfRate);

namespace SweepDetail
{

using Simd::Float4;

// Pow2(|e|) with the sign of e, four samples at a time: the phaser's polynomial, whose
// reciprocal for e < 0 is left to the division in Coefficient. The operations per lane are
// those of Phaser::Pow2 in the same order, so the magnitude has the same bits.
inline Float4 SignedPower(Float4 depth1, Float4 source1, Float4 depth2, Float4 source2)
{
    const Float4 sign = Float4::Broadcast(-0.0f);
    // Depths are used within 30 octaves, whatever the buffers hold (NaN stays NaN: the second
    // operand wins in Min and Max). A deeper sweep would only jump between the range's extremes.
    const Float4 limit = Float4::Broadcast(30.0f);
    const Float4 negativeLimit = Float4::Broadcast(-30.0f);
    depth1 = Max(negativeLimit, Min(limit, depth1));
    depth2 = Max(negativeLimit, Min(limit, depth2));
    const Float4 e = depth1 * source1 + source2 * depth2;
    // A NaN exponent becomes 0 (Max answers its second operand); |e| is limited to 30 so the
    // power of two stays exact.
    const Float4 y = Min(Max(AndNot(sign, e), Float4::Broadcast(0.0f)), Float4::Broadcast(30.0f));
    Float4 whole, exponent;
    SplitWhole(y, whole, exponent);
    const Float4 f = y - whole;
    // 1 <= q < 2, so adding n to its exponent is q x 2^n.
    const Float4 q =
        Float4::Broadcast(1.0f) + Float4::Broadcast(0.333333f) * f * (f + Float4::Broadcast(2.0f));
    return Or(ScaleByExponent(q, exponent), And(sign, e));
}

// The all-pass coefficient from a signed power s = +-p and the centre frequency:
// a = 1 - 2v / (u + v) with u = 1, v = (p x frequency) x k for s > 0 and u = p, v = frequency x k
// for s < 0. Frequencies not above 0 (or NaN) give v = 0, so a = 1; v beyond the float range gives
// inf / inf = NaN, which Max turns into -1, the limit of a for huge w.
inline Float4 Coefficient(Float4 signedPower, Float4 frequency, Float4 k)
{
    const Float4 one = Float4::Broadcast(1.0f);
    const Float4 u = Max(one, Xor(Float4::Broadcast(-0.0f), signedPower));
    const Float4 g = Max(one, signedPower);
    const Float4 v = g * Max(frequency, Float4::Broadcast(0.0f)) * k;
    return Max(one - (v + v) / (u + v), Float4::Broadcast(-1.0f));
}

} // namespace SweepDetail

inline Simd::Float4 SweepCoefficientsWhole(const SweepInputs& in, int i,
                                           Simd::Float4 inverseHalfRate)
{
    using Simd::Float4;
    const Float4 power =
        SweepDetail::SignedPower(Float4::Load(in.depth1 + i), Float4::Load(in.source1 + i),
                                 Float4::Load(in.depth2 + i), Float4::Load(in.source2 + i));
    return SweepDetail::Coefficient(power, Float4::Load(in.frequency + i), inverseHalfRate);
}

} // namespace Kestrune::Effects
