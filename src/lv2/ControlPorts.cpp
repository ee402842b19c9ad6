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

template <typename Transform>
constexpr ControlPort Continuous(const char* symbol, const char* unit, const char* comment)
{
    return {symbol,
            comment,
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
constexpr ControlPort Selection(const char* symbol, const char* comment)
{
    return {symbol,
            comment,
            PortKind::kSelection,
            nullptr,
            N,
            static_cast<float>(First),
            static_cast<float>(Step),
            &SelectionToPort<N, First, Step>,
            &SelectionToNormalised<N, First, Step>,
            &Display::Format};
}

constexpr ControlPort Toggle(const char* symbol, const char* comment)
{
    return {symbol, comment,       PortKind::kToggle,   nullptr, 2, 0.0f,
            1.0f,   &ToggleToPort, &ToggleToNormalised, nullptr};
}

const ControlPort kPorts[kControlPortCount] = {
    Continuous<LfoBase::FrequencyTransform>(
        "lfo_frequency", "hz", "Speed of the sweep oscillator when it runs freely, in hertz."),
    Selection<4, LfoBase::MidiSourceDisplay>(
        "lfo_midi_source", "MIDI control that scales the oscillator's sweep: none, modulation "
                           "wheel, channel pressure or expression pedal."),
    Toggle("lfo_sync", "Locks the oscillator to the host's tempo and song position."),
    Selection<SynchableLfo::kSyncResolutionCount, SynchableLfo::SyncResolutionDisplay>(
        "lfo_sync_resolution", "Length of one sweep cycle when locked to the tempo, in notes."),
    Toggle("lfo_quad_mode", "Sweeps the right channel a quarter cycle ahead of the left."),
    Toggle("enabled", "Turns the phaser on; off passes the input through unchanged."),
    Continuous<Phaser::FeedbackTransform>(
        "feedback", "coef",
        "Feedback around the stages, as a gain from 0 to 0.95: more is "
        "sharper, more resonant notches."),
    Continuous<ExponentialTransform>(
        "depth", "oct",
        "How far the sweep moves the notches either side of the centre, in octaves."),
    Continuous<Phaser::FrequencyTransform>(
        "left_frequency", "hz", "Centre frequency of the left channel's sweep, in hertz."),
    Continuous<Phaser::FrequencyTransform>(
        "right_frequency", "hz", "Centre frequency of the right channel's sweep, in hertz."),
    Selection<7, Phaser::StageModeDisplay, 4, 2>(
        "stages", "Number of all-pass stages per channel, 4 to 16: more stages, more notches."),
    Continuous<LinearTransform>(
        "mix", "coef",
        "Proportion of the phased signal in the output: 0 dry, 0.5 the classic "
        "phaser, 1 fully wet."),
    Selection<4, PhaserSources::SourceDisplay>(
        "sweep_source", "What moves the sweep: nothing, the oscillator, the modulation wheel or "
                        "channel pressure."),
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
