// Values far outside the ranges the parameter set delivers (stored or automated values of any
// finite size) must keep the phaser's output finite and bounded and the smoother's glide finite:
// the phaser blends within 0..1 and sweeps at most 30 octaves per unit of source.
#include "dsp/Phaser.h"
#include "dsp/Smoother.h"

#include "dsp/PhaserInputs.h"
#include "support/FakeServiceProvider.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    DspTests::ConnectInputs(phaser, depth.data(), frequency.data(), frequency.data(), mix.data(),
                            sweep.data(), sweep.data());

    std::mt19937 rng(7);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    std::vector<float> in(kLength);
    for (auto& x : in)
        x = noise(rng);
    std::vector<float> outL(kLength), outR(kLength);
    phaser.Process(in.data(), in.data(), outL.data(), outR.data(), kLength);
    return outL;
}

// A phaser swept by a slow sine (2 Hz) at the given depth, 4 stages, feedback 0.95, mix 1,
// centre 1000 Hz, processing noise within +-1 block after block.
struct Rig
{
    TestSupport::FakeServiceProvider provider;
    Phaser phaser{&provider};
    std::vector<float> depth, frequency = std::vector<float>(kLength, 1000.0f),
                              mix = std::vector<float>(kLength, 1.0f), source, in;
    std::mt19937 rng{3};
    long position = 0;

    float rate, sweepHz;

    explicit Rig(float depthValue, float sampleRate = 44100.0f, float sourceHz = 2.0f)
        : depth(kLength, depthValue), source(kLength), in(kLength), rate(sampleRate),
          sweepHz(sourceHz)
    {
        provider.sampleRate = rate;
        phaser.OnSampleRateChanged(rate);
        phaser.SetEnabled(true);
        phaser.SetFeedback(0.95f);
        DspTests::ConnectInputs(phaser, depth.data(), frequency.data(), frequency.data(),
                                mix.data(), source.data(), source.data());
    }

    std::vector<float> Run()
    {
        std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
        for (int i = 0; i < kLength; ++i)
        {
            const auto k = static_cast<std::size_t>(i);
            source[k] =
                std::sin(2.0f * 3.14159265f * sweepHz * static_cast<float>(position + i) / rate);
            in[k] = noise(rng);
        }
        position += kLength;
        std::vector<float> outL(kLength), outR(kLength);
        phaser.Process(in.data(), in.data(), outL.data(), outR.data(), kLength);
        return outL;
    }
};

} // namespace

TEST(PhaserMixLimit, MixWithinZeroToOneBlendsByTheFormula)
{
    const auto dry = Render(0.0f);
    const auto wet = Render(1.0f);
    for (float m : {0.25f, 0.5f, 0.9f})
    {
        const auto out = Render(m);
        for (std::size_t i = 0; i < out.size(); ++i)
        {
            const double expected = (1.0 - m) * dry[i] + static_cast<double>(m) * wet[i];
            ASSERT_NEAR(out[i], expected, 1e-4 * (1.0 + std::fabs(expected))) << m << " " << i;
        }
    }
}

TEST(PhaserMixLimit, MixOutsideZeroToOneIsUsedAtTheNearerEnd)
{
    const auto wet = Render(1.0f);
    const auto dry = Render(0.0f);
    for (float m : {1.5f, 2.0f, 1e30f, FLT_MAX, INFINITY})
        EXPECT_EQ(Render(m), wet) << m;
    for (float m : {-0.5f, -1e30f, -FLT_MAX, -INFINITY, NAN})
        EXPECT_EQ(Render(m), dry) << m;
    // Input within +-1: the cascade with feedback 0.95 peaks near 20 for this signal and can
    // never pass about 95; a larger mix would scale that up.
    for (float x : wet)
        ASSERT_LT(std::fabs(x), 100.0f);
}

TEST(PhaserDepthLimit, DepthBeyondThirtyOctavesIsUsedAtThirty)
{
    Rig deep(1e6f), limit(30.0f), within(2.0f);
    const auto deepOut = deep.Run(), limitOut = limit.Run(), withinOut = within.Run();
    EXPECT_EQ(deepOut, limitOut);
    EXPECT_NE(withinOut, limitOut) << "depths below the limit still sweep as set";
}

TEST(PhaserDepthLimit, FullDepthSweepAtTheOscillatorsLimitStaysBounded)
{
    // The fastest sweep the oscillator runs at full depth, one cycle per 32 samples, at every
    // stage count and centre: the cascade (which runs away from 9.5 to 20) keeps its gain.
    for (float rate : {8000.0f, 22050.0f, 44100.0f, 96000.0f})
        for (int mode = 0; mode < Phaser::kStageModeCount; ++mode)
            for (float centre : {50.0f, 1000.0f, 10000.0f})
            {
                Rig rig(1.0f, rate, rate / 32.0f);
                rig.phaser.SetStageMode(mode);
                std::fill(rig.frequency.begin(), rig.frequency.end(), centre);
                for (int block = 0; block < static_cast<int>(rate) / kLength; ++block)
                    for (float x : rig.Run())
                        ASSERT_LT(std::fabs(x), 100.0f) << rate << " " << mode << " " << centre;
            }
}

TEST(PhaserDepthLimit, HugeDepthWithFeedbackStaysBounded)
{
    // A sweep of a million octaves jumps between 0 Hz and far beyond half the sample rate at
    // every zero crossing of the source; with feedback 0.95 each jump used to pump the states
    // further up, past 1e6 within seconds.
    Rig rig(1e6f);
    for (int block = 0; block < 100; ++block)
    {
        const auto out = rig.Run();
        for (float x : out)
            ASSERT_LT(std::fabs(x), 100.0f) << "block " << block;
    }
}

TEST(PhaserRunaway, ChannelThatRunsAwayStartsAgainFromSilence)
{
    // At 6000 Hz a 20 Hz sweep of 30 octaves around 100 Hz with feedback grows without bound
    // (the oscillator always allows 20 Hz, whatever the sample rate).
    Rig rig(30.0f, 6000.0f, 20.0f);
    std::fill(rig.frequency.begin(), rig.frequency.end(), 100.0f);
    float peak = 0.0f;
    for (int block = 0; block < 40; ++block)
    {
        for (float x : rig.Run())
        {
            ASSERT_TRUE(std::isfinite(x)) << "block " << block;
            peak = std::max(peak, std::fabs(x));
        }
    }
    EXPECT_LT(peak, 2e6f);
    for (int stage = 0; stage < Phaser::kMaxStages; ++stage)
        EXPECT_LT(std::fabs(rig.phaser.GetLeftState(stage)), 1e7f);
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
