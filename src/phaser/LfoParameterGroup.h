#pragma once

#include "modulators/QuadratureLfo.h"
#include "parameters/Displays.h"
#include "parameters/Labels.h"
#include "parameters/Parameter.h"
#include "parameters/ParameterGroupBase.h"
#include "parameters/Transforms.h"

namespace Kestrune::Modulators
{

// "Frequency", "MIDI Source", "Sync Enabled", "Sync Resolution", "Quad Mode".
template <int ProgramCount>
class QuadratureLfo::ParameterGroup
    : public Parameters::ParameterGroupBase<QuadratureLfo, ProgramCount>
{
    template <typename T, typename D, typename L>
    using Plain = Parameters::Parameter<QuadratureLfo, ProgramCount, T, D, L>;

public:
    ParameterGroup(const char* shortName, const char* name)
        : Parameters::ParameterGroupBase<QuadratureLfo, ProgramCount>(shortName, name)
    {
        using namespace Parameters;
        this->template AddParameter<
            Plain<LfoBase::FrequencyTransform, FloatDisplay, FrequencyLabel>>(
            "Freq", "Frequency", 0.2f, &QuadratureLfo::SetFrequency);
        this->template AddParameter<
            Plain<SelectionTransform<4>, LfoBase::MidiSourceDisplay, SourceLabel>>(
            "MS", "MIDI Source", 0.0f, &QuadratureLfo::SetMidiSource);
        this->template AddParameter<Plain<BooleanTransform, EnabledDisplay, EnabledLabel>>(
            "SOn", "Sync Enabled", 0.0f, &QuadratureLfo::SetSyncEnabled);
        this->template AddParameter<
            Plain<SelectionTransform<11>, SynchableLfo::SyncResolutionDisplay, ResolutionLabel>>(
            "SRes", "Sync Resolution", 0.5f, &QuadratureLfo::SetSyncResolution);
        this->template AddParameter<Plain<BooleanTransform, EnabledDisplay, EnabledLabel>>(
            "QM", "Quad Mode", 1.0f, &QuadratureLfo::SetQuadMode);
    }
};

} // namespace Kestrune::Modulators
