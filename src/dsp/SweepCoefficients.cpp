#include "dsp/SweepCoefficients.h"

#include "dsp/Buffers.h"

namespace Kestrune::Effects
{

using Simd::Float4;
using SweepDetail::Coefficient;
using SweepDetail::SignedPower;

Float4 SweepCoefficientsPartial(const SweepInputs& in, int i, int n, Float4 inverseHalfRate)
{
    // Through the same lanes, padded with zeros: the buffers may end right after sample i + n - 1.
    float lanes[5][4] = {};
    for (int j = 0; j < n; ++j)
    {
        lanes[0][j] = in.depth1[i + j];
        lanes[1][j] = in.source1[i + j];
        lanes[2][j] = in.depth2[i + j];
        lanes[3][j] = in.source2[i + j];
        lanes[4][j] = in.frequency[i + j];
    }
    const Float4 power = SignedPower(Float4::Load(lanes[0]), Float4::Load(lanes[1]),
                                     Float4::Load(lanes[2]), Float4::Load(lanes[3]));
    return Coefficient(power, Float4::Load(lanes[4]), inverseHalfRate);
}

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
    float out[4];
    SweepCoefficientsPartial(in, whole, count - whole, k).Store(out);
    for (int j = 0; j < count - whole; ++j)
        a[whole + j] = out[j];
}

} // namespace Kestrune::Effects
