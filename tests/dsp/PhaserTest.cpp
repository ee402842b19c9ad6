#include "dsp/Phaser.h"

#include "dsp/DisplayChecks.h"
#include "dsp/PhaserInputs.h"
#include "support/FakeServiceProvider.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

using DspTests::ConnectInputs;
using Kestrune::Effects::Phaser;

namespace
{

constexpr double kPi = 3.14159265358979323846;

std::vector<float> Noise(int count, unsigned seed, float amplitude = 1.0f)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> dist(-amplitude, amplitude);
    std::vector<float> v(static_cast<std::size_t>(count));
    for (auto& x : v)
        x = dist(rng);
    return v;
}

// A phaser with owned, constant-by-default modulation buffers.
struct Rig
{
    static constexpr int kLength = 4096;

    TestSupport::FakeServiceProvider provider;
    // Large object (coefficient buffers): kept on the heap.
    std::unique_ptr<Phaser> owned = std::make_unique<Phaser>(&provider);
    Phaser& phaser = *owned;
    std::vector<float> depth = std::vector<float>(kLength, 0.0f);
    std::vector<float> left = std::vector<float>(kLength, 2500.0f);
    std::vector<float> right = std::vector<float>(kLength, 2500.0f);
    std::vector<float> mix = std::vector<float>(kLength, 1.0f);
    std::vector<float> sourceL = std::vector<float>(kLength, 0.0f);
    std::vector<float> sourceR = std::vector<float>(kLength, 0.0f);

    Rig()
    {
        Connect(0);
        phaser.SetEnabled(true);
    }

    // Points every input at sample `offset` of the rig's buffers.
    void Connect(int offset)
    {
        ConnectInputs(phaser, depth.data() + offset, left.data() + offset, right.data() + offset,
                      mix.data() + offset, sourceL.data() + offset, sourceR.data() + offset);
    }

    void Fill(std::vector<float>& buffer, float value)
    {
        std::fill(buffer.begin(), buffer.end(), value);
    }

    // Processes [0, count) in slices of the given sizes (repeated), moving the inputs along.
    void ProcessSliced(const float* inL, const float* inR, float* outL, float* outR, int count,
                       const std::vector<int>& sizes)
    {
        int done = 0;
        for (std::size_t s = 0; done < count; ++s)
        {
            const int n = std::min(sizes[s % sizes.size()], count - done);
            Connect(done);
            phaser.Process(inL + done, inR + done, outL + done, outR + done, n);
            done += n;
        }
        Connect(0);
    }
};

// The same equations in double precision, written independently of the phaser.
class ReferencePhaser
{
public:
    double halfRate = 22050.0;
    double feedback = 0.0;
    int stages = 4;

    static double Pow2(double x)
    {
        const double y = std::fabs(x);
        const double n = std::floor(y);
        const double f = y - n;
        const double p = (1.0 + 0.333333 * f * (f + 2.0)) * std::ldexp(1.0, static_cast<int>(n));
        return x < 0.0 ? 1.0 / p : p;
    }

    void Step(int channel, double in, double depth, double source, double frequency, double mix,
              double& out)
    {
        const double w = Pow2(depth * source) * frequency / halfRate;
        const double a = (1.0 - w) / (1.0 + w);
        double x = in + feedback * last[channel];
        for (int j = 0; j < stages; ++j)
        {
            const double y = state[channel][j] - a * x;
            state[channel][j] = x + a * y;
            x = y;
        }
        last[channel] = x;
        out = (1.0 - mix) * in + mix * x;
    }

    // Steps both channels over count samples whose sweep inputs are the rig's buffers from
    // index 0; answers the largest deviation of the phaser's outputs from the reference.
    double LargestDeviation(const Rig& rig, const float* inL, const float* inR, const float* outL,
                            const float* outR, int count)
    {
        double worst = 0.0;
        for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i)
        {
            double expectL = 0.0, expectR = 0.0;
            Step(0, inL[i], rig.depth[i], rig.sourceL[i], rig.left[i], rig.mix[i], expectL);
            Step(1, inR[i], rig.depth[i], rig.sourceR[i], rig.right[i], rig.mix[i], expectR);
            worst = std::max({worst, std::fabs(expectL - outL[i]), std::fabs(expectR - outR[i])});
        }
        return worst;
    }

private:
    double state[2][16] = {};
    double last[2] = {};
};

} // namespace

