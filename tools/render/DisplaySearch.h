// Normalised values of one parameter found through its displays: every probe sets the value and
// reads effGetParamDisplay back, so the plug-in's own formulas decide, whatever they are.
// Displays are assumed monotonic between neighbouring probes (steps of 1/1000).
#pragma once

#include <string>
#include <vector>

namespace Kestrune::Render
{

class PluginHost;

class DisplaySearch
{
public:
    // Probes the parameter across its range; leaves it at an arbitrary value.
    DisplaySearch(PluginHost& host, int index);

    // The value whose display is the number nearest target. Refused (RenderError) unless that
    // display is within its own rounding of target: half a unit in its last digit.
    float NearestNumber(double target, const std::string& given);
    // The value whose display is the text (any letter case, optionally followed by the label).
    float ShowingText(const std::string& given);

private:
    std::string Display(float value);
    std::string Describe();
    float Bisect(int step, double target, std::string& nearest);
    float Edge(float inside, float outside, const std::string& text);
    float Settle(float value);

    PluginHost& host;
    int index;
    std::vector<std::string> shown; // display at each probe
};

} // namespace Kestrune::Render
