#include "dsp/SweepCoefficients.h"

#include "dsp/Buffers.h"
#include "dsp/Simd.h"

namespace Kestrune::Effects
{

namespace
{

using Simd::Float4;

// Pow2(|e|) with the sign of e, four samples at a time: the phaser's polynomial, whose
// reciprocal for e < 0 is left to the division in Coefficient. The operations per lane are
// those of Phaser::Pow2 in the same order, so the magnitude has the same bits.
Float4 SignedPower(Float4 depth1, Float4 source1, Float4 depth2, Float4 source2)
{
    const Float4 sign = Float4::Broadcast(-0.0f);
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
Float4 Coefficient(Float4 signedPower, Float4 frequency, Float4 k)
{
    const Float4 one = Float4::Broadcast(1.0f);
    const Float4 u = Max(one, Xor(Float4::Broadcast(-0.0f), signedPower));
    const Float4 g = Max(one, signedPower);
    const Float4 v = g * Max(frequency, Float4::Broadcast(0.0f)) * k;
    return Max(one - (v + v) / (u + v), Float4::Broadcast(-1.0f));
}

} // namespace

void ComputeSweepCoefficients(const SweepInputs& in, float inverseHalfRate, float* a, int count)
{
    const Float4 k = Float4::Broadcast(inverseHalfRate);
    const float* depth1 = in.depth1;
    const float* source1 = in.source1;
    const float* depth2 = in.depth2;
    const float* source2 = in.source2;
    const float* frequency = in.frequency;
    const int whole = count - count % 4;

    // Two short passes rather than one long one: each sample's chain of dependent operations
    // is shorter, so more samples are in flight at once.
    if (depth2 == SilenceBuffer && source2 == SilenceBuffer)
    {
        // The second term is 0 x 0: leaving it out changes no bit of the result.
        const Float4 zero = Float4::Broadcast(0.0f);
        for (int i = 0; i < whole; i += 4)
            SignedPower(Float4::Load(depth1 + i), Float4::Load(source1 + i), zero, zero)
                .Store(a + i);
    }
    else
    {
        for (int i = 0; i < whole; i += 4)
        {
            SignedPower(Float4::Load(depth1 + i), Float4::Load(source1 + i),
                        Float4::Load(depth2 + i), Float4::Load(source2 + i))
                .Store(a + i);
        }
    }
    for (int i = 0; i < whole; i += 4)
        Coefficient(Float4::Load(a + i), Float4::Load(frequency + i), k).Store(a + i);

    if (whole == count)
        return;
    // The last one to three samples go through the same lanes, padded with zeros: the buffers
    // may end right after the slice.
    const int rest = count - whole;
    float lanes[5][4] = {};
    float out[4];
    for (int j = 0; j < rest; ++j)
    {
        lanes[0][j] = depth1[whole + j];
        lanes[1][j] = source1[whole + j];
        lanes[2][j] = depth2[whole + j];
        lanes[3][j] = source2[whole + j];
        lanes[4][j] = frequency[whole + j];
    }
    const Float4 power = SignedPower(Float4::Load(lanes[0]), Float4::Load(lanes[1]),
                                     Float4::Load(lanes[2]), Float4::Load(lanes[3]));
    Coefficient(power, Float4::Load(lanes[4]), k).Store(out);
    for (int j = 0; j < rest; ++j)
        a[whole + j] = out[j];
}

} // namespace Kestrune::Effects
