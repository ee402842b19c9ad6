#include "dsp/SweepCoefficients.h"

#include "dsp/Buffers.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

using Kestrune::SilenceBuffer;
using Kestrune::Effects::ComputeSweepCoefficients;

namespace
{

// The formula in double precision from the float exponent; only 2^e's constant is the float one.
double ReferenceCoefficient(float e, float frequency, float k)
{
    if (std::isnan(e))
        e = 0.0f;
    const double y = std::min(std::fabs(static_cast<double>(e)), 30.0);
    const double n = std::floor(y);
    const double f = y - n;
    double p = (1.0 + static_cast<double>(0.333333f) * f * (f + 2.0)) * std::ldexp(1.0, int(n));
    if (e < 0.0f)
        p = 1.0 / p;
    const double w = p * static_cast<double>(frequency) * static_cast<double>(k);
    if (!(w > 0.0))
        return 1.0;
    return std::isinf(w) ? -1.0 : (1.0 - w) / (1.0 + w);
}

// Single-channel inputs with the second sweep term left silent unless set.
struct Sweep
{
    std::vector<float> depth, source, frequency;
    const float* depth2 = SilenceBuffer;
    const float* source2 = SilenceBuffer;

    explicit Sweep(std::size_t n) : depth(n), source(n), frequency(n) {}

    std::vector<float> Run(float k, int count, std::size_t extra = 0) const
    {
        std::vector<float> a(static_cast<std::size_t>(count) + extra, 7.0f);
        ComputeSweepCoefficients({depth.data(), source.data(), depth2, source2, frequency.data()},
                                 k, a.data(), count);
        return a;
    }
};

Sweep RandomSweep(std::size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> depth(0.0f, 3.0f), source(-1.0f, 1.0f),
        frequency(0.0f, 20000.0f);
    Sweep s(n);
    for (std::size_t i = 0; i < n; ++i)
    {
        s.depth[i] = depth(rng);
        s.source[i] = source(rng);
        s.frequency[i] = frequency(rng);
    }
    return s;
}

} // namespace

// Sweeps up to three octaves either way at three sample rates: every coefficient within a few
// float roundings of the formula (the ulp of values just below 1 is 6e-8).
TEST(SweepCoefficients, MatchesTheFormulaInDoublePrecision)
{
    // The silent second term reads the silence buffer, which holds this many samples.
    const int n = Kestrune::kMaxBlockSize;
    const Sweep sweep = RandomSweep(n, 1);
    for (const float halfRate : {22050.0f, 24000.0f, 48000.0f})
    {
        const float k = 1.0f / halfRate;
        const auto a = sweep.Run(k, n);
        double worst = 0.0;
        for (std::size_t i = 0; i < n; ++i)
        {
            const float e = sweep.depth[i] * sweep.source[i];
            const double expected = ReferenceCoefficient(e, sweep.frequency[i], k);
            worst = std::max(worst, std::fabs(a[i] - expected));
        }
        EXPECT_LT(worst, 3e-7) << "half rate " << halfRate;
    }
}

// Where w is a whole power of two the result is exact, on both sides of the folded reciprocal.
TEST(SweepCoefficients, ExactWherePowersOfTwoMeet)
{
    Sweep s(8);
    const float k = 1.0f / 16384.0f;
    const float cases[][3] = {
        // depth, source, frequency -> a
        {0.0f, 0.0f, 16384.0f},  // w = 1: a = 0
        {1.0f, 1.0f, 8192.0f},   // 2 x 8192 / 16384 = 1
        {1.0f, -1.0f, 32768.0f}, // 32768 / 2 / 16384 = 1
        {2.0f, -1.0f, 16384.0f}, // w = 1/4: a = 3/5
        {1.0f, 1.0f, 0.0f},      // 0 Hz: a = 1
        {0.5f, 0.0f, 49152.0f},  // w = 3: a = -1/2
    };
    const float expected[] = {0.0f, 0.0f, 0.0f, 0.6f, 1.0f, -0.5f};
    for (std::size_t i = 0; i < std::size(cases); ++i)
    {
        s.depth[i] = cases[i][0];
        s.source[i] = cases[i][1];
        s.frequency[i] = cases[i][2];
    }
    const auto a = s.Run(k, static_cast<int>(std::size(cases)));
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_FLOAT_EQ(a[i], expected[i]) << i;
    // Pow2 itself: exact at whole exponents.
    EXPECT_EQ(a[1], 0.0f);
    EXPECT_EQ(a[2], 0.0f);
}

