#include "modulators/LfoBase.h"

#include "modulators/MidiScale.h"
#include "base/Text.h"

#include <algorithm>
#include <cfloat>
#include <iterator>

namespace Kestrune::Modulators
{

namespace
{

constexpr const char* kMidiSourceTexts[] = {"None", "ModWh", "ChPress", "ExpPd"};
constexpr float kMaxFrequency = 20.0f;

} // namespace

float LfoBase::FrequencyTransform::Convert(float value)
{
    const double v = static_cast<double>(value);
    const double hz = static_cast<double>(kMaxFrequency) * v * v;
    return static_cast<float>(std::min(hz, static_cast<double>(FLT_MAX)));
}

void LfoBase::MidiSourceDisplay::Format(int source, char* text, std::size_t size)
{
    const int last = static_cast<int>(std::size(kMidiSourceTexts)) - 1;
    Base::CopyText(text, size, kMidiSourceTexts[std::clamp(source, 0, last)]);
}

LfoBase::LfoBase(IServiceProvider* serviceProvider) : provider(serviceProvider)
{
    if (auto* messages = provider->GetMessageProvider())
        messages->AttachChannelPressureObserver(this);
    if (auto* controllers = provider->GetControllerProvider())
    {
        controllers->AttachModulationWheelObserver(this);
        controllers->AttachExpressionPedalObserver(this);
    }
}

LfoBase::~LfoBase()
{
    if (auto* messages = provider->GetMessageProvider())
        messages->DetachChannelPressureObserver(this);
    if (auto* controllers = provider->GetControllerProvider())
    {
        controllers->DetachModulationWheelObserver(this);
        controllers->DetachExpressionPedalObserver(this);
    }
}

void LfoBase::OnModulationWheel(std::uint8_t, std::uint8_t value)
{
    wheelValue = value;
}

void LfoBase::OnModulationWheelFine(std::uint8_t, std::uint8_t) {}

void LfoBase::OnChannelPressure(std::uint8_t, std::uint8_t pressure)
{
    pressureValue = pressure;
}

void LfoBase::OnExpressionPedal(std::uint8_t, std::uint8_t value)
{
    pedalValue = value;
}

void LfoBase::OnExpressionPedalFine(std::uint8_t, std::uint8_t) {}

void LfoBase::ScaleByMidiSource(float* buffer, int count) const
{
    std::uint8_t value;
    switch (midiSource)
    {
    case kWheelSource:
        value = wheelValue;
        break;
    case kPressureSource:
        value = pressureValue;
        break;
    case kPedalSource:
        value = pedalValue;
        break;
    default:
        return;
    }
    const float gain = static_cast<float>(value) * kMidiScale;
    for (int i = 0; i < count; ++i)
        buffer[i] *= gain;
}

} // namespace Kestrune::Modulators
