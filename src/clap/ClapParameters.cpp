#include "clap/ClapParameters.h"

#include "base/Text.h"
#include "phaser/CorvanePhaserModel.h"
#include "phaser/Product.h"
#include "services/ServiceDispatcher.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace Kestrune::Clap
{

namespace
{
std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// The number text starts with; "-oo" (silence on a level display) is minus infinity.
bool LeadingNumber(std::string_view text, double& number)
{
    text = Trimmed(text);
    if (text.starts_with("-oo"))
    {
        number = -std::numeric_limits<double>::infinity();
        return true;
    }
    if (text.starts_with('+'))
        text.remove_prefix(1);
    const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
    if (result.ec != std::errc() || !std::isfinite(number))
        return false;
    // Beyond every display (they show floats): the end of the range on that side.
    if (std::fabs(number) > static_cast<double>(std::numeric_limits<float>::max()))
        number = std::copysign(std::numeric_limits<double>::infinity(), number);
    return true;
}
} // namespace

const Lv2::ControlPort& PortOf(int index)
{
    return Lv2::GetControlPort(index);
}

int IndexOf(clap_id id)
{
    return id < static_cast<clap_id>(kParameterCount) ? static_cast<int>(id) : -1;
}

bool IsStepped(int index)
{
    return PortOf(index).kind != Lv2::PortKind::kContinuous;
}

double Minimum(int index)
{
    const Lv2::ControlPort& port = PortOf(index);
    return port.kind == Lv2::PortKind::kSelection ? 0.0
                                                  : static_cast<double>(Lv2::PortMinimum(port));
}

double Maximum(int index)
{
    const Lv2::ControlPort& port = PortOf(index);
    return port.kind == Lv2::PortKind::kSelection ? port.entries - 1.0
                                                  : static_cast<double>(Lv2::PortMaximum(port));
}

double ToClap(int index, float normalised)
{
    const Lv2::ControlPort& port = PortOf(index);
    double value = static_cast<double>(port.toPort(normalised));
    if (port.kind == Lv2::PortKind::kSelection)
        value =
            (value - static_cast<double>(port.firstEntry)) / static_cast<double>(port.entryStep);
    return std::isnan(value) ? Minimum(index) : std::clamp(value, Minimum(index), Maximum(index));
}

float ToNormalised(int index, double value)
{
    const Lv2::ControlPort& port = PortOf(index);
    value = std::clamp(value, Minimum(index), Maximum(index)); // NaN stays NaN
    if (IsStepped(index))
        value = std::trunc(value);
    if (port.kind == Lv2::PortKind::kSelection)
        value = static_cast<double>(port.firstEntry) + static_cast<double>(port.entryStep) * value;
    return port.toNormalised(static_cast<float>(value));
}

ParameterTexts::ParameterTexts()
    : dispatcher(std::make_unique<ServiceDispatcher>()),
      model(Product::CreateModel(dispatcher.get()))
{
    model->SetProgram(0);
    for (int i = 0; i < kParameterCount; ++i)
        defaults[i] = ToClap(i, model->GetParameterValue(i));
}

ParameterTexts::~ParameterTexts() = default;

void ParameterTexts::Describe(int index, clap_param_info_t& info)
{
    std::memset(&info, 0, sizeof info);
    info.id = static_cast<clap_id>(index);
    info.flags = CLAP_PARAM_IS_AUTOMATABLE;
    if (IsStepped(index))
        info.flags |= CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_ENUM;
    // The names are unique without the module, which hosts join to them ("Phaser / Enabled").
    Base::CopyText(info.name, sizeof info.name, model->GetParameterName(index));
    Base::CopyText(info.module, sizeof info.module, model->GetGroupName(index));
    info.min_value = Minimum(index);
    info.max_value = Maximum(index);
    info.default_value = defaults[index];
}

const char* ParameterTexts::Display(int index, float normalised)
{
    model->SetParameterValue(index, normalised);
    return model->GetParameterDisplay(index);
}

double ParameterTexts::DisplayedNumber(int index, float normalised)
{
    double number = 0.0;
    return LeadingNumber(Display(index, normalised), number)
               ? number
               : -std::numeric_limits<double>::infinity();
}

void ParameterTexts::ValueToText(int index, double value, char* text, std::size_t size)
{
    Base::CopyText(text, size, Display(index, ToNormalised(index, value)));
}

bool ParameterTexts::EntryFromText(int index, const char* text, double& value)
{
    const Lv2::ControlPort& port = PortOf(index);
    const std::string_view wanted = Trimmed(text);
    const std::string_view label = model->GetParameterLabel(index);
    for (int entry = 0; entry < port.entries; ++entry)
    {
        const std::string shown = Display(index, ToNormalised(index, entry));
        if (Base::EqualsNoCase(wanted, shown) ||
            (!label.empty() && Base::EqualsNoCase(wanted, shown + " " + std::string(label))))
        {
            value = entry;
            return true;
        }
    }
    // Else a number in the displays' unit (a stage count, an entry's number, 0 or 1 for a toggle)
    // taken as the LV2 port takes it, clamped into its range before narrowing.
    double number = 0.0;
    if (!LeadingNumber(wanted, number))
        return false;
    const double clamped = std::clamp(number, static_cast<double>(Lv2::PortMinimum(port)),
                                      static_cast<double>(Lv2::PortMaximum(port)));
    value = ToClap(index, port.toNormalised(static_cast<float>(clamped)));
    return true;
}

// Displays rise with the normalised value: bisect the floats of 0..1 (ordered as their bits) for
// the first whose display reaches the number, then take the nearer of it and the one below.
bool ParameterTexts::TextToValue(int index, const char* text, double& value)
{
    if (text == nullptr || index < 0 || index >= kParameterCount)
        return false;
    if (IsStepped(index))
        return EntryFromText(index, text, value);
    double target = 0.0;
    if (!LeadingNumber(text, target))
        return false;
    std::uint32_t low = 0;
    std::uint32_t high = std::bit_cast<std::uint32_t>(1.0f);
    const auto at = [&](std::uint32_t bits)
    { return DisplayedNumber(index, std::bit_cast<float>(bits)); };
    std::uint32_t chosen = high;
    if (at(low) >= target)
        chosen = low;
    else if (at(high) > target)
    {
        while (high - low > 1) // at(low) < target <= at(high)
        {
            const std::uint32_t middle = low + (high - low) / 2;
            (at(middle) < target ? low : high) = middle;
        }
        chosen = at(high) - target <= target - at(low) ? high : low;
    }
    value = ToClap(index, std::bit_cast<float>(chosen));
    return true;
}

} // namespace Kestrune::Clap
