#include "dsp/SweepCoefficients.h"

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
    const int whole = count - count % 4;
    for (int i = 0; i < whole; i += 4)
        SweepCoefficientsWhole(in, i, k).Store(a + i);
    if (whole == count)
        return;
    float out[4];
    SweepCoefficientsPartial(in, whole, count - whole, k).Store(out);
    for (int j = 0; j < count - whole; ++j)
        a[whole + j] = out[j];
}

} // namespace Kestrune::Effects