TEST(PhaserPolicies, TransformsAndStageModeTexts)
{
    EXPECT_FLOAT_EQ(Phaser::FrequencyTransform::Convert(0.5f), 2500.0f);
    EXPECT_FLOAT_EQ(Phaser::FrequencyTransform::Convert(1.0f), 10000.0f);
    EXPECT_FLOAT_EQ(Phaser::FrequencyTransform::Convert(0.0f), 0.0f);

    EXPECT_EQ(Phaser::FeedbackTransform::Convert(1.0f), 0.95f);
    EXPECT_FLOAT_EQ(Phaser::FeedbackTransform::Convert(0.5f), 0.475f);
    // Outside 0..1 the level stays where the loop is stable.
    EXPECT_EQ(Phaser::FeedbackTransform::Convert(3.0f), 0.95f);
    EXPECT_EQ(Phaser::FeedbackTransform::Convert(-1.0f), 0.0f);
    EXPECT_EQ(Phaser::FeedbackTransform::Convert(std::nanf("")), 0.0f);

    DspTests::ExpectTableTexts<Phaser::StageModeDisplay>({"4", "6", "8", "10", "12", "14", "16"});
    for (int mode = 0; mode < 7; ++mode)
        EXPECT_EQ(Phaser::StageCount(mode), 4 + 2 * mode);
}

TEST(PhaserPow2, ExactAtWholeNumbersAndSymmetric)
{
    EXPECT_EQ(Phaser::Pow2(0.0f), 1.0f);
    EXPECT_EQ(Phaser::Pow2(1.0f), 2.0f);
    EXPECT_EQ(Phaser::Pow2(-1.0f), 0.5f);
    EXPECT_EQ(Phaser::Pow2(3.0f), 8.0f);
    EXPECT_NEAR(Phaser::Pow2(0.5f), 1.41667f, 1e-5f);
    EXPECT_NEAR(Phaser::Pow2(-0.5f), 0.70588f, 1e-5f);
    for (float x = 0.05f; x < 4.0f; x += 0.1f)
    {
        EXPECT_FLOAT_EQ(Phaser::Pow2(-x), 1.0f / Phaser::Pow2(x)) << x;
        EXPECT_NEAR(Phaser::Pow2(x), std::exp2(x), 0.01 * std::exp2(x)) << x;
    }
    // Exponents beyond the shift range or NaN must not reach an undefined shift.
    EXPECT_EQ(Phaser::Pow2(1000.0f), 1073741824.0f);
    EXPECT_EQ(Phaser::Pow2(-1000.0f), 1.0f / 1073741824.0f);
    EXPECT_EQ(Phaser::Pow2(std::nanf("")), 1.0f);
}

TEST(PhaserLifecycle, RegistersAndUnregistersWithProvider)
{
    TestSupport::FakeServiceProvider provider;
    provider.sampleRate = 96000.0f;
    {
        Phaser phaser(&provider);
        ASSERT_EQ(provider.resettables.size(), 1u);
        ASSERT_EQ(provider.sampleRateObservers.size(), 1u);
        EXPECT_EQ(provider.resettables[0], &phaser);
        EXPECT_EQ(phaser.GetHalfSampleRate(), 48000.0f);
        EXPECT_FALSE(phaser.IsEnabled());
        EXPECT_EQ(phaser.GetStageMode(), 0);
        EXPECT_EQ(phaser.GetFeedback(), 0.0f);
        EXPECT_EQ(phaser.GetLeftModulationSource(), Kestrune::SilenceBuffer);
    }
    EXPECT_TRUE(provider.resettables.empty());
    EXPECT_TRUE(provider.sampleRateObservers.empty());
}

TEST(PhaserSettings, RefusesUnsafeValues)
{
    TestSupport::FakeServiceProvider provider;
    Phaser phaser(&provider);

    phaser.SetFeedback(0.5f);
    phaser.SetFeedback(std::nanf(""));
    EXPECT_EQ(phaser.GetFeedback(), 0.5f);
    phaser.SetFeedback(INFINITY);
    EXPECT_EQ(phaser.GetFeedback(), 0.5f);
    phaser.SetFeedback(1.5f);
    EXPECT_EQ(phaser.GetFeedback(), 0.95f);
    phaser.SetFeedback(-2.0f);
    EXPECT_EQ(phaser.GetFeedback(), -0.95f);

    phaser.SetStageMode(7);
    EXPECT_EQ(phaser.GetStageMode(), 6);
    phaser.SetStageMode(-1);
    EXPECT_EQ(phaser.GetStageMode(), 0);

    phaser.OnSampleRateChanged(0.0f);
    phaser.OnSampleRateChanged(std::nanf(""));
    EXPECT_EQ(phaser.GetHalfSampleRate(), 22050.0f);
    phaser.OnSampleRateChanged(48000.0f);
    EXPECT_EQ(phaser.GetHalfSampleRate(), 24000.0f);

    phaser.SetMix(nullptr);
    phaser.SetLeftModulationSource(nullptr);
    EXPECT_EQ(phaser.GetLeftModulationSource(), Kestrune::SilenceBuffer);
}

