#pragma once

#include "model/Model.h"
#include "phaser/LfoParameterGroup.h"
#include "phaser/PhaserParameterGroup.h"
#include "phaser/SourcesParameterGroup.h"

// The plug-in's 13 parameters in flat-index order, in three groups (LFO, Phaser, Phaser source),
// with no processing chain: the plug-in's model attaches its chain to them.
class CorvanePhaserParameters : public Kestrune::Model
{
public:
    using LfoGroup = Kestrune::Modulators::QuadratureLfo::ParameterGroup<32>;
    using PhaserGroup = Kestrune::Effects::Phaser::ParameterGroup<32>;
    using SourcesGroup = Kestrune::Effects::PhaserSources::ParameterGroup<32>;

    CorvanePhaserParameters(const char* pluginName, const char* vendorName, const char* productName,
                            int vendorVersion, Kestrune::IServiceProvider* provider);
    ~CorvanePhaserParameters() override = default;

    int GetInputCount() override { return 2; }
    int GetOutputCount() override { return 2; }

protected:
    LfoGroup lfoGroup;
    PhaserGroup phaserGroup;
    SourcesGroup sourcesGroup;
};
