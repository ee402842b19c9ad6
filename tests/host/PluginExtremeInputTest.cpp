// The built module under input no host should send: long event lists, parameter values of any
// finite size, chunks holding such values. Output stays finite and bounded for input within +-1.
#include "hostkit/Module.h"
#include "phaser/Product.h"
#include "support/PluginHost.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <vector>

using TestSupport::PluginHost;

namespace
{

constexpr int kBlock = 512;
using namespace Kestrune::Product;

struct Rig
{
    PluginHost host;
    std::vector<float> inL = std::vector<float>(kBlock), inR = std::vector<float>(kBlock);
    std::vector<float> outL = std::vector<float>(kBlock), outR = std::vector<float>(kBlock);
    std::vector<float> recorded;

    Rig()
    {
        EXPECT_NE(host.Create(), nullptr);
        host.Start();
        for (int i = 0; i < kBlock; ++i)
        {
            inL[static_cast<std::size_t>(i)] = std::sin(0.05f * static_cast<float>(i));
            inR[static_cast<std::size_t>(i)] = (i % 7 == 0) ? 1.0f : -0.5f;
        }
    }

    // Blocks of the same input; returns the largest magnitude, or infinity for a non-finite
    // sample. The left output is recorded.
    float Run(int blocks)
    {
        float peak = 0.0f;
        for (int b = 0; b < blocks; ++b)
        {
            host.Process(inL.data(), inR.data(), outL.data(), outR.data(), kBlock);
            recorded.insert(recorded.end(), outL.begin(), outL.end());
            for (int i = 0; i < kBlock; ++i)
            {
                const float l = outL[static_cast<std::size_t>(i)];
                const float r = outR[static_cast<std::size_t>(i)];
                if (!std::isfinite(l) || !std::isfinite(r))
                    return INFINITY;
                peak = std::max({peak, std::fabs(l), std::fabs(r)});
            }
        }
        return peak;
    }

    void Set(int index, float value) { host.Effect()->setParameter(host.Effect(), index, value); }
};

} // namespace

TEST(PluginExtremeInput, EntryRefusesAHostWithoutCallbackOrVersion)
{
    PluginHost host;
    ASSERT_TRUE(host.Loaded());
    EXPECT_EQ(host.Create(0), nullptr) << "host version 0";
    const HostKit::Module module(TestSupport::ModulePath());
    EXPECT_EQ(module.Entry()(nullptr), nullptr) << "no callback";
}

TEST(PluginExtremeInput, ProcessingWithoutChannelsOrSamplesLeavesEverythingAlone)
{
    Rig rig;
    std::vector<float> out(kBlock, 7.0f);
    float* missingInput[2] = {rig.inL.data(), nullptr};
    float* outputs[2] = {out.data(), out.data()};
    rig.host.Effect()->processReplacing(rig.host.Effect(), missingInput, outputs, kBlock);
    EXPECT_EQ(out, std::vector<float>(kBlock, 7.0f)) << "an input channel is missing";
    float* inputs[2] = {rig.inL.data(), rig.inR.data()};
    float* missingOutput[2] = {nullptr, out.data()};
    rig.host.Effect()->processReplacing(rig.host.Effect(), inputs, missingOutput, kBlock);
    EXPECT_EQ(out, std::vector<float>(kBlock, 7.0f)) << "an output channel is missing";
    rig.host.Effect()->processReplacing(rig.host.Effect(), nullptr, outputs, kBlock);
    rig.host.Effect()->processReplacing(rig.host.Effect(), inputs, nullptr, kBlock);
    for (int frames : {0, -1, -100000})
        rig.host.Effect()->processReplacing(rig.host.Effect(), inputs, outputs, frames);
    EXPECT_EQ(out, std::vector<float>(kBlock, 7.0f)) << "no samples to process";
    EXPECT_LT(rig.Run(4), 100.0f) << "and processing goes on as before";
}

TEST(PluginExtremeInput, MoreEventsThanTheQueueHoldsAreDroppedNotStored)
{
    // The queue holds 4096 events; the rest of a flood is dropped, and nothing allocates.
    auto render = [](int controllers)
    {
        Rig rig;
        rig.Set(kSweepSource, 2.0f / 3.0f); // "MW"
        rig.Set(kDepth, 1.0f);
        rig.Set(kMix, 1.0f);
        for (int i = 0; i < controllers; ++i)
            rig.host.AddMidi(0, 0xB0, 2, 0);
        rig.host.AddMidi(0, 0xB0, 1, 127); // the wheel, last in the list
        rig.Run(8);
        return rig.recorded;
    };
    const auto unmoved = render(5000);
    EXPECT_EQ(unmoved, render(5000 + 1)) << "past the capacity the wheel never arrives";
    EXPECT_NE(render(4095), unmoved) << "within the capacity it does";
}

