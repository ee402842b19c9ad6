#include "lv2/ControlPorts.h"

#include "parameters/Transforms.h"
#include "phaser/ParameterPolicies.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

namespace Kestrune::Lv2
{

namespace
{
using Parameters::BooleanTransform;
using Product::kParameters;
using Product::ParameterIndex;
using Product::ParameterInfo;

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

template <ParameterIndex I> float SelectionToPort(float normalised)
{
    using Transform = typename Product::Policies<I>::TransformPolicy;
    const ParameterInfo& row = kParameters[I];
    return row.firstEntry + row.entryStep * static_cast<float>(Transform::Convert(normalised));
}

template <ParameterIndex I> float SelectionToNormalised(float port)
{
    if (!std::isfinite(port))
        return kNaN;
    const ParameterInfo& row = kParameters[I];
    const double last = static_cast<double>(row.choices - 1);
    const double entry = (static_cast<double>(port) - static_cast<double>(row.firstEntry)) /
                         static_cast<double>(row.entryStep);
    const long index = Base::RoundHalfAway(std::clamp(entry, 0.0, last));
    return static_cast<float>(index) / static_cast<float>(row.choices - 1);
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

template <ParameterIndex I> void EntryText(int entry, char* text, std::size_t size)
{
    Product::FormatChoice(I, entry, text, size);
}

template <ParameterIndex I> constexpr ControlPort MakePort()
{
    using Transform = typename Product::Policies<I>::TransformPolicy;
    constexpr const ParameterInfo& row = kParameters[I];
    ControlPort port{row.symbol,  row.comment,    PortKind::kContinuous, row.unit,
                     row.choices, row.firstEntry, row.entryStep,         nullptr,
                     nullptr,     nullptr};
    if constexpr (row.transform == Product::Transform::kToggle)
    {
        port.kind = PortKind::kToggle;
        port.toPort = &ToggleToPort;
        port.toNormalised = &ToggleToNormalised;
    }
    else if constexpr (row.transform == Product::Transform::kSelection)
    {
        port.kind = PortKind::kSelection;
        port.toPort = &SelectionToPort<I>;
        port.toNormalised = &SelectionToNormalised<I>;
        port.entryText = &EntryText<I>;
    }
    else
    {
        port.kind = PortKind::kContinuous;
        port.toPort = &Transform::Convert;
        port.toNormalised = &NearestNormalised<Transform>;
    }
    return port;
}

template <std::size_t... I> constexpr auto MakePorts(std::index_sequence<I...>)
{
    return std::array<ControlPort, sizeof...(I)>{MakePort<static_cast<ParameterIndex>(I)>()...};
}

constexpr auto kPorts = MakePorts(std::make_index_sequence<kControlPortCount>());
} // namespace

const ControlPort& GetControlPort(int index)
{
    assert(index >= 0 && index < kControlPortCount);
    return kPorts[static_cast<std::size_t>(std::clamp(index, 0, kControlPortCount - 1))];
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
