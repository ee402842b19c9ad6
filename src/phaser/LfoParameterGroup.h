#pragma once

#include "modulators/QuadratureLfo.h"
#include "phaser/ParameterPolicies.h"

namespace Kestrune::Modulators
{

// "Frequency", "MIDI Source", "Sync Enabled", "Sync Resolution", "Quad Mode": the table's LFO
// rows.
template <int ProgramCount>
class QuadratureLfo::ParameterGroup
    : public Product::TableGroup<QuadratureLfo, ProgramCount, Product::Group::kLfo>
{
public:
    ParameterGroup(const char* shortName, const char* name)
        : Product::TableGroup<QuadratureLfo, ProgramCount, Product::Group::kLfo>(shortName, name)
    {
        using namespace Product;
        this->template Add<kLfoFrequency>(&QuadratureLfo::SetFrequency);
        this->template Add<kLfoMidiSource>(&QuadratureLfo::SetMidiSource);
        this->template Add<kLfoSync>(&QuadratureLfo::SetSyncEnabled);
        this->template Add<kLfoSyncResolution>(&QuadratureLfo::SetSyncResolution);
        this->template Add<kLfoQuadMode>(&QuadratureLfo::SetQuadMode);
    }
};

} // namespace Kestrune::Modulators