TEST(PhaserProcess, CoefficientAt2500HzMatchesTheFormula)
{
    Rig rig;
    float inL[8] = {1.0f}, inR[8] = {1.0f}, outL[8], outR[8];
    rig.phaser.Process(inL, inR, outL, outR, 1);

    // An impulse into zero states: stage 0 stores 1 - a^2, four stages output a^4.
    const double a = (1.0 - 2500.0 / 22050.0) / (1.0 + 2500.0 / 22050.0);
    EXPECT_NEAR(a, 0.79633, 1e-5);
    const double measured = std::sqrt(1.0 - static_cast<double>(rig.phaser.GetLeftState(0)));
    EXPECT_NEAR(measured, 0.79633, 1e-5);
    EXPECT_NEAR(outL[0], std::pow(a, 4.0), 1e-6);
    EXPECT_NEAR(outR[0], std::pow(a, 4.0), 1e-6);
}

TEST(PhaserProcess, HalfSampleRateIsAFourSampleDelay)
{
    Rig rig;
    rig.Fill(rig.left, 22050.0f);
    rig.Fill(rig.right, 22050.0f);
    const auto inL = Noise(256, 1), inR = Noise(256, 2);
    std::vector<float> outL(256), outR(256);
    rig.phaser.Process(inL.data(), inR.data(), outL.data(), outR.data(), 256);
    for (int i = 0; i < 256; ++i)
    {
        const float expectL = i >= 4 ? inL[static_cast<std::size_t>(i - 4)] : 0.0f;
        const float expectR = i >= 4 ? inR[static_cast<std::size_t>(i - 4)] : 0.0f;
        ASSERT_NEAR(outL[static_cast<std::size_t>(i)], expectL, 1e-6f) << i;
        ASSERT_NEAR(outR[static_cast<std::size_t>(i)], expectR, 1e-6f) << i;
    }
}

TEST(PhaserProcess, ZeroFrequencyWithEvenStagesPassesInputThrough)
{
    Rig rig;
    rig.Fill(rig.left, 0.0f);
    rig.Fill(rig.right, 0.0f);
    const auto in = Noise(512, 3);
    std::vector<float> outL(512), outR(512);
    rig.phaser.Process(in.data(), in.data(), outL.data(), outR.data(), 512);
    for (std::size_t i = 0; i < 512; ++i)
        ASSERT_NEAR(outL[i], in[i], 1e-6f) << i;
}

TEST(PhaserProcess, FeedbackSettlesAtTwentyForConstantInput)
{
    Rig rig;
    rig.phaser.SetFeedback(0.95f);
    rig.Fill(rig.left, 5000.0f);
    rig.Fill(rig.right, 2500.0f);
    const std::vector<float> ones(Rig::kLength, 1.0f);
    std::vector<float> outL(Rig::kLength), outR(Rig::kLength);
    for (int block = 0; block < 8; ++block)
        rig.phaser.Process(ones.data(), ones.data(), outL.data(), outR.data(), Rig::kLength);
    EXPECT_NEAR(outL.back(), 20.0f, 1e-3f);
    EXPECT_NEAR(outR.back(), 20.0f, 1e-3f);
    EXPECT_NEAR(rig.phaser.GetLastLeft(), 20.0f, 1e-3f);
}

TEST(PhaserProcess, MixZeroIsDryButTheCascadeRuns)
{
    Rig rig;
    rig.Fill(rig.mix, 0.0f);
    rig.phaser.SetFeedback(0.5f);
    const auto in = Noise(300, 4);
    std::vector<float> outL(300), outR(300);
    rig.phaser.Process(in.data(), in.data(), outL.data(), outR.data(), 300);
    EXPECT_EQ(outL, in);
    EXPECT_NE(rig.phaser.GetLastLeft(), 0.0f);
    EXPECT_NE(rig.phaser.GetLeftState(3), 0.0f);
}

