#include "ParameterLookup.h"

#include "ParameterNames.h"
#include "ParameterText.h"
#include "PluginHost.h"
#include "RenderError.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <vector>

namespace Kestrune::Render
{

namespace
{

constexpr const char* kNormalised = "norm:";
// Units a number may carry. One a parameter does not take is refused rather than read as text.
const char* const kUnits[] = {"db", "hz", "khz", "ms", "s", "%", "stages", "stage"};
const char* const kSilence[] = {"-inf", "-oo", "-infinity"};
const char* const kOnWords[] = {"on", "true", "yes", "1"};
const char* const kOffWords[] = {"off", "false", "no", "0"};

struct Unit
{
    std::string word;
    double scale = 1.0;
};

template <std::size_t N> bool OneOf(const std::string& text, const char* const (&words)[N])
{
    return std::find(std::begin(words), std::end(words), Lowercase(text)) != std::end(words);
}

// The number before a unit word, or nullopt when text is not a number followed by it.
std::optional<double> Before(const std::string& text, const std::string& unit)
{
    if (unit.empty() || !EndsWithNoCase(text, unit))
        return std::nullopt;
    return ParseNumber(Trim(text.substr(0, text.size() - unit.size())));
}

std::string Names(PluginHost& host, int index)
{
    const std::string name = host.ParameterName(index);
    const KnownParameter* known = FindKnownParameter(host.UniqueId(), name);
    return name + " (" + std::to_string(index) +
           (known == nullptr ? "" : std::string(", ") + known->longName) + ")";
}

std::string List(PluginHost& host, const std::vector<int>& indices)
{
    std::string list;
    for (int i : indices)
        list += (list.empty() ? "" : ", ") + Names(host, i);
    return list;
}

// Indices whose names match: exactly, or (partial) by the end of the host name or the start
// of a long name or caption.
std::vector<int> Matches(PluginHost& host, const std::string& wanted, bool partial)
{
    std::vector<int> matches;
    for (int i = 0; i < host.NumParams(); ++i)
    {
        const std::string hostName = NameKey(host.ParameterName(i));
        std::vector<std::string> others;
        if (const KnownParameter* known =
                FindKnownParameter(host.UniqueId(), host.ParameterName(i)))
            others = {NameKey(known->longName), NameKey(known->caption)};
        bool match = hostName == wanted || (partial && hostName.ends_with(wanted));
        for (const std::string& other : others)
            match = match || other == wanted || (partial && other.starts_with(wanted));
        if (match)
            matches.push_back(i);
    }
    return matches;
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
    for (int i = 0; i < count; ++i)
    {
        if (host.ParameterName(i) == name)
            return i;
    }
    const std::string wanted = NameKey(name);
    for (bool partial : {false, true})
    {
        const std::vector<int> matches =
            wanted.empty() ? std::vector<int>{} : Matches(host, wanted, partial);
        if (matches.size() == 1)
            return matches.front();
        if (matches.size() > 1)
            throw RenderError("parameter name '" + name + "' is ambiguous: " + List(host, matches));
    }
    std::vector<int> all(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        all[std::size_t(i)] = i;
    throw RenderError("unknown parameter '" + name + "'; the parameters are " + List(host, all));
}

ValueReader::ValueReader(PluginHost& pluginHost, int parameter)
    : host(pluginHost), index(parameter),
      known(FindKnownParameter(pluginHost.UniqueId(), pluginHost.ParameterName(parameter)))
{
}

DisplaySearch& ValueReader::Search()
{
    if (!search)
        search.emplace(host, index);
    return *search;
}

std::string ValueReader::Describe() const
{
    return host.ParameterName(index) + " (" + std::to_string(index) + ")";
}

std::optional<float> ValueReader::Silence(const std::string& given)
{
    std::string word = given;
    if (EndsWithNoCase(word, "db"))
        word = Trim(word.substr(0, word.size() - 2));
    if (!OneOf(word, kSilence))
        return std::nullopt;
    for (const char* text : kSilence)
    {
        if (Search().Shows(text))
            return Search().ShowingText(text);
    }
    throw RenderError(Describe() + " has no setting that shows -oo");
}

std::optional<float> ValueReader::Switch(const std::string& given)
{
    const bool on = OneOf(given, kOnWords);
    if (!on && !OneOf(given, kOffWords))
        return std::nullopt;
    if (!Search().IsSwitch())
        return std::nullopt;
    return Search().ShowingText(on ? "On" : "Off");
}

std::optional<float> ValueReader::WithUnit(const std::string& given)
{
    const std::string label = Trim(host.ParameterLabel(index));
    std::vector<Unit> units = {{label}};
    const std::string unit = known != nullptr ? known->unit : "";
    if (!unit.empty())
        units.push_back({unit});
    if (Lowercase(unit) == "stages")
        units.push_back({"stage"});
    if (Lowercase(label) == "hz" || Lowercase(unit) == "hz")
        units.push_back({"kHz", 1000.0});
    const bool labelIsUnit = OneOf(label, kUnits);
    if (known == nullptr && !labelIsUnit)
        units.push_back({"dB"});
    for (const Unit& candidate : units)
    {
        if (const auto number = Before(given, candidate.word))
            return Search().NearestNumber(*number * candidate.scale, given);
    }
    for (const std::string other : kUnits)
    {
        if (!Before(given, other))
            continue;
        std::vector<std::string> taken;
        for (const Unit& candidate : units)
        {
            if (!candidate.word.empty() &&
                std::find(taken.begin(), taken.end(), candidate.word) == taken.end())
                taken.push_back(candidate.word);
        }
        std::string list;
        for (const std::string& word : taken)
            list += (list.empty() ? "" : ", ") + word;
        throw RenderError(Describe() + " does not take " +
                          given.substr(given.size() - other.size()) +
                          (list.empty() ? " (give a plain number)" : " (it takes " + list + ")"));
    }
    return std::nullopt;
}

float ValueReader::Resolve(const std::string& text)
{
    const std::string given = Trim(text);
    if (Lowercase(given).starts_with(kNormalised))
    {
        const std::string rest = Trim(given.substr(std::string(kNormalised).size()));
        const auto value = ParseNumber(rest);
        if (!value || *value < 0.0 || *value > 1.0)
            throw RenderError(Describe() + ": " + given + " is not a normalised value from 0 to 1");
        return static_cast<float>(*value);
    }
    if (const auto value = Silence(given))
        return *value;
    if (const auto value = Switch(given))
        return *value;
    if (const auto number = ParseNumber(given))
        return Search().NearestNumber(*number, given);
    if (const auto value = WithUnit(given))
        return *value;
    return Search().ShowingText(given);
}

void ApplyParameter(PluginHost& host, const ParamSetting& setting)
{
    const int index = FindParameter(host, setting.name);
    host.SetParameter(index, ValueReader(host, index).Resolve(setting.value));
}

} // namespace Kestrune::Render
