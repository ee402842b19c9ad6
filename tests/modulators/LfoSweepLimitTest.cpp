// The oscillator never sweeps faster than one cycle per 882 samples (50 Hz at 44100 Hz), but
// always allows the free-running range up to 20 Hz: audio-rate sweeps with a deep modulation
// and feedback made the phaser's cascade run away to infinity.
#include "modulators/QuadratureLfo.h"

#include "support/FakeServiceProvider.h"

#include <gtest/gtest.h>

#include <memory>

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

TEST(LfoSweepLimit, FrequenciesUpToTheLimitAreExact)
{
    for (float rate : {8000.0f, 22050.0f, 44100.0f, 96000.0f})
    {
        Rig rig(rate);
        for (float hz : {0.05f, 0.8f, 20.0f})
        {
            rig.lfo->SetFrequency(hz);
            EXPECT_EQ(rig.lfo->GetIncrement(), Increment(hz, rate)) << rate << " " << hz;
        }
    }
    Rig rig(44100.0f);
    rig.lfo->SetFrequency(50.0f);
    EXPECT_EQ(rig.lfo->GetIncrement(), Increment(50.0f, 44100.0f));
}

TEST(LfoSweepLimit, FasterSweepsRunAtTheLimit)
{
    Rig cd(44100.0f), high(96000.0f), low(8000.0f);
    for (float hz : {50.1f, 80.0f, 7000.0f, 1e30f})
    {
        cd.lfo->SetFrequency(hz);
        EXPECT_EQ(cd.lfo->GetIncrement(), Increment(50.0f, 44100.0f)) << hz;
        EXPECT_EQ(cd.lfo->GetFrequency(), hz) << "the set frequency is kept";
        low.lfo->SetFrequency(hz);
        EXPECT_EQ(low.lfo->GetIncrement(), Increment(20.0f, 8000.0f)) << "20 Hz always";
    }
    // At 96000 Hz the limit is 108.8 Hz.
    high.lfo->SetFrequency(100.0f);
    EXPECT_EQ(high.lfo->GetIncrement(), Increment(100.0f, 96000.0f));
    high.lfo->SetFrequency(7000.0f);
    EXPECT_FLOAT_EQ(high.lfo->GetIncrement(), 6.283185f / 882.0f);
    // Tempo sync: a 1/32 note at 1000 bpm would be 133 Hz.
    cd.lfo->SetSyncResolution(0);
    cd.provider.tempo = 1000.0f;
    cd.lfo->SetSyncEnabled(true);
    EXPECT_EQ(cd.lfo->GetIncrement(), Increment(50.0f, 44100.0f));
    // A sample-rate change recomputes the limit.
    cd.provider.ChangeSampleRate(96000.0f);
    EXPECT_FLOAT_EQ(cd.lfo->GetIncrement(), 6.283185f / 882.0f);
}