TEST(PhaserProcess, DisabledCopiesOrLeavesInPlaceUntouched)
{
    Rig rig;
    rig.phaser.SetEnabled(false);
    const auto inL = Noise(128, 5), inR = Noise(128, 6);
    std::vector<float> outL(128, 9.0f), outR(128, 9.0f);
    rig.phaser.Process(inL.data(), inR.data(), outL.data(), outR.data(), 128);
    EXPECT_EQ(outL, inL);
    EXPECT_EQ(outR, inR);

    auto bufL = inL, bufR = inR;
    rig.phaser.Process(bufL.data(), bufR.data(), bufL.data(), bufR.data(), 128);
    EXPECT_EQ(bufL, inL);
    EXPECT_EQ(bufR, inR);
    // No state moved.
    EXPECT_EQ(rig.phaser.GetLeftState(0), 0.0f);
    EXPECT_EQ(rig.phaser.GetLastLeft(), 0.0f);
}

TEST(PhaserProcess, ResetClearsStatesAndFeedbackMemory)
{
    Rig rig;
    rig.phaser.SetFeedback(0.7f);
    rig.phaser.SetStageMode(6);
    const auto in = Noise(1000, 7);
    std::vector<float> first(1000), second(1000), scratch(1000);
    rig.phaser.Process(in.data(), in.data(), first.data(), scratch.data(), 1000);
    ASSERT_NE(rig.phaser.GetLeftState(15), 0.0f);

    rig.phaser.Reset();
    for (int j = 0; j < Phaser::kMaxStages; ++j)
    {
        EXPECT_EQ(rig.phaser.GetLeftState(j), 0.0f);
        EXPECT_EQ(rig.phaser.GetRightState(j), 0.0f);
    }
    EXPECT_EQ(rig.phaser.GetLastLeft(), 0.0f);
    EXPECT_EQ(rig.phaser.GetLastRight(), 0.0f);
    EXPECT_EQ(rig.phaser.GetFeedback(), 0.7f);
    EXPECT_EQ(rig.phaser.GetStageMode(), 6);

    rig.phaser.Process(in.data(), in.data(), second.data(), scratch.data(), 1000);
    EXPECT_EQ(first, second);
}

TEST(PhaserProcess, SampleRateChangeKeepsStates)
{
    Rig rig;
    const auto in = Noise(100, 8);
    std::vector<float> out(100);
    rig.phaser.Process(in.data(), in.data(), out.data(), out.data(), 100);
    const float state = rig.phaser.GetLeftState(2);
    rig.provider.ChangeSampleRate(48000.0f);
    EXPECT_EQ(rig.phaser.GetHalfSampleRate(), 24000.0f);
    EXPECT_EQ(rig.phaser.GetLeftState(2), state);
}

TEST(PhaserProcess, StagesBeyondTheCountKeepTheirState)
{
    Rig rig;
    rig.phaser.SetStageMode(6);
    const auto in = Noise(500, 9);
    std::vector<float> out(500);
    rig.phaser.Process(in.data(), in.data(), out.data(), out.data(), 500);
    float kept[Phaser::kMaxStages];
    for (int j = 0; j < Phaser::kMaxStages; ++j)
        kept[j] = rig.phaser.GetRightState(j);

    rig.phaser.SetStageMode(0);
    const auto more = Noise(500, 16);
    rig.phaser.Process(more.data(), more.data(), out.data(), out.data(), 500);
    EXPECT_NE(rig.phaser.GetRightState(0), kept[0]);
    for (int j = 4; j < Phaser::kMaxStages; ++j)
        EXPECT_EQ(rig.phaser.GetRightState(j), kept[j]) << j;
}

TEST(PhaserProcess, InPlaceEqualsOutOfPlace)
{
    Rig a, b;
    for (Rig* rig : {&a, &b})
    {
        rig->phaser.SetFeedback(-0.6f);
        rig->phaser.SetStageMode(3);
        rig->Fill(rig->depth, 0.5f);
        rig->Fill(rig->mix, 0.7f);
        for (int i = 0; i < Rig::kLength; ++i)
        {
            rig->sourceL[static_cast<std::size_t>(i)] = static_cast<float>(std::sin(0.01 * i));
            rig->sourceR[static_cast<std::size_t>(i)] = static_cast<float>(std::cos(0.01 * i));
        }
    }
    // An odd count: the last samples take the short path of the vectorised passes.
    const int count = Rig::kLength - 3;
    const auto inL = Noise(count, 10), inR = Noise(count, 11);
    std::vector<float> outL(count), outR(count);
    a.phaser.Process(inL.data(), inR.data(), outL.data(), outR.data(), count);
    auto bufL = inL, bufR = inR;
    b.phaser.Process(bufL.data(), bufR.data(), bufL.data(), bufR.data(), count);
    EXPECT_EQ(bufL, outL);
    EXPECT_EQ(bufR, outR);
}

