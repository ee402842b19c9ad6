#include "DisplaySearch.h"

#include "Options.h"
#include "ParameterText.h"
#include "PluginHost.h"
#include "RenderError.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace Kestrune::Render
{

namespace
{

constexpr int kProbeSteps = 1000;
// Enough halvings of one probe step to reach neighbouring floats anywhere in 0..1.
constexpr int kBisections = 64;
// Probes at 2^-k from 0 and from 1: down to the smallest float above 0, and to the float below 1.
constexpr int kNearestToZero = 149;
constexpr int kNearestToOne = 24;
constexpr int kFirstHalving = 10; // 2^-10 lies inside the first step of 1/1000

std::vector<float> ProbeValues()
{
    std::vector<float> values = {0.0f};
    for (int k = kNearestToZero; k >= kFirstHalving; --k)
        values.push_back(std::ldexp(1.0f, -k));
    for (int step = 1; step < kProbeSteps; ++step)
        values.push_back(static_cast<float>(step) / static_cast<float>(kProbeSteps));
    for (int k = kFirstHalving; k <= kNearestToOne; ++k)
        values.push_back(1.0f - std::ldexp(1.0f, -k));
    values.push_back(1.0f);
    return values;
}

// Half a unit in the last digit of a shown number: 0.005 for "-6.00", 0.5 for "12".
double Rounding(const std::string& text)
{
    const std::size_t point = text.find('.');
    int decimals = 0;
    if (point != std::string::npos)
    {
        while (point + 1 + std::size_t(decimals) < text.size() &&
               std::isdigit(static_cast<unsigned char>(text[point + 1 + std::size_t(decimals)])))
            ++decimals;
    }
    return 0.5 * std::pow(10.0, -decimals);
}

} // namespace

DisplaySearch::DisplaySearch(PluginHost& pluginHost, int parameter)
    : host(pluginHost), index(parameter)
{
    for (const float value : ProbeValues())
    {
        std::string text = Display(value);
        const auto number = ParseNumber(text);
        probes.push_back({value, std::move(text), number});
    }
}

std::string DisplaySearch::Display(float value)
{
    host.SetParameter(index, value);
    return Trim(host.ParameterDisplay(index));
}

std::string DisplaySearch::Describe()
{
    return host.ParameterName(index) + " (" + std::to_string(index) + ")";
}

bool DisplaySearch::Shows(const std::string& text) const
{
    const std::string wanted = Lowercase(text);
    return std::any_of(probes.begin(), probes.end(),
                       [&](const Probe& probe) { return Lowercase(probe.text) == wanted; });
}

bool DisplaySearch::IsSwitch() const
{
    const auto on = [](const Probe& probe) { return probe.text == "On"; };
    const auto off = [](const Probe& probe) { return probe.text == "Off"; };
    return std::any_of(probes.begin(), probes.end(), on) &&
           std::any_of(probes.begin(), probes.end(), off) &&
           std::all_of(probes.begin(), probes.end(),
                       [&](const Probe& probe) { return on(probe) || off(probe); });
}

// Between probes at and at + 1, whose displays enclose target: the neighbouring values either
// side of it; returns the one showing the nearer number, with that display in `nearest`.
float DisplaySearch::Bisect(std::size_t at, double target, std::string& nearest)
{
    float lo = probes[at].value;
    float hi = probes[at + 1].value;
    std::string shownLo = probes[at].text;
    std::string shownHi = probes[at + 1].text;
    const bool rising = *probes[at + 1].number >= *probes[at].number;
    for (int i = 0; i < kBisections; ++i)
    {
        const float mid = lo + 0.5f * (hi - lo);
        if (mid <= lo || mid >= hi)
            break;
        std::string text = Display(mid);
        const auto value = ParseNumber(text);
        if (!value)
            break;
        if ((*value < target) == rising)
        {
            lo = mid;
            shownLo = std::move(text);
        }
        else
        {
            hi = mid;
            shownHi = std::move(text);
        }
    }
    const bool high =
        std::fabs(*ParseNumber(shownHi) - target) <= std::fabs(*ParseNumber(shownLo) - target);
    nearest = high ? shownHi : shownLo;
    return high ? hi : lo;
}

// The last value from inside towards outside that still shows the text.
float DisplaySearch::Edge(float inside, float outside, const std::string& text)
{
    for (int i = 0; i < kBisections; ++i)
    {
        const float mid = inside + 0.5f * (outside - inside);
        if (mid == inside || mid == outside)
            break;
        (Display(mid) == text ? inside : outside) = mid;
    }
    return inside;
}

// Of the run of values showing what value shows: the middle, the steadiest choice; or the end
// of the range when the run reaches it, so -100 mix is exactly dry and 20 Hz exactly 1.
float DisplaySearch::Settle(float value)
{
    const std::string text = Display(value);
    const auto after =
        std::upper_bound(probes.begin(), probes.end(), value,
                         [](float v, const Probe& probe) { return v < probe.value; });
    const auto at = static_cast<std::ptrdiff_t>(after - probes.begin()) - 1;
    const auto count = static_cast<std::ptrdiff_t>(probes.size());
    auto below = at;
    while (below >= 0 && probes[std::size_t(below)].text == text)
        --below;
    auto above = at + 1;
    while (above < count && probes[std::size_t(above)].text == text)
        ++above;
    const bool fromZero = below < 0;
    const bool toOne = above >= count;
    if (fromZero != toOne)
        return fromZero ? 0.0f : 1.0f;
    if (fromZero)
        return value; // the display never changes
    const float low = Edge(value, probes[std::size_t(below)].value, text);
    const float high = Edge(value, probes[std::size_t(above)].value, text);
    const float middle = low + 0.5f * (high - low);
    return Display(middle) == text ? middle : value;
}

float DisplaySearch::NearestNumber(double target, const std::string& given)
{
    std::optional<std::size_t> closest, lowest, highest;
    double closestDistance = std::numeric_limits<double>::infinity();
    const auto number = [&](std::size_t at) { return *probes[at].number; };
    for (std::size_t at = 0; at < probes.size(); ++at)
    {
        const auto& value = probes[at].number;
        if (!value)
            continue;
        if (!lowest || *value < number(*lowest))
            lowest = at;
        if (!highest || *value > number(*highest))
            highest = at;
        if (std::fabs(*value - target) < closestDistance)
        {
            closestDistance = std::fabs(*value - target);
            closest = at;
        }
    }
    if (!closest)
        throw RenderError(Describe() + " shows no numbers; give a display text such as " +
                          probes.front().text);

    std::string nearest = probes[*closest].text;
    float value = probes[*closest].value;
    for (std::size_t at = 0; at + 1 < probes.size(); ++at)
    {
        const auto& a = probes[at].number;
        const auto& b = probes[at + 1].number;
        if (a && b && target >= std::min(*a, *b) && target <= std::max(*a, *b))
        {
            value = Bisect(at, target, nearest);
            break;
        }
    }
    if (std::fabs(*ParseNumber(nearest) - target) > Rounding(nearest) * (1.0 + 1e-9))
    {
        const std::string& low = probes[*lowest].text;
        const std::string& high = probes[*highest].text;
        if (target < number(*lowest) || target > number(*highest))
            throw RenderError(given + " is outside the range of " + Describe() + ", " + low +
                              " to " + high);
        throw RenderError("no value of " + Describe() + " shows " + given + " (the nearest shows " +
                          nearest + ")");
    }
    return Settle(value);
}

float DisplaySearch::ShowingText(const std::string& given)
{
    const std::string wanted = Lowercase(Trim(given));
    const std::string label = Lowercase(Trim(host.ParameterLabel(index)));
    std::string examples;
    int listed = 0;
    for (std::size_t at = 0; at < probes.size(); ++at)
    {
        const std::string text = Lowercase(probes[at].text);
        if (text == wanted ||
            (!label.empty() && (text + label == wanted || text + " " + label == wanted)))
            return Settle(probes[at].value);
        if (listed < 8 && (at == 0 || probes[at].text != probes[at - 1].text))
            examples += (listed++ == 0 ? "" : ", ") + probes[at].text;
    }
    throw RenderError("no value of " + Describe() + " shows '" + given + "' (it shows e.g. " +
                      examples + ")");
}

} // namespace Kestrune::Render
