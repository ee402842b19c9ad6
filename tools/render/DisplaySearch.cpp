#include "DisplaySearch.h"

#include "Options.h"
#include "ParameterText.h"
#include "PluginHost.h"
#include "RenderError.h"

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

float Probe(int step)
{
    return static_cast<float>(step) / static_cast<float>(kProbeSteps);
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
    shown.reserve(kProbeSteps + 1);
    for (int step = 0; step <= kProbeSteps; ++step)
        shown.push_back(Display(Probe(step)));
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

// Inside a probe step whose displays enclose target: the neighbouring values either side of
// it; returns the one showing the nearer number, with that display in `nearest`.
float DisplaySearch::Bisect(int step, double target, std::string& nearest)
{
    float lo = Probe(step);
    float hi = Probe(step + 1);
    std::string shownLo = shown[std::size_t(step)];
    std::string shownHi = shown[std::size_t(step) + 1];
    const bool rising = *ParseNumber(shownHi) >= *ParseNumber(shownLo);
    for (int i = 0; i < kBisections; ++i)
    {
        const float mid = 0.5f * (lo + hi);
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
        const float mid = 0.5f * (inside + outside);
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
    int step = std::min(static_cast<int>(value * kProbeSteps), kProbeSteps);
    while (step > 0 && Probe(step) > value)
        --step;
    int below = step;
    while (below >= 0 && shown[std::size_t(below)] == text)
        --below;
    int above = step + 1;
    while (above <= kProbeSteps && shown[std::size_t(above)] == text)
        ++above;
    const bool fromZero = below < 0;
    const bool toOne = above > kProbeSteps;
    if (fromZero != toOne)
        return fromZero ? 0.0f : 1.0f;
    if (fromZero)
        return value; // the display never changes
    const float middle = 0.5f * (Edge(value, Probe(below), text) + Edge(value, Probe(above), text));
    return Display(middle) == text ? middle : value;
}

float DisplaySearch::NearestNumber(double target, const std::string& given)
{
    int closest = -1;
    int lowest = -1;
    int highest = -1;
    double closestDistance = std::numeric_limits<double>::infinity();
    for (int step = 0; step <= kProbeSteps; ++step)
    {
        const auto value = ParseNumber(shown[std::size_t(step)]);
        if (!value)
            continue;
        if (lowest < 0 || *value < *ParseNumber(shown[std::size_t(lowest)]))
            lowest = step;
        if (highest < 0 || *value > *ParseNumber(shown[std::size_t(highest)]))
            highest = step;
        if (std::fabs(*value - target) < closestDistance)
        {
            closestDistance = std::fabs(*value - target);
            closest = step;
        }
    }
    if (closest < 0)
        throw RenderError(Describe() + " shows no numbers; give a normalised value from 0 to 1 " +
                          "or a display text such as " + shown.front());

    std::string nearest = shown[std::size_t(closest)];
    float value = Probe(closest);
    for (int step = 0; step < kProbeSteps; ++step)
    {
        const auto a = ParseNumber(shown[std::size_t(step)]);
        const auto b = ParseNumber(shown[std::size_t(step) + 1]);
        if (a && b && target >= std::min(*a, *b) && target <= std::max(*a, *b))
        {
            value = Bisect(step, target, nearest);
            break;
        }
    }
    if (std::fabs(*ParseNumber(nearest) - target) > Rounding(nearest) * (1.0 + 1e-9))
    {
        const std::string low = shown[std::size_t(lowest)];
        const std::string high = shown[std::size_t(highest)];
        if (target < *ParseNumber(low) || target > *ParseNumber(high))
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
    for (int step = 0; step <= kProbeSteps; ++step)
    {
        const std::string text = Lowercase(shown[std::size_t(step)]);
        if (text == wanted ||
            (!label.empty() && (text + label == wanted || text + " " + label == wanted)))
            return Settle(Probe(step));
        if (listed < 8 && (step == 0 || shown[std::size_t(step)] != shown[std::size_t(step) - 1]))
        {
            examples += (listed++ == 0 ? "" : ", ") + shown[std::size_t(step)];
        }
    }
    throw RenderError("no value of " + Describe() + " shows '" + given + "' (it shows e.g. " +
                      examples + ")");
}

} // namespace Kestrune::Render
