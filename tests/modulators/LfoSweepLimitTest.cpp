// The oscillator never sweeps faster than one cycle per 32 samples, but always allows the
// free-running range up to 20 Hz: an audio-rate sweep at full depth with feedback 0.95 runs the
// phaser's cascade away from 9.5 to 20 samples per cycle (bench SweepRunaway measures it,
// PhaserDepthLimit tests the margin). Tempo
// sync reaches 133 Hz (1/32 at 999 bpm), under the limit from 4263 Hz upwards; below, a
// synchronised sweep runs at twice the note length (or four times...), still locked to the song
// position.
#include "modulators/QuadratureLfo.h"

#include "support/FakeServiceProvider.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <utility>

using Kestrune::Modulators::QuadratureLfo;

namespace
{

struct Rig
{
    TestSupport::FakeServiceProvider provider;
    std::unique_ptr<QuadratureLfo> lfo;

    explicit Rig(float rate)
    {
        provider.sampleRate = rate;
        lfo = std::make_unique<QuadratureLfo>(&provider);
    }
};

} // namespace

TEST(LfoSweepLimit, FrequenciesUpToTheLimitAreExactAndFasterOnesRunAtIt)
{
    for (float rate : {8000.0f, 22050.0f, 44100.0f, 96000.0f})
    {
        Rig rig(rate);
        for (float hz : {0.05f, 20.0f, 133.2f, rate / 32.0f, rate / 31.0f, 1e30f})
        {
            rig.lfo->SetFrequency(hz);
            EXPECT_EQ(rig.lfo->GetIncrement(), std::min(hz, rate / 32.0f) * 6.283185f / rate)
                << rate << " " << hz;
        }
        rig.lfo->SetSweepDepth(4.0f); // octaves: a quarter of the rate
        EXPECT_EQ(rig.lfo->GetIncrement(), std::max(rate / 128.0f, 20.0f) * 6.283185f / rate);
    }
    Rig low(400.0f);
    low.lfo->SetFrequency(1e30f);
    EXPECT_EQ(low.lfo->GetIncrement(), 20.0f * 6.283185f / 400.0f) << "20 Hz always";
    low.provider.ChangeSampleRate(44100.0f);
    EXPECT_FLOAT_EQ(low.lfo->GetIncrement(), 6.283185f / 32.0f) << "the limit follows the rate";
}

// The host re-aligns a synchronised sweep to its song position at every block: the oscillator's
// own run through a block must land where the next block starts, or each block clicks.
TEST(LfoSweepLimit, Synchronised1In32At999BpmFollowsTheSongPositionWithoutAJump)
{
    constexpr int kBlock = 2048;
    // Rate and quarter notes a cycle: 1/32 at 999 bpm (133.2 Hz) runs at 33.3 Hz (1/8) where
    // the limit is 62.5 Hz.
    const std::pair<float, double> cases[] = {{22050.0f, 0.125}, {44100.0f, 0.125}, {2000.0f, 0.5}};
    for (const auto& [rate, cycle] : cases)
    {
        Rig rig(rate);
        rig.provider.tempo = 999.0f;
        rig.lfo->SetSyncResolution(0);
        rig.lfo->SetSyncEnabled(true);
        const double perSample = 999.0 / 60.0 / rate; // quarter notes
        double worst = 0.0;
        for (int block = 0; block < 24; ++block)
        {
            const auto start = static_cast<float>(3.0 + block * kBlock * perSample);
            rig.provider.ChangePosition(start);
            rig.lfo->Process(kBlock);
            for (int i = 0; i < kBlock; ++i)
                worst = std::max(worst, std::fabs(rig.lfo->GetInPhaseOutput()[i] -
                                                  std::sin(2.0 * std::numbers::pi *
                                                           (start + (i + 1) * perSample) / cycle)));
        }
        EXPECT_LT(worst, 1e-3) << rate << " Hz";
    }
}
