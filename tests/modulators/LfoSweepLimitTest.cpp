// The oscillator never sweeps faster than one cycle per 32 samples, but always allows the
// free-running range up to 20 Hz: an audio-rate sweep at full depth with feedback 0.95 runs the
// phaser's cascade away from about 12 samples per cycle (18 at 44100 Hz). Tempo sync reaches
// 133 Hz (1/32 at 999 bpm), under the limit from 4263 Hz upwards; below, a synchronised sweep
// runs at twice the note length (or four times...), still locked to the song position.
#include "modulators/QuadratureLfo.h"

#include "dsp/Phaser.h"
#include "dsp/PhaserInputs.h"
#include "support/FakeServiceProvider.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

using Kestrune::Modulators::QuadratureLfo;

namespace
{

float Increment(float hz, float rate)
{
    return (hz * 6.283185f) / rate;
}

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
        for (float hz : {0.05f, 0.8f, 20.0f, 133.2f, rate / 32.0f})
        {
            rig.lfo->SetFrequency(hz);
            EXPECT_EQ(rig.lfo->GetIncrement(), Increment(hz, rate)) << rate << " " << hz;
        }
        for (float hz : {rate / 31.0f, 7000.0f, 1e30f})
        {
            rig.lfo->SetFrequency(hz);
            EXPECT_FLOAT_EQ(rig.lfo->GetIncrement(), 6.283185f / 32.0f) << rate << " " << hz;
            EXPECT_EQ(rig.lfo->GetFrequency(), hz) << "the set frequency is kept";
        }
    }
    Rig low(400.0f);
    low.lfo->SetFrequency(1e30f);
    EXPECT_EQ(low.lfo->GetIncrement(), Increment(20.0f, 400.0f)) << "20 Hz always";
    low.provider.ChangeSampleRate(44100.0f);
    EXPECT_FLOAT_EQ(low.lfo->GetIncrement(), 6.283185f / 32.0f) << "the limit follows the rate";
}

// The host re-aligns a synchronised sweep to its song position at every block: the oscillator's
// own run through the block must land where the next block starts, or each block clicks.
TEST(LfoSweepLimit, SynchronisedSweepFollowsTheSongPositionWithoutAJumpAtBlocks)
{
    constexpr int kBlock = 2048;
    constexpr float kTempo = 999.0f;
    // Sample rate, and quarter notes per cycle run for 1/32 (0.125) at 999 bpm: 133.2 Hz, above
    // the limit of 62.5 Hz at 2000 Hz, runs at 33.3 Hz there.
    const struct
    {
        float rate;
        double cycle;
    } cases[] = {{22050.0f, 0.125}, {44100.0f, 0.125}, {2000.0f, 0.5}};
    for (const auto& c : cases)
    {
        Rig rig(c.rate);
        rig.provider.tempo = kTempo;
        rig.lfo->SetSyncResolution(0);
        rig.lfo->SetSyncEnabled(true);
        const double perSample = kTempo / 60.0 / c.rate; // quarter notes
        double worst = 0.0, largestStep = 0.0, boundaryStep = 0.0;
        float previous = 0.0f;
        for (int block = 0; block < 24; ++block)
        {
            const double start = 3.0 + block * kBlock * perSample;
            rig.provider.ChangePosition(static_cast<float>(start));
            rig.lfo->Process(kBlock);
            const float* out = rig.lfo->GetInPhaseOutput();
            for (int i = 0; i < kBlock; ++i)
            {
                const double position = static_cast<float>(start) + (i + 1) * perSample;
                const double expected = std::sin(2.0 * M_PI * position / c.cycle);
                worst = std::max(worst, std::fabs(out[i] - expected));
                if (block > 0 || i > 0)
                {
                    double& steps = i == 0 ? boundaryStep : largestStep;
                    steps = std::max(steps, std::fabs(static_cast<double>(out[i] - previous)));
                }
                previous = out[i];
            }
        }
        EXPECT_LT(worst, 1e-3) << c.rate << " Hz: the sweep follows the song position";
        EXPECT_LE(boundaryStep, largestStep * 1.01) << c.rate << " Hz: no jump at a block";
    }
}

// At the limit, every stage count and centre frequency, the cascade stays within the gain it
// has for a standing sweep (about 95 at most): it does not run away.
TEST(LfoSweepLimit, FullDepthSweepAtTheLimitWithFeedbackStaysBounded)
{
    constexpr int kBlock = 512;
    std::vector<float> depth(kBlock, 1.0f), centre(kBlock), mix(kBlock, 1.0f), in(kBlock),
        outL(kBlock), outR(kBlock);
    std::minstd_rand noise(7);
    std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
    for (float rate : {8000.0f, 22050.0f, 44100.0f, 96000.0f})
    {
        float peak = 0.0f;
        for (int mode = 0; mode < Kestrune::Effects::Phaser::kStageModeCount; ++mode)
            for (float hz : {50.0f, 1000.0f, 10000.0f})
            {
                Rig rig(rate);
                rig.lfo->SetFrequency(1e30f); // runs at the limit
                Kestrune::Effects::Phaser phaser(&rig.provider);
                phaser.SetEnabled(true);
                phaser.SetFeedback(0.95f);
                phaser.SetStageMode(mode);
                std::fill(centre.begin(), centre.end(), hz);
                DspTests::ConnectInputs(phaser, depth.data(), centre.data(), centre.data(),
                                        mix.data(), rig.lfo->GetInPhaseOutput(),
                                        rig.lfo->GetQuadratureOutput());
                for (int block = 0; block < static_cast<int>(rate) / kBlock; ++block)
                {
                    std::generate(in.begin(), in.end(), [&] { return sample(noise); });
                    rig.lfo->Process(kBlock);
                    phaser.Process(in.data(), in.data(), outL.data(), outR.data(), kBlock);
                    for (int i = 0; i < kBlock; ++i)
                        peak = std::max({peak, std::fabs(outL[i]), std::fabs(outR[i])});
                }
            }
        EXPECT_LT(peak, 100.0f) << rate << " Hz";
        RecordProperty("PeakAtLimit" + std::to_string(static_cast<int>(rate)),
                       std::to_string(peak));
    }
}
