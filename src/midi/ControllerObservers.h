// Observers of control changes sorted by meaning. Channel and value pass through unchanged.
#pragma once

#include <cstdint>

namespace Kestrune::Midi
{

class IModulationWheelObserver
{
public:
    virtual ~IModulationWheelObserver() = default;
    virtual void OnModulationWheel(std::uint8_t channel, std::uint8_t value) = 0;     // CC 1
    virtual void OnModulationWheelFine(std::uint8_t channel, std::uint8_t value) = 0; // CC 33
};

class IVolumeObserver
{
public:
    virtual ~IVolumeObserver() = default;
    virtual void OnVolume(std::uint8_t channel, std::uint8_t value) = 0;     // CC 7
    virtual void OnVolumeFine(std::uint8_t channel, std::uint8_t value) = 0; // CC 39
};

class IExpressionPedalObserver
{
public:
    virtual ~IExpressionPedalObserver() = default;
    virtual void OnExpressionPedal(std::uint8_t channel, std::uint8_t value) = 0;     // CC 11
    virtual void OnExpressionPedalFine(std::uint8_t channel, std::uint8_t value) = 0; // CC 43
};

class IHoldPedalObserver
{
public:
    virtual ~IHoldPedalObserver() = default;
    virtual void OnHoldPedal(std::uint8_t channel, bool on) = 0; // CC 64, on at 64 and above
};

class IAllSoundOffObserver
{
public:
    virtual ~IAllSoundOffObserver() = default;
    virtual void OnAllSoundOff(std::uint8_t channel) = 0; // CC 120
};

class IResetAllControllersObserver
{
public:
    virtual ~IResetAllControllersObserver() = default;
    virtual void OnResetAllControllers(std::uint8_t channel) = 0; // CC 121
};

class IAllNotesOffObserver
{
public:
    virtual ~IAllNotesOffObserver() = default;
    virtual void OnAllNotesOff(std::uint8_t channel) = 0; // CC 123
};

class IOmniModeObserver
{
public:
    virtual ~IOmniModeObserver() = default;
    virtual void OnOmniMode(std::uint8_t channel, bool on) = 0; // CC 124 off, 125 on
};

class IControllerProvider
{
public:
    virtual ~IControllerProvider() = default;
    virtual void AttachModulationWheelObserver(IModulationWheelObserver* observer) = 0;
    virtual void DetachModulationWheelObserver(IModulationWheelObserver* observer) = 0;
    virtual void AttachVolumeObserver(IVolumeObserver* observer) = 0;
    virtual void DetachVolumeObserver(IVolumeObserver* observer) = 0;
    virtual void AttachExpressionPedalObserver(IExpressionPedalObserver* observer) = 0;
    virtual void DetachExpressionPedalObserver(IExpressionPedalObserver* observer) = 0;
    virtual void AttachHoldPedalObserver(IHoldPedalObserver* observer) = 0;
    virtual void DetachHoldPedalObserver(IHoldPedalObserver* observer) = 0;
    virtual void AttachAllSoundOffObserver(IAllSoundOffObserver* observer) = 0;
    virtual void DetachAllSoundOffObserver(IAllSoundOffObserver* observer) = 0;
    virtual void AttachResetAllControllersObserver(IResetAllControllersObserver* observer) = 0;
    virtual void DetachResetAllControllersObserver(IResetAllControllersObserver* observer) = 0;
    virtual void AttachAllNotesOffObserver(IAllNotesOffObserver* observer) = 0;
    virtual void DetachAllNotesOffObserver(IAllNotesOffObserver* observer) = 0;
    virtual void AttachOmniModeObserver(IOmniModeObserver* observer) = 0;
    virtual void DetachOmniModeObserver(IOmniModeObserver* observer) = 0;
};

} // namespace Kestrune::Midi
