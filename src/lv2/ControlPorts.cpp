#include "lv2/ControlPorts.h"

#include "dsp/Phaser.h"
#include "modulators/LfoBase.h"
#include "modulators/PhaserSources.h"
#include "modulators/SynchableLfo.h"
#include "parameters/Transforms.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace Kestrune::Lv2
{

namespace
{
using Effects::Phaser;
using Effects::PhaserSources;
using Modulators::LfoBase;
using Modulators::SynchableLfo;
using Parameters::BooleanTransform;
using Parameters::ExponentialTransform;
using Parameters::LinearTransform;
using Parameters::SelectionTransform;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Transforms rise with the value over 0..1, so the non-negative floats there, ordered by their
// bit patterns, can be bisected for the one whose setting lies nearest.
template <typename Transform> float NearestNormalised(float target)
{
    if (!std::isfinite(target))
        return kNaN;
    const auto at = [](std::uint32_t bits)
    { return Transform::Convert(std::bit_cast<float>(bits)); };
    std::uint32_t low = 0;
    std::uint32_t high = std::bit_cast<std::uint32_t>(1.0f);
    if (at(low) >= target)
        return 0.0f;
    if (at(high) <= target)
        return 1.0f;
    while (high - low > 1) // at(low) < target <= at(high)
    {
        const std::uint32_t middle = low + (high - low) / 2;
        (at(middle) < target ? low : high) = middle;
    }
    const double above = static_cast<double>(at(high)) - static_cast<double>(target);
    const double below = static_cast<double>(target) - static_cast<double>(at(low));
    return std::bit_cast<float>(above <= below ? high : low);
}

template <typename Transform> float ContinuousToPort(float normalised)
{
    return Transform::Convert(normalised);
}

template <int N, int First, int Step> float SelectionToPort(float normalised)
{
    return static_cast<float>(First + Step * SelectionTransform<N>::Convert(normalised));
}

template <int N, int First, int Step> float SelectionToNormalised(float port)
{
    if (!std::isfinite(port))
        return kNaN;
    const double entry = (static_cast<double>(port) - First) / Step;
    const long index = Base::RoundHalfAway(std::clamp(entry, 0.0, static_cast<double>(N - 1)));
    return static_cast<float>(index) / static_cast<float>(N - 1);
}

float ToggleToPort(float normalised)
{
    return BooleanTransform::Convert(normalised) ? 1.0f : 0.0f;
}

float ToggleToNormalised(float port)
{
    if (!std::isfinite(port))
        return kNaN;
    return port > 0.0f ? 1.0f : 0.0f;
}

template <typename Transform> constexpr ControlPort Continuous(const char* symbol, const char* unit)
{
    return {symbol,
            PortKind::kContinuous,
            unit,
            0,
            0.0f,
            0.0f,
            &ContinuousToPort<Transform>,
            &NearestNormalised<Transform>,
            nullptr};
}

template <int N, typename Display, int First = 0, int Step = 1>
constexpr ControlPort Selection(const char* symbol)
{
    return {symbol,
            PortKind::kSelection,
            nullptr,
            N,
            static_cast<float>(First),
            static_cast<float>(Step),
            &SelectionToPort<N, First, Step>,
            &SelectionToNormalised<N, First, Step>,
            &Display::Format};
}

constexpr ControlPort Toggle(const char* symbol)
{
    return {symbol,        PortKind::kToggle,   nullptr, 2, 0.0f, 1.0f,
            &ToggleToPort, &ToggleToNormalised, nullptr};
}

const ControlPort kPorts[kControlPortCount] = {
    Continuous<LfoBase::FrequencyTransform>("lfo_frequency", "hz"),
    Selection<4, LfoBase::MidiSourceDisplay>("lfo_midi_source"),
    Toggle("lfo_sync"),
    Selection<SynchableLfo::kSyncResolutionCount, SynchableLfo::SyncResolutionDisplay>(
        "lfo_sync_resolution"),
    Toggle("lfo_quad_mode"),
    Toggle("enabled"),
    Continuous<Phaser::FeedbackTransform>("feedback", "coef"),
    Continuous<ExponentialTransform>("depth", "oct"),
    Continuous<Phaser::FrequencyTransform>("left_frequency", "hz"),
    Continuous<Phaser::FrequencyTransform>("right_frequency", "hz"),
    Selection<7, Phaser::StageModeDisplay, 4, 2>("stages"),
    Continuous<LinearTransform>("mix", "coef"),
    Selection<4, PhaserSources::SourceDisplay>("sweep_source"),
};
} // namespace

const ControlPort& GetControlPort(int index)
{
    return kPorts[std::clamp(index, 0, kControlPortCount - 1)];
}

float PortMinimum(const ControlPort& port)
{
    return port.toPort(0.0f);
}

float PortMaximum(const ControlPort& port)
{
    return port.toPort(1.0f);
}

} // namespace Kestrune::Lv2
