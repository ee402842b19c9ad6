#include "ParameterLookup.h"

#include "DisplaySearch.h"
#include "ParameterText.h"
#include "PluginHost.h"
#include "RenderError.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <optional>
#include <vector>

namespace Kestrune::Render
{

namespace
{

// Units that a label may name. A parameter labelled otherwise (the feedback's "Level") may show
// decibels, so "dB" is taken on it too.
const char* const kUnits[] = {"db", "hz", "khz", "ms", "s", "%"};

struct NumberWithUnit
{
    double number = 0.0;
    std::string unit;
};

// "-6dB", "2500 Hz", "12Mode": a number followed by the label or by "dB".
std::optional<NumberWithUnit> SplitUnit(const std::string& text, const std::string& label)
{
    for (const std::string& unit : {label, std::string("dB")})
    {
        if (unit.empty() || !EndsWithNoCase(text, unit))
            continue;
        if (const auto number = ParseNumber(Trim(text.substr(0, text.size() - unit.size()))))
            return NumberWithUnit{*number, unit};
    }
    return std::nullopt;
}

bool LabelIsUnit(const std::string& label)
{
    return std::find(std::begin(kUnits), std::end(kUnits), Lowercase(label)) != std::end(kUnits);
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
    const std::string given = Trim(text);
    const auto number = ParseNumber(given);
    if (number && *number >= 0.0 && *number <= 1.0)
        return static_cast<float>(*number);
    if (number)
        return DisplaySearch(host, index).NearestNumber(*number, given);
    const std::string label = Trim(host.ParameterLabel(index));
    if (const auto withUnit = SplitUnit(given, label))
    {
        if (Lowercase(withUnit->unit) != Lowercase(label) && LabelIsUnit(label))
            throw RenderError(host.ParameterName(index) + " (" + std::to_string(index) +
                              ") is in " + label + ", not " + withUnit->unit);
        return DisplaySearch(host, index).NearestNumber(withUnit->number, given);
    }
    return DisplaySearch(host, index).ShowingText(given);
}

void ApplyParameter(PluginHost& host, const ParamSetting& setting)
{
    const int index = FindParameter(host, setting.name);
    const float value = ResolveParameterValue(host, index, setting.value);
    host.SetParameter(index, value);
}

} // namespace Kestrune::Render
