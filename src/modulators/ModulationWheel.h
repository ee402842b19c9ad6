#pragma once

#include "midi/ControllerObservers.h"
#include "modulators/SmoothedMidiSource.h"

namespace Kestrune::Modulators
{

// The modulation wheel (controller 1) as a smoothed per-sample modulation source.
class ModulationWheel
    : public SmoothedMidiSource<Midi::IModulationWheelObserver, Midi::IControllerProvider,
                                &IServiceProvider::GetControllerProvider,
                                &Midi::IControllerProvider::AttachModulationWheelObserver,
                                &Midi::IControllerProvider::DetachModulationWheelObserver>
{
public:
    using SmoothedMidiSource::SmoothedMidiSource;

    void OnModulationWheel(std::uint8_t, std::uint8_t value) override { SetValue(value); }
    // The fine controller (33) has no effect.
    void OnModulationWheelFine(std::uint8_t, std::uint8_t) override {}
};

} // namespace Kestrune::Modulators
