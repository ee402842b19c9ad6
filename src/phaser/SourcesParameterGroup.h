#pragma once

#include "modulators/PhaserSources.h"
#include "parameters/Labels.h"
#include "parameters/Parameter.h"
#include "parameters/ParameterGroupBase.h"
#include "parameters/Transforms.h"

namespace Kestrune::Effects
{

// "Modulation Source": none, the oscillator, the modulation wheel or channel pressure.
template <int ProgramCount>
class PhaserSources::ParameterGroup
    : public Parameters::ParameterGroupBase<PhaserSources, ProgramCount>
{
public:
    ParameterGroup(const char* shortName, const char* name)
        : Parameters::ParameterGroupBase<PhaserSources, ProgramCount>(shortName, name)
    {
        using namespace Parameters;
        this->template AddParameter<Parameter<PhaserSources, ProgramCount, SelectionTransform<4>,
                                              PhaserSources::SourceDisplay, SourceLabel>>(
            "MS", "Modulation Source", 0.25f, &PhaserSources::SetSource);
    }
};

} // namespace Kestrune::Effects
