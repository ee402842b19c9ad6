#pragma once

#include "dsp/Smoother.h"
#include "midi/ControllerObservers.h"
#include "midi/MessageObservers.h"
#include "modulators/MidiScale.h"
#include "services/ServiceInterfaces.h"

#include <cstdint>

namespace Kestrune::Modulators
{

// A 7-bit MIDI value as a smoothed per-sample modulation source: value 0 gives the minimum, 127
// the maximum, and the output glides between them. Before the first value the output is 0. For
// its lifetime the source is attached with Attach to the MIDI provider that GetProvider answers;
// the concrete source passes each value of its kind to SetValue.
//
// Values arrive [audio] between slices; the smoother registers with the service provider, which
// brings the buffer up to date before every slice.
template <typename Observer, typename Provider, Provider* (IServiceProvider::*GetProvider)(),
          void (Provider::*Attach)(Observer*), void (Provider::*Detach)(Observer*)>
class SmoothedMidiSource : public Observer
{
public:
    // Without a MIDI provider the source stays at 0.
    SmoothedMidiSource(float minimumValue, float maximumValue, IServiceProvider* serviceProvider)
        : smoother(serviceProvider), minimum(minimumValue), range(maximumValue - minimumValue),
          provider((serviceProvider->*GetProvider)())
    {
        if (provider != nullptr)
            (provider->*Attach)(this);
    }

    ~SmoothedMidiSource() override
    {
        if (provider != nullptr)
            (provider->*Detach)(this);
    }

    SmoothedMidiSource(const SmoothedMidiSource&) = delete;
    SmoothedMidiSource& operator=(const SmoothedMidiSource&) = delete;

    const float* GetBuffer() const { return smoother.GetBuffer(); }
    Parameters::Smoother& GetSmoother() { return smoother; }

protected:
    void SetValue(std::uint8_t value) { smoother.SetTarget(MidiToRange(value, minimum, range)); }

private:
    Parameters::Smoother smoother;
    float minimum;
    float range; // maximum - minimum
    Provider* provider;
};

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
