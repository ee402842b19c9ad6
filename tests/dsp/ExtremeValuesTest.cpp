// Values far outside the ranges the parameter set delivers (stored or automated values of any
// finite size) must keep the phaser's output finite and bounded and the smoother's glide finite.
#include "dsp/Phaser.h"
#include "dsp/Smoother.h"

#include "support/FakeServiceProvider.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

using Kestrune::Effects::Phaser;
using Kestrune::Parameters::Smoother;

namespace
{

constexpr int kLength = 4096;

// Output of an enabled phaser (8 stages, feedback 0.95, a swept 1000 Hz centre) for noise
// within +-1 at a constant mix.
std::vector<float> Render(float mixValue)
{
    TestSupport::FakeServiceProvider provider;
    Phaser phaser(&provider);
    std::vector<float> depth(kLength, 1.0f), frequency(kLength, 1000.0f), mix(kLength, mixValue);
    std::vector<float> sweep(kLength);
    for (int i = 0; i < kLength; ++i)
        sweep[static_cast<std::size_t>(i)] = std::sin(static_cast<float>(i) * 0.003f);
    phaser.SetEnabled(true);
    phaser.SetFeedback(0.95f);
    phaser.SetStageMode(2);
    phaser.SetModulationDepth1(depth.data());
    phaser.SetLeftFrequency(frequency.data());
    phaser.SetRightFrequency(frequency.data());
    phaser.SetLeftModulationSource(sweep.data());
    phaser.SetRightModulationSource(sweep.data());
    phaser.SetMix(mix.data());

    std::mt19937 rng(7);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    std::vector<float> in(kLength);
    for (auto& x : in)
        x = noise(rng);
    std::vector<float> outL(kLength), outR(kLength);
    phaser.Process(in.data(), in.data(), outL.data(), outR.data(), kLength);
    return outL;
}

} // namespace

TEST(PhaserMixLimit, MixSomewhatOutsideZeroToOneBlendsByTheFormula)
{
    const auto dry = Render(0.0f);
    const auto wet = Render(1.0f);
    for (float m : {1.5f, 2.0f, -0.5f, -1.0f})
    {
        const auto out = Render(m);
        for (std::size_t i = 0; i < out.size(); ++i)
        {
            const double expected = (1.0 - m) * dry[i] + static_cast<double>(m) * wet[i];
            ASSERT_NEAR(out[i], expected, 1e-4 * (1.0 + std::fabs(expected))) << m << " " << i;
        }
    }
}

TEST(PhaserMixLimit, HugeOrNonFiniteMixIsUsedAtItsLimit)
{
    const auto atUpper = Render(2.0f);
    const auto atLower = Render(-1.0f);
    for (float m : {2.5f, 1e30f, FLT_MAX, INFINITY})
        EXPECT_EQ(Render(m), atUpper) << m;
    for (float m : {-1.5f, -1e30f, -FLT_MAX, -INFINITY, NAN})
        EXPECT_EQ(Render(m), atLower) << m;
    // Input within +-1: the cascade with feedback 0.95 peaks near 20; the blend of at most 3
    // times that stays far below the range where a float overflows.
    for (float x : atUpper)
        ASSERT_LT(std::fabs(x), 100.0f);
}

TEST(SmootherExtremes, GlideAcrossTheWholeFloatRangeStaysFinite)
{
    TestSupport::FakeServiceProvider provider;
    auto smoother = std::make_unique<Smoother>(&provider);
    smoother->SetTarget(-FLT_MAX);
    smoother->Reset();
    // One sample upward across the whole range, then straight back toward 0: the difference
    // of current value and aim no longer fits a float.
    smoother->SetTarget(FLT_MAX);
    smoother->Smooth(1);
    EXPECT_TRUE(std::isfinite(smoother->GetCurrent()));
    smoother->SetTarget(0.0f);
    for (int slice = 0; slice < 200; ++slice)
    {
        smoother->Smooth(512);
        const float* out = smoother->GetBuffer();
        for (int i = 0; i < 512; ++i)
            ASSERT_TRUE(std::isfinite(out[i])) << slice << " " << i;
    }
    EXPECT_TRUE(std::isfinite(smoother->GetCurrent()));
}
