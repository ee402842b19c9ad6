#include "ParameterLookup.h"

#include "PluginHost.h"
#include "RenderError.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <vector>

namespace Kestrune::Render
{

namespace
{

// Values tried when searching a display: steps of 1/1000 cover every selection table.
constexpr int kProbeSteps = 1000;
constexpr int kBisections = 48;

std::string Lowercase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool EndsWithNoCase(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() &&
           Lowercase(text.substr(text.size() - suffix.size())) == Lowercase(suffix);
}

std::string Describe(PluginHost& host, int index)
{
    return host.ParameterName(index) + " (" + std::to_string(index) + ")";
}

float ProbeValue(int step)
{
    return static_cast<float>(step) / static_cast<float>(kProbeSteps);
}

std::string DisplayAt(PluginHost& host, int index, float value)
{
    host.SetParameter(index, value);
    return Trim(host.ParameterDisplay(index));
}

// A number followed by the unit, e.g. "2500Hz", "2500 hz" or "-6dB".
std::optional<double> NumberWithUnit(const std::string& text, const std::string& unit)
{
    if (unit.empty() || !EndsWithNoCase(text, unit))
        return std::nullopt;
    return ParseNumber(Trim(text.substr(0, text.size() - unit.size())));
}

float SearchNumericDisplay(PluginHost& host, int index, double target, const std::string& text)
{
    std::vector<std::optional<double>> shown(kProbeSteps + 1);
    for (int step = 0; step <= kProbeSteps; ++step)
        shown[std::size_t(step)] = ParseNumber(DisplayAt(host, index, ProbeValue(step)));

    std::optional<double> low, high;
    for (const auto& value : shown)
    {
        if (value)
        {
            low = std::min(value.value(), low.value_or(*value));
            high = std::max(value.value(), high.value_or(*value));
        }
    }
    if (!low)
        throw RenderError(Describe(host, index) + " does not show numbers; give a normalised "
                                                  "value or its display text");
    for (int step = 0; step < kProbeSteps; ++step)
    {
        const auto a = shown[std::size_t(step)];
        const auto b = shown[std::size_t(step) + 1];
        if (!a || !b || target < std::min(*a, *b) || target > std::max(*a, *b))
            continue;
        // The display rises or falls across this step: bisect on the shown number.
        float lo = ProbeValue(step);
        float hi = ProbeValue(step + 1);
        const bool rising = *b >= *a;
        double shownLo = *a;
        double shownHi = *b;
        for (int i = 0; i < kBisections && hi - lo > 0.0f; ++i)
        {
            const float mid = 0.5f * (lo + hi);
            if (mid <= lo || mid >= hi)
                break;
            const auto value = ParseNumber(DisplayAt(host, index, mid));
            if (!value)
                break;
            if ((*value < target) == rising)
            {
                lo = mid;
                shownLo = *value;
            }
            else
            {
                hi = mid;
                shownHi = *value;
            }
        }
        return std::fabs(shownHi - target) <= std::fabs(shownLo - target) ? hi : lo;
    }
    throw RenderError(text + " is outside the range of " + Describe(host, index) + " (" +
                      std::to_string(*low) + " to " + std::to_string(*high) + ")");
}

float SearchDisplayText(PluginHost& host, int index, const std::string& text)
{
    const std::string wanted = Lowercase(Trim(text));
    const std::string unit = Lowercase(Trim(host.ParameterLabel(index)));
    std::vector<std::string> seen;
    int first = -1;
    int last = -1;
    for (int step = 0; step <= kProbeSteps; ++step)
    {
        const std::string shown = Lowercase(DisplayAt(host, index, ProbeValue(step)));
        const bool match =
            shown == wanted ||
            (!unit.empty() && (shown + unit == wanted || shown + " " + unit == wanted));
        if (match && first < 0)
            first = step;
        if (match)
            last = step;
        else if (first >= 0)
            break;
        if (seen.size() < 8 && std::find(seen.begin(), seen.end(), shown) == seen.end())
            seen.push_back(shown);
    }
    if (first < 0)
    {
        std::string examples;
        for (const std::string& s : seen)
            examples += (examples.empty() ? "" : ", ") + s;
        throw RenderError("no value of " + Describe(host, index) + " shows '" + text +
                          "' (it shows e.g. " + examples + ")");
    }
    // The middle of the run of values showing the text.
    return 0.5f * (ProbeValue(first) + ProbeValue(last));
}

} // namespace

int FindParameter(PluginHost& host, const std::string& name)
{
    const int count = host.NumParams();
    if (!name.empty() &&
        std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isdigit(c) != 0; }))
    {
        const auto index = ParseNumber(name);
        if (!index || *index >= count)
            throw RenderError("parameter index " + name + " is out of range (the plug-in has " +
                              std::to_string(count) + " parameters)");
        return static_cast<int>(*index);
    }
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
    {
        names.push_back(host.ParameterName(i));
        if (names.back() == name)
            return i;
    }
    const std::string wanted = Lowercase(name);
    for (bool suffix : {false, true})
    {
        std::vector<int> matches;
        for (int i = 0; i < count; ++i)
        {
            const std::string candidate = Lowercase(names[std::size_t(i)]);
            if (candidate == wanted || (suffix && EndsWithNoCase(candidate, wanted)))
                matches.push_back(i);
        }
        if (matches.size() == 1)
            return matches.front();
        if (matches.size() > 1)
        {
            std::string list;
            for (int i : matches)
                list += (list.empty() ? "" : ", ") + names[std::size_t(i)] + " (" +
                        std::to_string(i) + ")";
            throw RenderError("parameter name '" + name + "' is ambiguous: " + list);
        }
    }
    throw RenderError("unknown parameter '" + name + "' (see --list)");
}

float ResolveParameterValue(PluginHost& host, int index, const std::string& text)
{
    if (const auto number = ParseNumber(Trim(text)))
    {
        if (*number < 0.0 || *number > 1.0)
            throw RenderError("value " + text + " for " + Describe(host, index) +
                              " is not a normalised value from 0 to 1 (add the unit to give a "
                              "display value)");
        return static_cast<float>(*number);
    }
    const std::string unit = Trim(host.ParameterLabel(index));
    if (const auto target = NumberWithUnit(Trim(text), unit))
        return SearchNumericDisplay(host, index, *target, text);
    return SearchDisplayText(host, index, text);
}

void ApplyParameter(PluginHost& host, const ParamSetting& setting)
{
    const int index = FindParameter(host, setting.name);
    const float value = ResolveParameterValue(host, index, setting.value);
    host.SetParameter(index, value);
}

} // namespace Kestrune::Render
