#pragma once

#include "dsp/GlideSet.h"
#include "dsp/Phaser.h"
#include "modulators/MidiSources.h"
#include "modulators/PhaserSources.h"
#include "modulators/QuadratureLfo.h"
#include "phaser/LfoParameterGroup.h"
#include "phaser/PhaserParameterGroup.h"
#include "phaser/SourcesParameterGroup.h"

// The plug-in's processing chain: the oscillator, the phaser, the two MIDI modulators and the
// router that picks the phaser's sweep source. Held by value inside the model.
class PhaserEngine
{
public:
    using LfoGroup = Kestrune::Modulators::QuadratureLfo::ParameterGroup<32>;
    using PhaserGroup = Kestrune::Effects::Phaser::ParameterGroup<32>;
    using SourcesGroup = Kestrune::Effects::PhaserSources::ParameterGroup<32>;

    // Builds the chain, then attaches each group to its owner, which hands every owner its
    // current settings in flat-index order.
    PhaserEngine(LfoGroup& lfoGroup, PhaserGroup& phaserGroup, SourcesGroup& sourcesGroup,
                 Kestrune::IServiceProvider* provider);

    // [audio] Under the model's lock; count at most 16384. The oscillator advances only
    // while the phaser is enabled, so its phase stands still while the effect is off.
    void Process(const float* inL, const float* inR, float* outL, float* outR, int count);

    Kestrune::Modulators::QuadratureLfo& GetLfo() { return lfo; }
    Kestrune::Effects::Phaser& GetPhaser() { return phaser; }

private:
    Kestrune::Modulators::QuadratureLfo lfo;
    Kestrune::Effects::Phaser phaser;
    Kestrune::Modulators::ModulationWheel wheel;
    Kestrune::Modulators::ChannelPressure pressure;
    Kestrune::Effects::PhaserSources sources;
    // Every smoother whose buffer the phaser may read: stepped inside its loop.
    Kestrune::Parameters::GlideSet glides;
    // "Modulation Depth": how deep the sweep goes limits how fast it may go.
    const Kestrune::Parameters::Smoother* depth;
};