// A host may hand one buffer as both inputs and both outputs: each sample then ends as the right
// channel's output from that one input, as when every sample is read before it is written.
TEST(PhaserProcess, OneBufferForAllFourChannels)
{
    Rig separate, shared;
    for (Rig* rig : {&separate, &shared})
    {
        rig->phaser.SetFeedback(0.5f);
        rig->Fill(rig->right, 6000.0f);
        rig->Fill(rig->mix, 0.4f);
    }
    const int count = 1001;
    const auto in = Noise(count, 25);
    std::vector<float> outL(count), outR(count);
    separate.phaser.Process(in.data(), in.data(), outL.data(), outR.data(), count);
    auto buffer = in;
    shared.phaser.Process(buffer.data(), buffer.data(), buffer.data(), buffer.data(), count);
    EXPECT_EQ(buffer, outR);
    EXPECT_NE(outL, outR);
}

TEST(PhaserProcess, SlicingDoesNotChangeTheOutput)
{
    const auto inL = Noise(Rig::kLength, 12), inR = Noise(Rig::kLength, 13);
    auto configure = [](Rig& rig)
    {
        rig.phaser.SetFeedback(0.8f);
        rig.phaser.SetStageMode(5);
        for (int i = 0; i < Rig::kLength; ++i)
        {
            const auto k = static_cast<std::size_t>(i);
            rig.depth[k] = 0.8f;
            rig.sourceL[k] = static_cast<float>(std::sin(0.003 * i));
            rig.sourceR[k] = static_cast<float>(std::cos(0.003 * i));
            rig.left[k] = 500.0f + 0.5f * static_cast<float>(i);
            rig.mix[k] = static_cast<float>(i) / Rig::kLength;
        }
    };
    Rig whole;
    configure(whole);
    std::vector<float> wholeL(Rig::kLength), wholeR(Rig::kLength);
    whole.phaser.Process(inL.data(), inR.data(), wholeL.data(), wholeR.data(), Rig::kLength);

    const std::vector<int> upTo17 = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
    for (const std::vector<int>& sizes :
         {std::vector<int>{1}, std::vector<int>{7, 0, 64, 3}, std::vector<int>{512}, upTo17})
    {
        Rig sliced;
        configure(sliced);
        std::vector<float> outL(Rig::kLength), outR(Rig::kLength);
        sliced.ProcessSliced(inL.data(), inR.data(), outL.data(), outR.data(), Rig::kLength, sizes);
        EXPECT_EQ(outL, wholeL);
        EXPECT_EQ(outR, wholeR);
    }
}

// Every buffer exactly as long as the slice (the address sanitizer catches any read or write
// past it), for every count from 0 to 17: the same output as one long slice.
TEST(PhaserProcess, ReadsAndWritesOnlyTheSlice)
{
    const int total = 17 * 18 / 2;
    const auto inL = Noise(total, 20), inR = Noise(total, 21);
    const auto sweep = Noise(total, 22);
    auto configure = [](Phaser& phaser)
    {
        phaser.SetEnabled(true);
        phaser.SetFeedback(0.75f);
        phaser.SetStageMode(2);
    };
    TestSupport::FakeServiceProvider provider;
    auto whole = std::make_unique<Phaser>(&provider);
    configure(*whole);
    const std::vector<float> depth(total, 0.5f), left(total, 1200.0f), right(total, 3100.0f),
        mix(total, 0.6f);
    ConnectInputs(*whole, depth.data(), left.data(), right.data(), mix.data(), sweep.data(),
                  sweep.data());
    std::vector<float> expectL(total), expectR(total);
    whole->Process(inL.data(), inR.data(), expectL.data(), expectR.data(), total);

    auto sliced = std::make_unique<Phaser>(&provider);
    configure(*sliced);
    int done = 0;
    for (int count = 0; count <= 17; ++count)
    {
        const auto n = static_cast<std::size_t>(count);
        auto part = [&](const std::vector<float>& v)
        { return std::vector<float>(v.begin() + done, v.begin() + done + count); };
        const auto pInL = part(inL), pInR = part(inR), pSweep = part(sweep);
        const std::vector<float> pDepth(n, 0.5f), pLeft(n, 1200.0f), pRight(n, 3100.0f),
            pMix(n, 0.6f);
        std::vector<float> outL(n), outR(n);
        ConnectInputs(*sliced, pDepth.data(), pLeft.data(), pRight.data(), pMix.data(),
                      pSweep.data(), pSweep.data());
        sliced->Process(pInL.data(), pInR.data(), outL.data(), outR.data(), count);
        for (std::size_t i = 0; i < n; ++i)
        {
            ASSERT_EQ(outL[i], expectL[static_cast<std::size_t>(done) + i]) << count;
            ASSERT_EQ(outR[i], expectR[static_cast<std::size_t>(done) + i]) << count;
        }
        done += count;
    }
}

