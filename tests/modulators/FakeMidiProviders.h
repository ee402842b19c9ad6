// MIDI providers for modulator tests: they record the observers of the kinds the modulators use
// and let a test fire messages at them.
#pragma once

#include "midi/ControllerObservers.h"
#include "midi/MessageObservers.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace ModulatorTests
{

template <typename T> void EraseAll(std::vector<T*>& list, T* p)
{
    list.erase(std::remove(list.begin(), list.end(), p), list.end());
}

class FakeMessageProvider : public Kestrune::Midi::IMessageProvider
{
public:
    std::vector<Kestrune::Midi::IChannelPressureObserver*> pressureObservers;

    void ChannelPressure(std::uint8_t channel, std::uint8_t value)
    {
        for (auto* o : pressureObservers)
            o->OnChannelPressure(channel, value);
    }

    void AttachChannelPressureObserver(Kestrune::Midi::IChannelPressureObserver* o) override
    {
        pressureObservers.push_back(o);
    }
    void DetachChannelPressureObserver(Kestrune::Midi::IChannelPressureObserver* o) override
    {
        EraseAll(pressureObservers, o);
    }
    void AttachNoteObserver(Kestrune::Midi::INoteObserver*) override {}
    void DetachNoteObserver(Kestrune::Midi::INoteObserver*) override {}
    void AttachPolyPressureObserver(Kestrune::Midi::IPolyPressureObserver*) override {}
    void DetachPolyPressureObserver(Kestrune::Midi::IPolyPressureObserver*) override {}
    void AttachControllerObserver(Kestrune::Midi::IControllerObserver*) override {}
    void DetachControllerObserver(Kestrune::Midi::IControllerObserver*) override {}
    void AttachProgramChangeObserver(Kestrune::Midi::IProgramChangeObserver*) override {}
    void DetachProgramChangeObserver(Kestrune::Midi::IProgramChangeObserver*) override {}
    void AttachPitchBendObserver(Kestrune::Midi::IPitchBendObserver*) override {}
    void DetachPitchBendObserver(Kestrune::Midi::IPitchBendObserver*) override {}
};

class FakeControllerProvider : public Kestrune::Midi::IControllerProvider
{
public:
    // Every attachment in order, to check the order of registration.
    std::vector<const void*> attachments;
    std::vector<Kestrune::Midi::IModulationWheelObserver*> wheelObservers;
    std::vector<Kestrune::Midi::IExpressionPedalObserver*> pedalObservers;

    // Controllers 1, 33, 11 and 43 as the controller dispatcher delivers them.
    void Control(std::uint8_t channel, std::uint8_t controller, std::uint8_t value)
    {
        for (auto* o : wheelObservers)
        {
            if (controller == 1)
                o->OnModulationWheel(channel, value);
            else if (controller == 33)
                o->OnModulationWheelFine(channel, value);
        }
        for (auto* o : pedalObservers)
        {
            if (controller == 11)
                o->OnExpressionPedal(channel, value);
            else if (controller == 43)
                o->OnExpressionPedalFine(channel, value);
        }
    }

    void AttachModulationWheelObserver(Kestrune::Midi::IModulationWheelObserver* o) override
    {
        wheelObservers.push_back(o);
        attachments.push_back(o);
    }
    void DetachModulationWheelObserver(Kestrune::Midi::IModulationWheelObserver* o) override
    {
        EraseAll(wheelObservers, o);
    }
    void AttachExpressionPedalObserver(Kestrune::Midi::IExpressionPedalObserver* o) override
    {
        pedalObservers.push_back(o);
        attachments.push_back(o);
    }
    void DetachExpressionPedalObserver(Kestrune::Midi::IExpressionPedalObserver* o) override
    {
        EraseAll(pedalObservers, o);
    }
    void AttachVolumeObserver(Kestrune::Midi::IVolumeObserver*) override {}
    void DetachVolumeObserver(Kestrune::Midi::IVolumeObserver*) override {}
    void AttachHoldPedalObserver(Kestrune::Midi::IHoldPedalObserver*) override {}
    void DetachHoldPedalObserver(Kestrune::Midi::IHoldPedalObserver*) override {}
    void AttachAllSoundOffObserver(Kestrune::Midi::IAllSoundOffObserver*) override {}
    void DetachAllSoundOffObserver(Kestrune::Midi::IAllSoundOffObserver*) override {}
    void AttachResetAllControllersObserver(Kestrune::Midi::IResetAllControllersObserver*) override
    {
    }
    void DetachResetAllControllersObserver(Kestrune::Midi::IResetAllControllersObserver*) override
    {
    }
    void AttachAllNotesOffObserver(Kestrune::Midi::IAllNotesOffObserver*) override {}
    void DetachAllNotesOffObserver(Kestrune::Midi::IAllNotesOffObserver*) override {}
    void AttachOmniModeObserver(Kestrune::Midi::IOmniModeObserver*) override {}
    void DetachOmniModeObserver(Kestrune::Midi::IOmniModeObserver*) override {}
};

} // namespace ModulatorTests