TEST(PluginExtremeInput, EveryEntryOfALongEventListIsDelivered)
{
    // The wheel sweeps the centre frequencies by one octave: its value changes the sound.
    auto render = [](bool padded, bool wheel)
    {
        Rig rig;
        rig.Set(kSweepSource, 2.0f / 3.0f); // "MW"
        rig.Set(kDepth, 1.0f);
        rig.Set(kMix, 1.0f);
        if (padded)
            for (int i = 0; i < 4; ++i)
                rig.host.AddMidi(0, 0xB0, 2, 0); // a controller without meaning
        if (wheel)
            rig.host.AddMidi(0, 0xB0, 1, 127);
        rig.Run(8);
        return rig.recorded;
    };
    const auto fifthEntry = render(true, true);
    EXPECT_EQ(fifthEntry, render(false, true)) << "the wheel as fifth entry acts as if alone";
    EXPECT_NE(fifthEntry, render(true, false)) << "the wheel change takes effect";
}

TEST(PluginExtremeInput, HugeParameterValuesKeepOutputFiniteAndBounded)
{
    for (float huge : {1e30f, FLT_MAX, -FLT_MAX, 1e6f, -1e6f})
    {
        Rig rig;
        rig.Set(kFeedback, 1.0f);
        rig.Set(kMix, huge);
        EXPECT_LT(rig.Run(20), 100.0f) << "mix " << huge;
        // Every parameter at the extreme, then across the whole range the other way.
        for (int index = 0; index < rig.host.Effect()->numParams; ++index)
            rig.Set(index, huge);
        EXPECT_LT(rig.Run(20), 100.0f) << "all at " << huge;
        for (int index = 0; index < rig.host.Effect()->numParams; ++index)
            rig.Set(index, -huge);
        EXPECT_LT(rig.Run(2), 100.0f) << "all at " << -huge;
        rig.Set(kMix, 0.5f);
        EXPECT_LT(rig.Run(20), 100.0f) << "mix back from " << -huge;
    }
}

TEST(PluginExtremeInput, FastDeepSweepWithFeedbackStaysBounded)
{
    // Stored values far above 1: the oscillator at 20 v^2 Hz (a thousand times the audio
    // range), or locked to an absurd tempo, and a sweep of 100 octaves, with feedback. The
    // cascade used to run away to infinity within a second.
    for (bool sync : {false, true})
    {
        Rig rig;
        rig.host.time.tempo = 1e9;
        rig.Set(0, 1000.0f);            // LFO frequency
        rig.Set(2, sync ? 1.0f : 0.0f); // sync
        rig.Set(3, 0.0f);               // 1/32
        rig.Set(kFeedback, 1.0f);       // 0.95
        rig.Set(kDepth, 10.0f);         // 100 octaves
        rig.Set(10, 1.0f);              // 16 stages
        rig.Set(kMix, 1.0f);
        EXPECT_LT(rig.Run(200), 100.0f) << (sync ? "synchronised" : "free");
    }
}

TEST(PluginExtremeInput, ChunkWithHugeValuesKeepsOutputFiniteAndBounded)
{
    Rig rig;
    void* data = nullptr;
    const auto size = rig.host.Dispatch(effGetChunk, 1, 0, &data);
    ASSERT_EQ(size, 240);
    std::vector<char> chunk(static_cast<const char*>(data), static_cast<const char*>(data) + size);
    constexpr std::size_t kValues = 164 + 24;
    const float feedback = 1.0f, mix = FLT_MAX;
    std::memcpy(&chunk[kValues + 4 * kFeedback], &feedback, 4);
    std::memcpy(&chunk[kValues + 4 * kMix], &mix, 4);
    ASSERT_EQ(rig.host.Dispatch(effSetChunk, 1, size, chunk.data()), 1);
    EXPECT_EQ(rig.host.Effect()->getParameter(rig.host.Effect(), kMix), FLT_MAX)
        << "stored unchanged";
    EXPECT_LT(rig.Run(40), 100.0f);
}