// Each of the seven stage counts against the double-precision reference, in odd slices, with
// a sweep of more than an octave either way and strong feedback of both signs.
TEST(PhaserProcess, EveryStageModeMatchesTheReference)
{
    const int total = 3000;
    const auto inL = Noise(total, 23, 0.8f), inR = Noise(total, 24, 0.8f);
    for (int mode = 0; mode < Phaser::kStageModeCount; ++mode)
    {
        SCOPED_TRACE(mode);
        Rig rig;
        ReferencePhaser reference;
        const float feedback = mode % 2 == 0 ? 0.9f : -0.9f;
        rig.phaser.SetStageMode(mode);
        rig.phaser.SetFeedback(feedback);
        reference.stages = Phaser::StageCount(mode);
        reference.feedback = static_cast<double>(feedback);
        for (int i = 0; i < Rig::kLength; ++i)
        {
            const auto k = static_cast<std::size_t>(i);
            rig.depth[k] = 1.5f;
            rig.sourceL[k] = static_cast<float>(std::sin(0.002 * i));
            rig.sourceR[k] = static_cast<float>(std::cos(0.003 * i));
            rig.left[k] = 700.0f;
            rig.right[k] = 4000.0f;
            rig.mix[k] = 0.7f;
        }
        std::vector<float> outL(total), outR(total);
        rig.ProcessSliced(inL.data(), inR.data(), outL.data(), outR.data(), total, {13, 5, 130});
        const double worst = reference.LargestDeviation(rig, inL.data(), inR.data(), outL.data(),
                                                        outR.data(), total);
        // As in the reference test below: float states and coefficients leave a few millionths.
        EXPECT_LT(worst, 4e-5) << "largest deviation " << worst;
    }
}

// Process against the double-precision reference over a chirp, with the LFO-like quadrature
// sweep, feedback of both signs and stage-mode changes between slices.
TEST(PhaserProcess, MatchesDoublePrecisionReference)
{
    Rig rig;
    ReferencePhaser reference;
    const int total = 8 * Rig::kLength;
    std::vector<float> inL(total), inR(total), outL(total), outR(total);
    for (int i = 0; i < total; ++i)
    {
        // Chirp from 50 Hz to about 8 kHz over the run.
        const double t = i / 44100.0;
        const double phase = 2.0 * kPi * (50.0 * t + 0.5 * 10000.0 * t * t);
        inL[static_cast<std::size_t>(i)] = static_cast<float>(0.8 * std::sin(phase));
        inR[static_cast<std::size_t>(i)] = static_cast<float>(0.5 * std::cos(1.3 * phase));
    }
    const int modes[] = {0, 6, 3, 1, 6, 5, 0, 4};
    const float feedbacks[] = {0.0f, 0.7f, -0.6f, 0.95f, 0.3f, -0.95f, 0.5f, 0.9f};
    double worst = 0.0;
    for (int block = 0; block < 8; ++block)
    {
        const int offset = block * Rig::kLength;
        for (int i = 0; i < Rig::kLength; ++i)
        {
            const auto k = static_cast<std::size_t>(i);
            const double t = (offset + i) / 44100.0;
            rig.depth[k] = 0.25f + 0.5f * static_cast<float>(block % 3);
            rig.sourceL[k] = static_cast<float>(std::sin(2.0 * kPi * 0.8 * t));
            rig.sourceR[k] = static_cast<float>(std::cos(2.0 * kPi * 0.8 * t));
            rig.left[k] = 400.0f + 200.0f * static_cast<float>(block);
            rig.right[k] = 2500.0f;
            rig.mix[k] = 0.5f + 0.5f * static_cast<float>(std::sin(0.001 * i));
        }
        rig.phaser.SetStageMode(modes[block]);
        rig.phaser.SetFeedback(feedbacks[block]);
        reference.stages = Phaser::StageCount(modes[block]);
        reference.feedback = static_cast<double>(rig.phaser.GetFeedback());

        const float* blockL = inL.data() + offset;
        const float* blockR = inR.data() + offset;
        rig.phaser.Process(blockL, blockR, outL.data() + offset, outR.data() + offset,
                           Rig::kLength);
        worst =
            std::max(worst, reference.LargestDeviation(rig, blockL, blockR, outL.data() + offset,
                                                       outR.data() + offset, Rig::kLength));
    }
    // Float states and coefficients (and 0.333333 as a float) leave a few millionths at signal
    // levels of about 1 with up to 16 stages and feedback 0.95; a wrong term gives far more.
    EXPECT_LT(worst, 4e-5) << "largest deviation " << worst;
}

