#include "modulators/PhaserSources.h"

#include "dsp/Phaser.h"
#include "modulators/MidiSources.h"
#include "modulators/QuadratureLfo.h"

#include "dsp/DisplayChecks.h"
#include "modulators/FakeMidiProviders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>

using Kestrune::Effects::Phaser;
using Kestrune::Effects::PhaserSources;
using Kestrune::Modulators::ChannelPressure;
using Kestrune::Modulators::ModulationWheel;
using Kestrune::Modulators::QuadratureLfo;

namespace
{

struct Engine : ModulatorTests::MidiRig
{
    std::unique_ptr<QuadratureLfo> lfo = std::make_unique<QuadratureLfo>(&provider);
    std::unique_ptr<Phaser> phaser = std::make_unique<Phaser>(&provider);
    std::unique_ptr<ModulationWheel> wheel =
        std::make_unique<ModulationWheel>(-1.0f, 1.0f, &provider);
    std::unique_ptr<ChannelPressure> pressure =
        std::make_unique<ChannelPressure>(-1.0f, 1.0f, &provider);
    std::unique_ptr<PhaserSources> sources =
        std::make_unique<PhaserSources>(phaser.get(), lfo.get(), wheel.get(), pressure.get());

    void ExpectSources(const float* left, const float* right, int line)
    {
        EXPECT_EQ(phaser->GetLeftModulationSource(), left) << "line " << line;
        EXPECT_EQ(phaser->GetRightModulationSource(), right) << "line " << line;
    }
};

} // namespace

TEST(PhaserSources, SourceTexts)
{
    DspTests::ExpectTableTexts<PhaserSources::SourceDisplay>({"None", "LFO", "MW", "CP"});
}

TEST(PhaserSources, RoutesEachChoiceAndIgnoresOthers)
{
    Engine e;
    e.sources->SetSource(1);
    e.ExpectSources(e.lfo->GetInPhaseOutput(), e.lfo->GetQuadratureOutput(), __LINE__);
    e.sources->SetSource(2);
    e.ExpectSources(e.wheel->GetBuffer(), e.wheel->GetBuffer(), __LINE__);
    e.sources->SetSource(3);
    e.ExpectSources(e.pressure->GetBuffer(), e.pressure->GetBuffer(), __LINE__);
    for (int other : {4, -1, 1000})
    {
        e.sources->SetSource(other);
        e.ExpectSources(e.pressure->GetBuffer(), e.pressure->GetBuffer(), __LINE__);
    }
    e.sources->SetSource(0);
    e.ExpectSources(Kestrune::SilenceBuffer, Kestrune::SilenceBuffer, __LINE__);
}

TEST(PhaserSources, SwitchingDoesNotDisturbTheOscillator)
{
    Engine e;
    e.sources->SetSource(1);
    e.lfo->Process(1234);
    const float sine = e.lfo->GetSine(), cosine = e.lfo->GetCosine();
    e.sources->SetSource(0);
    e.sources->SetSource(1);
    EXPECT_EQ(e.lfo->GetSine(), sine);
    EXPECT_EQ(e.lfo->GetCosine(), cosine);
}

// The wheel moves the phaser's sweep: with the wheel at the top and depth 1, each centre
// frequency doubles, which a single impulse into zero states shows in the first output.
TEST(PhaserSources, WheelSweepsThePhaser)
{
    Engine e;
    float depth[8], frequency[8], mix[8];
    std::fill(std::begin(depth), std::end(depth), 1.0f);
    std::fill(std::begin(frequency), std::end(frequency), 2500.0f);
    std::fill(std::begin(mix), std::end(mix), 1.0f);
    e.phaser->SetEnabled(true);
    e.phaser->SetModulationDepth1(depth);
    e.phaser->SetLeftFrequency(frequency);
    e.phaser->SetRightFrequency(frequency);
    e.phaser->SetMix(mix);
    e.sources->SetSource(2);
    e.Control(0, 1, 127);
    e.provider.ResetAll();

    float in[1] = {1.0f}, outL[1], outR[1];
    e.phaser->Process(in, in, outL, outR, 1);
    const double w = 2.0 * 2500.0 / 22050.0;
    const double a = (1.0 - w) / (1.0 + w);
    EXPECT_NEAR(outL[0], std::pow(a, 4.0), 1e-5);
    EXPECT_EQ(outL[0], outR[0]);
}
