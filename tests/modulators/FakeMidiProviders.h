// MIDI for modulator tests: the real dispatchers, recording who attaches to the kinds the
// modulators use, behind a fake service provider.
#pragma once

#include "midi/ControllerDispatcher.h"
#include "midi/MessageDispatcher.h"
#include "support/FakeServiceProvider.h"

#include <algorithm>
#include <vector>

namespace ModulatorTests
{

// Observers in attach order; a detach takes out every occurrence.
class Attachments : public std::vector<const void*>
{
public:
    template <typename T> T* Attached(T* observer)
    {
        push_back(observer);
        return observer;
    }
    template <typename T> T* Detached(T* observer)
    {
        erase(std::remove(begin(), end(), observer), end());
        return observer;
    }
};

class RecordingMessages : public Kestrune::Midi::MessageDispatcher
{
public:
    Attachments pressureObservers;

    void AttachChannelPressureObserver(Kestrune::Midi::IChannelPressureObserver* o) override
    {
        MessageDispatcher::AttachChannelPressureObserver(pressureObservers.Attached(o));
    }
    void DetachChannelPressureObserver(Kestrune::Midi::IChannelPressureObserver* o) override
    {
        MessageDispatcher::DetachChannelPressureObserver(pressureObservers.Detached(o));
    }
};

class RecordingControllers : public Kestrune::Midi::ControllerDispatcher
{
public:
    using ControllerDispatcher::ControllerDispatcher;

    // Modulation wheel and expression pedal observers, in one list to show their order.
    Attachments observers;

    void AttachModulationWheelObserver(Kestrune::Midi::IModulationWheelObserver* o) override
    {
        ControllerDispatcher::AttachModulationWheelObserver(observers.Attached(o));
    }
    void DetachModulationWheelObserver(Kestrune::Midi::IModulationWheelObserver* o) override
    {
        ControllerDispatcher::DetachModulationWheelObserver(observers.Detached(o));
    }
    void AttachExpressionPedalObserver(Kestrune::Midi::IExpressionPedalObserver* o) override
    {
        ControllerDispatcher::AttachExpressionPedalObserver(observers.Attached(o));
    }
    void DetachExpressionPedalObserver(Kestrune::Midi::IExpressionPedalObserver* o) override
    {
        ControllerDispatcher::DetachExpressionPedalObserver(observers.Detached(o));
    }
};

// A fake service provider that hands out the two dispatchers.
struct MidiRig
{
    TestSupport::FakeServiceProvider provider;
    RecordingMessages messages;
    RecordingControllers controllers{&messages};

    MidiRig()
    {
        provider.messageProvider = &messages;
        provider.controllerProvider = &controllers;
    }

    // Control change and channel pressure, decoded and routed as the plug-in core sends them.
    void Control(std::uint8_t channel, std::uint8_t controller, std::uint8_t value)
    {
        messages.Dispatch(static_cast<std::uint8_t>(0xB0 | channel), controller, value);
    }
    void Pressure(std::uint8_t channel, std::uint8_t value)
    {
        messages.Dispatch(static_cast<std::uint8_t>(0xD0 | channel), value, 0);
    }
};

} // namespace ModulatorTests