TEST(PhaserProcess, SilenceAfterLoudInputLeavesNoSubnormalState)
{
    Rig rig;
    rig.phaser.SetStageMode(6);
    rig.phaser.SetFeedback(0.5f);
    rig.Fill(rig.left, 500.0f);
    rig.Fill(rig.right, 15000.0f);
    const auto loud = Noise(Rig::kLength, 14);
    const std::vector<float> silence(Rig::kLength, 0.0f);
    std::vector<float> outL(Rig::kLength), outR(Rig::kLength);
    rig.phaser.Process(loud.data(), loud.data(), outL.data(), outR.data(), Rig::kLength);

    auto notSubnormal = [](float x) { return std::fpclassify(x) != FP_SUBNORMAL; };
    for (int block = 0; block < 60; ++block)
    {
        rig.phaser.Process(silence.data(), silence.data(), outL.data(), outR.data(), Rig::kLength);
        ASSERT_TRUE(std::all_of(outL.begin(), outL.end(), notSubnormal)) << block;
        ASSERT_TRUE(std::all_of(outR.begin(), outR.end(), notSubnormal)) << block;
        for (int j = 0; j < Phaser::kMaxStages; ++j)
        {
            ASSERT_TRUE(notSubnormal(rig.phaser.GetLeftState(j))) << block << " " << j;
            ASSERT_TRUE(notSubnormal(rig.phaser.GetRightState(j))) << block << " " << j;
        }
        ASSERT_TRUE(notSubnormal(rig.phaser.GetLastLeft()));
        ASSERT_TRUE(notSubnormal(rig.phaser.GetLastRight()));
    }
    // The loud burst has died away to the level of the anti-denormal offsets.
    EXPECT_LT(std::fabs(outL.back()), 1e-20f);
    EXPECT_LT(std::fabs(outR.back()), 1e-20f);
}

TEST(PhaserProcess, NonFiniteInputOrSweepKeepsOutputFinite)
{
    Rig rig;
    rig.phaser.SetFeedback(0.95f);
    rig.Fill(rig.depth, 1.0e6f); // exponent far beyond the shift range
    for (int i = 0; i < Rig::kLength; ++i)
        rig.sourceL[static_cast<std::size_t>(i)] = (i % 2) ? 1.0f : -1.0f;
    rig.right[5] = std::nanf("");
    rig.right[6] = -30000.0f;
    auto in = Noise(Rig::kLength, 15);
    in[10] = std::nanf("");
    in[11] = INFINITY;
    std::vector<float> outL(Rig::kLength), outR(Rig::kLength);
    rig.phaser.Process(in.data(), in.data(), outL.data(), outR.data(), Rig::kLength);
    auto finite = [](float x) { return std::isfinite(x); };
    EXPECT_TRUE(std::all_of(outL.begin(), outL.end(), finite));
    EXPECT_TRUE(std::all_of(outR.begin(), outR.end(), finite));
    EXPECT_TRUE(std::isfinite(rig.phaser.GetLastLeft()));
    EXPECT_TRUE(std::isfinite(rig.phaser.GetLastRight()));
}

namespace
{

// One slice's worth of an oscillator's output buffers, exactly as long as the slice.
struct OscillatorBuffers
{
    std::vector<float> inPhase, quadrature;

    Kestrune::Modulators::CoupledOscillator Slice(float sine, float cosine, float gain, bool quad,
                                                  int count)
    {
        inPhase.assign(static_cast<std::size_t>(count), 0.0f);
        quadrature.assign(static_cast<std::size_t>(count), 0.0f);
        return {sine, cosine, 0.0013f, gain, quad, inPhase.data(), quadrature.data()};
    }
};

} // namespace

