#include "midi/ControllerDispatcher.h"

namespace Kestrune::Midi
{

namespace
{
// Standard controller numbers with a meaning here.
enum Controller : std::uint8_t
{
    kModulationWheel = 1,
    kVolume = 7,
    kExpression = 11,
    kModulationWheelFine = 33,
    kVolumeFine = 39,
    kExpressionFine = 43,
    kHoldPedal = 64,
    kAllSoundOff = 120,
    kResetAllControllers = 121,
    kAllNotesOff = 123,
    kOmniOff = 124,
    kOmniOn = 125,
};

constexpr std::uint8_t kHoldPedalOnThreshold = 64;
} // namespace

ControllerDispatcher::ControllerDispatcher(IMessageProvider* provider) : messageProvider(provider)
{
    if (messageProvider != nullptr)
        messageProvider->AttachControllerObserver(this);
}

ControllerDispatcher::~ControllerDispatcher()
{
    if (messageProvider != nullptr)
        messageProvider->DetachControllerObserver(this);
}

void ControllerDispatcher::AttachModulationWheelObserver(IModulationWheelObserver* observer)
{
    observers.Attach(observer);
}

void ControllerDispatcher::DetachModulationWheelObserver(IModulationWheelObserver* observer)
{
    observers.Detach(observer);
}

void ControllerDispatcher::AttachVolumeObserver(IVolumeObserver* observer)
{
    observers.Attach(observer);
}

void ControllerDispatcher::DetachVolumeObserver(IVolumeObserver* observer)
{
    observers.Detach(observer);
}

void ControllerDispatcher::AttachExpressionPedalObserver(IExpressionPedalObserver* observer)
{
    observers.Attach(observer);
}

void ControllerDispatcher::DetachExpressionPedalObserver(IExpressionPedalObserver* observer)
{
    observers.Detach(observer);
}

void ControllerDispatcher::AttachHoldPedalObserver(IHoldPedalObserver* observer)
{
    observers.Attach(observer);
}

void ControllerDispatcher::DetachHoldPedalObserver(IHoldPedalObserver* observer)
{
    observers.Detach(observer);
}

void ControllerDispatcher::AttachAllSoundOffObserver(IAllSoundOffObserver* observer)
{
    observers.Attach(observer);
}

void ControllerDispatcher::DetachAllSoundOffObserver(IAllSoundOffObserver* observer)
{
    observers.Detach(observer);
}

void ControllerDispatcher::AttachResetAllControllersObserver(IResetAllControllersObserver* observer)
{
    observers.Attach(observer);
}

void ControllerDispatcher::DetachResetAllControllersObserver(IResetAllControllersObserver* observer)
{
    observers.Detach(observer);
}

void ControllerDispatcher::AttachAllNotesOffObserver(IAllNotesOffObserver* observer)
{
    observers.Attach(observer);
}

void ControllerDispatcher::DetachAllNotesOffObserver(IAllNotesOffObserver* observer)
{
    observers.Detach(observer);
}

void ControllerDispatcher::AttachOmniModeObserver(IOmniModeObserver* observer)
{
    observers.Attach(observer);
}

void ControllerDispatcher::DetachOmniModeObserver(IOmniModeObserver* observer)
{
    observers.Detach(observer);
}

void ControllerDispatcher::ModulationWheel(std::uint8_t channel, std::uint8_t value)
{
    observers.Notify<&IModulationWheelObserver::OnModulationWheel>(channel, value);
}

void ControllerDispatcher::ModulationWheelFine(std::uint8_t channel, std::uint8_t value)
{
    observers.Notify<&IModulationWheelObserver::OnModulationWheelFine>(channel, value);
}

void ControllerDispatcher::Volume(std::uint8_t channel, std::uint8_t value)
{
    observers.Notify<&IVolumeObserver::OnVolume>(channel, value);
}

void ControllerDispatcher::VolumeFine(std::uint8_t channel, std::uint8_t value)
{
    observers.Notify<&IVolumeObserver::OnVolumeFine>(channel, value);
}

void ControllerDispatcher::ExpressionPedal(std::uint8_t channel, std::uint8_t value)
{
    observers.Notify<&IExpressionPedalObserver::OnExpressionPedal>(channel, value);
}

void ControllerDispatcher::ExpressionPedalFine(std::uint8_t channel, std::uint8_t value)
{
    observers.Notify<&IExpressionPedalObserver::OnExpressionPedalFine>(channel, value);
}

void ControllerDispatcher::HoldPedal(std::uint8_t channel, bool on)
{
    observers.Notify<&IHoldPedalObserver::OnHoldPedal>(channel, on);
}

void ControllerDispatcher::AllSoundOff(std::uint8_t channel)
{
    observers.Notify<&IAllSoundOffObserver::OnAllSoundOff>(channel);
}

void ControllerDispatcher::ResetAllControllers(std::uint8_t channel)
{
    observers.Notify<&IResetAllControllersObserver::OnResetAllControllers>(channel);
}

void ControllerDispatcher::AllNotesOff(std::uint8_t channel)
{
    observers.Notify<&IAllNotesOffObserver::OnAllNotesOff>(channel);
}

void ControllerDispatcher::OmniMode(std::uint8_t channel, bool on)
{
    observers.Notify<&IOmniModeObserver::OnOmniMode>(channel, on);
}

void ControllerDispatcher::OnControlChange(std::uint8_t channel, std::uint8_t controller,
                                           std::uint8_t value)
{
    switch (controller)
    {
    case kModulationWheel:
        ModulationWheel(channel, value);
        break;
    case kModulationWheelFine:
        ModulationWheelFine(channel, value);
        break;
    case kVolume:
        Volume(channel, value);
        break;
    case kVolumeFine:
        VolumeFine(channel, value);
        break;
    case kExpression:
        ExpressionPedal(channel, value);
        break;
    case kExpressionFine:
        ExpressionPedalFine(channel, value);
        break;
    case kHoldPedal:
        HoldPedal(channel, value >= kHoldPedalOnThreshold);
        break;
    case kAllSoundOff:
        AllSoundOff(channel);
        break;
    case kResetAllControllers:
        ResetAllControllers(channel);
        break;
    case kAllNotesOff:
        AllNotesOff(channel);
        break;
    case kOmniOff:
        OmniMode(channel, false);
        break;
    case kOmniOn:
        OmniMode(channel, true);
        break;
    default:
        break;
    }
}

} // namespace Kestrune::Midi
