#pragma once

#include "base/NotifyingLists.h"
#include "midi/ControllerObservers.h"
#include "midi/MessageObservers.h"

#include <cstdint>

namespace Kestrune::Midi
{

// Sorts control changes by meaning (modulation wheel, volume, expression, hold pedal and the
// channel-mode messages) and passes each to the observers of that meaning. Coarse and fine
// halves are passed on separately with their 7-bit values; no state is kept between messages.
//
// Threads: [audio] OnControlChange and the notifiers (no lock, no allocation). Attach and
// detach only while the object graph is built or torn down.
class ControllerDispatcher : public IControllerProvider, public IControllerObserver
{
public:
    // Attaches itself to the provider as a controller observer until destroyed.
    explicit ControllerDispatcher(IMessageProvider* messageProvider);
    ~ControllerDispatcher() override;
    ControllerDispatcher(const ControllerDispatcher&) = delete;
    ControllerDispatcher& operator=(const ControllerDispatcher&) = delete;

    // The paired kinds go on both their coarse and their fine list.
    void AttachModulationWheelObserver(IModulationWheelObserver* observer) override;
    void DetachModulationWheelObserver(IModulationWheelObserver* observer) override;
    void AttachVolumeObserver(IVolumeObserver* observer) override;
    void DetachVolumeObserver(IVolumeObserver* observer) override;
    void AttachExpressionPedalObserver(IExpressionPedalObserver* observer) override;
    void DetachExpressionPedalObserver(IExpressionPedalObserver* observer) override;
    void AttachHoldPedalObserver(IHoldPedalObserver* observer) override;
    void DetachHoldPedalObserver(IHoldPedalObserver* observer) override;
    void AttachAllSoundOffObserver(IAllSoundOffObserver* observer) override;
    void DetachAllSoundOffObserver(IAllSoundOffObserver* observer) override;
    void AttachResetAllControllersObserver(IResetAllControllersObserver* observer) override;
    void DetachResetAllControllersObserver(IResetAllControllersObserver* observer) override;
    void AttachAllNotesOffObserver(IAllNotesOffObserver* observer) override;
    void DetachAllNotesOffObserver(IAllNotesOffObserver* observer) override;
    void AttachOmniModeObserver(IOmniModeObserver* observer) override;
    void DetachOmniModeObserver(IOmniModeObserver* observer) override;

    virtual void ModulationWheel(std::uint8_t channel, std::uint8_t value);
    virtual void ModulationWheelFine(std::uint8_t channel, std::uint8_t value);
    virtual void Volume(std::uint8_t channel, std::uint8_t value);
    virtual void VolumeFine(std::uint8_t channel, std::uint8_t value);
    virtual void ExpressionPedal(std::uint8_t channel, std::uint8_t value);
    virtual void ExpressionPedalFine(std::uint8_t channel, std::uint8_t value);
    virtual void HoldPedal(std::uint8_t channel, bool on);
    virtual void AllSoundOff(std::uint8_t channel);
    virtual void ResetAllControllers(std::uint8_t channel);
    virtual void AllNotesOff(std::uint8_t channel);
    virtual void OmniMode(std::uint8_t channel, bool on);

    // [audio] Routes by controller number; controllers without a meaning here go nowhere.
    void OnControlChange(std::uint8_t channel, std::uint8_t controller,
                         std::uint8_t value) override;

private:
    // Coarse and fine lists of the paired kinds, then one list for each other kind.
    NotifyingLists<&IModulationWheelObserver::OnModulationWheel,
                   &IModulationWheelObserver::OnModulationWheelFine, &IVolumeObserver::OnVolume,
                   &IVolumeObserver::OnVolumeFine, &IExpressionPedalObserver::OnExpressionPedal,
                   &IExpressionPedalObserver::OnExpressionPedalFine,
                   &IHoldPedalObserver::OnHoldPedal, &IAllSoundOffObserver::OnAllSoundOff,
                   &IResetAllControllersObserver::OnResetAllControllers,
                   &IAllNotesOffObserver::OnAllNotesOff, &IOmniModeObserver::OnOmniMode>
        observers;
    IMessageProvider* messageProvider;
};

} // namespace Kestrune::Midi
