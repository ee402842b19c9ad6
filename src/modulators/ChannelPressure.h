#pragma once

#include "midi/MessageObservers.h"
#include "modulators/SmoothedMidiSource.h"

namespace Kestrune::Modulators
{

// Channel pressure as a smoothed per-sample modulation source.
class ChannelPressure
    : public SmoothedMidiSource<Midi::IChannelPressureObserver, Midi::IMessageProvider,
                                &IServiceProvider::GetMessageProvider,
                                &Midi::IMessageProvider::AttachChannelPressureObserver,
                                &Midi::IMessageProvider::DetachChannelPressureObserver>
{
public:
    using SmoothedMidiSource::SmoothedMidiSource;

    void OnChannelPressure(std::uint8_t, std::uint8_t pressure) override { SetValue(pressure); }
};

} // namespace Kestrune::Modulators
