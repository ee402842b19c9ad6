#include "modulators/ModulationWheel.h"

#include "modulators/MidiScale.h"

namespace Kestrune::Modulators
{

ModulationWheel::ModulationWheel(float minimumValue, float maximumValue,
                                 IServiceProvider* serviceProvider)
    : smoother(serviceProvider), minimum(minimumValue), range(maximumValue - minimumValue),
      provider(serviceProvider->GetControllerProvider())
{
    if (provider != nullptr)
        provider->AttachModulationWheelObserver(this);
}

ModulationWheel::~ModulationWheel()
{
    if (provider != nullptr)
        provider->DetachModulationWheelObserver(this);
}

void ModulationWheel::OnModulationWheel(std::uint8_t, std::uint8_t value)
{
    smoother.SetTarget(MidiToRange(value, minimum, range));
}

void ModulationWheel::OnModulationWheelFine(std::uint8_t, std::uint8_t) {}

} // namespace Kestrune::Modulators