// Values no setting produces still give a coefficient in [-1, 1]: the pole never leaves the
// unit circle and nothing non-finite reaches the cascade.
TEST(SweepCoefficients, EdgeValuesKeepThePoleInside)
{
    struct Case
    {
        float depth, source, frequency, expected;
    };
    const float nan = std::nanf("");
    const Case cases[] = {
        {1.0f, nan, 2500.0f, -2.0f},      // NaN exponent counts as 0 (checked against e = 0)
        {0.0f, 0.0f, nan, 1.0f},          // NaN frequency stands at 0 Hz
        {0.0f, 0.0f, -30000.0f, 1.0f},    // negative frequency too
        {0.0f, 0.0f, -0.0f, 1.0f},        //
        {0.0f, 0.0f, INFINITY, -1.0f},    // infinitely high: the limit
        {1.0f, 30.0f, FLT_MAX, -1.0f},    // w beyond the float range
        {1.0e6f, 1.0f, 2500.0f, -1.0f},   // exponent limited to 30 octaves up
        {1.0e6f, -1.0f, 2500.0f, 1.0f},   // and down
        {INFINITY, -1.0f, 2500.0f, 1.0f}, // infinite exponent is the limit, not NaN
        {1.0f, -1.0f, 1e-42f, 1.0f},      // subnormal frequency
    };
    Sweep s(std::size(cases) + 1);
    for (std::size_t i = 0; i < std::size(cases); ++i)
    {
        s.depth[i] = cases[i].depth;
        s.source[i] = cases[i].source;
        s.frequency[i] = cases[i].frequency;
    }
    // Last sample: the e = 0 twin of the first case.
    s.frequency.back() = 2500.0f;
    const auto a = s.Run(1.0f / 22050.0f, static_cast<int>(s.depth.size()));
    EXPECT_EQ(a[0], a.back());
    for (std::size_t i = 1; i < std::size(cases); ++i)
        EXPECT_EQ(a[i], cases[i].expected) << i;

    // Random bit patterns in every input.
    std::mt19937 rng(2);
    const int n = 4096;
    Sweep garbage(n);
    std::vector<float> depth2(n), source2(n);
    auto any = [&] { return std::bit_cast<float>(static_cast<std::uint32_t>(rng())); };
    for (std::size_t i = 0; i < n; ++i)
    {
        garbage.depth[i] = any();
        garbage.source[i] = any();
        garbage.frequency[i] = any();
        depth2[i] = any();
        source2[i] = any();
    }
    garbage.depth2 = depth2.data();
    garbage.source2 = source2.data();
    for (const float v : garbage.Run(1.0f / 22050.0f, n))
        ASSERT_TRUE(v >= -1.0f && v <= 1.0f) << v;
}

TEST(SweepCoefficients, SecondTermCountsAndSilenceLeavesNoTrace)
{
    const int n = 1000;
    Sweep sweep = RandomSweep(n, 3);
    const auto silent = sweep.Run(1.0f / 22050.0f, n);

    // Real buffers holding zeros give the very same bits as the silence buffer.
    const std::vector<float> zeros(n, 0.0f);
    sweep.depth2 = zeros.data();
    sweep.source2 = zeros.data();
    EXPECT_EQ(sweep.Run(1.0f / 22050.0f, n), silent);

    // One octave from the second term alone equals one octave from the first.
    const std::vector<float> ones(n, 1.0f);
    Sweep second(n), first(n);
    second.frequency = first.frequency = sweep.frequency;
    second.depth2 = ones.data();
    second.source2 = ones.data();
    first.depth = ones;
    first.source = ones;
    EXPECT_EQ(second.Run(1.0f / 22050.0f, n), first.Run(1.0f / 22050.0f, n));
}

// Every count from 0 to 17 reads only its own samples (the buffers end right there, for the
// address sanitizer), writes only its own coefficients, and gives each sample the value it has
// in a long run whatever its place in the groups of four.
TEST(SweepCoefficients, AnyCountReadsAndWritesOnlyItsSamples)
{
    const int n = 64;
    const Sweep whole = RandomSweep(n, 4);
    const auto expected = whole.Run(1.0f / 24000.0f, n);
    for (int count = 0; count <= 17; ++count)
    {
        for (int offset : {0, 1, 3})
        {
            const auto from = whole.depth.begin() + offset;
            Sweep part(0);
            part.depth.assign(from, from + count);
            part.source.assign(whole.source.begin() + offset,
                               whole.source.begin() + offset + count);
            part.frequency.assign(whole.frequency.begin() + offset,
                                  whole.frequency.begin() + offset + count);
            const auto a = part.Run(1.0f / 24000.0f, count, 5);
            for (int i = 0; i < count; ++i)
                ASSERT_EQ(a[static_cast<std::size_t>(i)],
                          expected[static_cast<std::size_t>(offset + i)])
                    << count << " " << offset << " " << i;
            for (std::size_t i = static_cast<std::size_t>(count); i < a.size(); ++i)
                ASSERT_EQ(a[i], 7.0f) << "written beyond the count " << count;
        }
    }
}