// The phaser stepping the oscillator inside its loop gives what running the oscillator before
// it gives: output, oscillator buffers and state bit for bit, for every slice length up to 17
// and long ones, every stage mode, MIDI gain and quad mode off. Every buffer is exactly as long
// as the slice, so the address sanitizer sees any read or write beyond it.
TEST(PhaserProcess, SteppingTheOscillatorInsideEqualsRunningItBefore)
{
    TestSupport::FakeServiceProvider provider;
    auto before = std::make_unique<Phaser>(&provider);
    auto inside = std::make_unique<Phaser>(&provider);
    for (Phaser* phaser : {before.get(), inside.get()})
    {
        phaser->SetEnabled(true);
        phaser->SetFeedback(0.8f);
    }
    std::vector<int> counts;
    for (int count = 0; count <= 17; ++count)
        counts.push_back(count);
    for (int count : {1000, 4099, 64, 16384})
        counts.push_back(count);

    const auto noise = Noise(Kestrune::kMaxBlockSize, 30);
    float sine = 0.0f, cosine = 1.0f;
    int done = 0;
    for (std::size_t slice = 0; slice < counts.size(); ++slice)
    {
        const int count = counts[slice];
        SCOPED_TRACE(count);
        const auto n = static_cast<std::size_t>(count);
        const float gain = slice % 3 == 1 ? 0.4f : 1.0f;
        const bool quad = slice % 4 != 2;
        const std::vector<float> inL(noise.begin(), noise.begin() + count),
            inR(noise.rbegin(), noise.rbegin() + count), depth(n, 1.0f), left(n, 900.0f),
            right(n, 3500.0f), mix(n, 0.6f);
        for (Phaser* phaser : {before.get(), inside.get()})
        {
            phaser->SetStageMode(static_cast<int>(slice % 7));
            phaser->SetModulationDepth1(depth.data());
            phaser->SetLeftFrequency(left.data());
            phaser->SetRightFrequency(right.data());
            phaser->SetMix(mix.data());
        }

        OscillatorBuffers first, second;
        auto ahead = first.Slice(sine, cosine, gain, quad, count);
        for (int i = 0; i < count; ++i)
            ahead.Step(i);
        before->SetLeftModulationSource(first.inPhase.data());
        before->SetRightModulationSource(first.quadrature.data());
        std::vector<float> expectL(n), expectR(n);
        before->Process(inL.data(), inR.data(), expectL.data(), expectR.data(), count);

        auto stepped = second.Slice(sine, cosine, gain, quad, count);
        inside->SetLeftModulationSource(second.inPhase.data());
        inside->SetRightModulationSource(second.quadrature.data());
        std::vector<float> outL(n), outR(n);
        inside->Process(inL.data(), inR.data(), outL.data(), outR.data(), count, stepped);

        ASSERT_EQ(outL, expectL);
        ASSERT_EQ(outR, expectR);
        ASSERT_EQ(second.inPhase, first.inPhase);
        ASSERT_EQ(second.quadrature, first.quadrature);
        ASSERT_EQ(stepped.sine, ahead.sine);
        ASSERT_EQ(stepped.cosine, ahead.cosine);
        sine = ahead.sine;
        cosine = ahead.cosine;
        done += count;
    }
    // The sweep did move: the oscillator ran through several thousand samples.
    EXPECT_GT(done, 20000);
    EXPECT_NE(sine, 0.0f);
}

// Disabled, the phaser copies and the oscillator it was handed does not move.
TEST(PhaserProcess, DisabledLeavesTheOscillatorStill)
{
    Rig rig;
    rig.phaser.SetEnabled(false);
    OscillatorBuffers buffers;
    auto oscillator = buffers.Slice(0.3f, 0.9f, 1.0f, true, 64);
    std::fill(buffers.inPhase.begin(), buffers.inPhase.end(), 5.0f);
    const auto in = Noise(64, 31);
    std::vector<float> outL(64), outR(64);
    rig.phaser.Process(in.data(), in.data(), outL.data(), outR.data(), 64, oscillator);
    EXPECT_EQ(outL, in);
    EXPECT_EQ(outR, in);
    EXPECT_EQ(oscillator.sine, 0.3f);
    EXPECT_EQ(oscillator.cosine, 0.9f);
    EXPECT_TRUE(std::all_of(buffers.inPhase.begin(), buffers.inPhase.end(),
                            [](float x) { return x == 5.0f; }));
}
