#include "modulators/ChannelPressure.h"

#include "modulators/MidiScale.h"

namespace Kestrune::Modulators
{

ChannelPressure::ChannelPressure(float minimumValue, float maximumValue,
                                 IServiceProvider* serviceProvider)
    : smoother(serviceProvider), minimum(minimumValue), range(maximumValue - minimumValue),
      provider(serviceProvider->GetMessageProvider())
{
    if (provider != nullptr)
        provider->AttachChannelPressureObserver(this);
}

ChannelPressure::~ChannelPressure()
{
    if (provider != nullptr)
        provider->DetachChannelPressureObserver(this);
}

void ChannelPressure::OnChannelPressure(std::uint8_t, std::uint8_t pressure)
{
    smoother.SetTarget(MidiToRange(pressure, minimum, range));
}

} // namespace Kestrune::Modulators
