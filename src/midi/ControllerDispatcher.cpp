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
    modulationWheelObservers.Clear();
    modulationWheelFineObservers.Clear();
    volumeObservers.Clear();
    volumeFineObservers.Clear();
    expressionObservers.Clear();
    expressionFineObservers.Clear();
    holdPedalObservers.Clear();
    allSoundOffObservers.Clear();
    resetAllControllersObservers.Clear();
    allNotesOffObservers.Clear();
    omniModeObservers.Clear();
}

void ControllerDispatcher::AttachModulationWheelObserver(IModulationWheelObserver* observer)
{
    modulationWheelObservers.Add(observer);
    modulationWheelFineObservers.Add(observer);
}

void ControllerDispatcher::DetachModulationWheelObserver(IModulationWheelObserver* observer)
{
    modulationWheelObservers.Remove(observer);
    modulationWheelFineObservers.Remove(observer);
}

void ControllerDispatcher::AttachVolumeObserver(IVolumeObserver* observer)
{
    volumeObservers.Add(observer);
    volumeFineObservers.Add(observer);
}

void ControllerDispatcher::DetachVolumeObserver(IVolumeObserver* observer)
{
    volumeObservers.Remove(observer);
    volumeFineObservers.Remove(observer);
}

void ControllerDispatcher::AttachExpressionPedalObserver(IExpressionPedalObserver* observer)
{
    expressionObservers.Add(observer);
    expressionFineObservers.Add(observer);
}

void ControllerDispatcher::DetachExpressionPedalObserver(IExpressionPedalObserver* observer)
{
    expressionObservers.Remove(observer);
    expressionFineObservers.Remove(observer);
}

void ControllerDispatcher::AttachHoldPedalObserver(IHoldPedalObserver* observer)
{
    holdPedalObservers.Add(observer);
}

void ControllerDispatcher::DetachHoldPedalObserver(IHoldPedalObserver* observer)
{
    holdPedalObservers.Remove(observer);
}

void ControllerDispatcher::AttachAllSoundOffObserver(IAllSoundOffObserver* observer)
{
    allSoundOffObservers.Add(observer);
}

void ControllerDispatcher::DetachAllSoundOffObserver(IAllSoundOffObserver* observer)
{
    allSoundOffObservers.Remove(observer);
}

void ControllerDispatcher::AttachResetAllControllersObserver(IResetAllControllersObserver* observer)
{
    resetAllControllersObservers.Add(observer);
}

void ControllerDispatcher::DetachResetAllControllersObserver(IResetAllControllersObserver* observer)
{
    resetAllControllersObservers.Remove(observer);
}

void ControllerDispatcher::AttachAllNotesOffObserver(IAllNotesOffObserver* observer)
{
    allNotesOffObservers.Add(observer);
}

void ControllerDispatcher::DetachAllNotesOffObserver(IAllNotesOffObserver* observer)
{
    allNotesOffObservers.Remove(observer);
}

void ControllerDispatcher::AttachOmniModeObserver(IOmniModeObserver* observer)
{
    omniModeObservers.Add(observer);
}

void ControllerDispatcher::DetachOmniModeObserver(IOmniModeObserver* observer)
{
    omniModeObservers.Remove(observer);
}

void ControllerDispatcher::ModulationWheel(std::uint8_t channel, std::uint8_t value)
{
    modulationWheelObservers.ForEach([&](IModulationWheelObserver* o)
                                     { o->OnModulationWheel(channel, value); });
}

void ControllerDispatcher::ModulationWheelFine(std::uint8_t channel, std::uint8_t value)
{
    modulationWheelFineObservers.ForEach([&](IModulationWheelObserver* o)
                                         { o->OnModulationWheelFine(channel, value); });
}

void ControllerDispatcher::Volume(std::uint8_t channel, std::uint8_t value)
{
    volumeObservers.ForEach([&](IVolumeObserver* o) { o->OnVolume(channel, value); });
}

void ControllerDispatcher::VolumeFine(std::uint8_t channel, std::uint8_t value)
{
    volumeFineObservers.ForEach([&](IVolumeObserver* o) { o->OnVolumeFine(channel, value); });
}

void ControllerDispatcher::ExpressionPedal(std::uint8_t channel, std::uint8_t value)
{
    expressionObservers.ForEach([&](IExpressionPedalObserver* o)
                                { o->OnExpressionPedal(channel, value); });
}

void ControllerDispatcher::ExpressionPedalFine(std::uint8_t channel, std::uint8_t value)
{
    expressionFineObservers.ForEach([&](IExpressionPedalObserver* o)
                                    { o->OnExpressionPedalFine(channel, value); });
}

void ControllerDispatcher::HoldPedal(std::uint8_t channel, bool on)
{
    holdPedalObservers.ForEach([&](IHoldPedalObserver* o) { o->OnHoldPedal(channel, on); });
}

void ControllerDispatcher::AllSoundOff(std::uint8_t channel)
{
    allSoundOffObservers.ForEach([&](IAllSoundOffObserver* o) { o->OnAllSoundOff(channel); });
}

void ControllerDispatcher::ResetAllControllers(std::uint8_t channel)
{
    resetAllControllersObservers.ForEach([&](IResetAllControllersObserver* o)
                                         { o->OnResetAllControllers(channel); });
}

void ControllerDispatcher::AllNotesOff(std::uint8_t channel)
{
    allNotesOffObservers.ForEach([&](IAllNotesOffObserver* o) { o->OnAllNotesOff(channel); });
}

void ControllerDispatcher::OmniMode(std::uint8_t channel, bool on)
{
    omniModeObservers.ForEach([&](IOmniModeObserver* o) { o->OnOmniMode(channel, on); });
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
