// Normalised values of one parameter found through its displays: every probe sets the value and
// reads effGetParamDisplay back, so the plug-in's own formulas decide, whatever they are.
// Probes lie every 1/1000 and, towards both ends, at halving distances down to the neighbouring
// float, so texts shown only very near an end (-100.45 dB of feedback) are found too. Displays
// are assumed monotonic between neighbouring probes.
#pragma once

#include <optional>
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
    // True when some probe shows the text (any letter case).
    bool Shows(const std::string& text) const;
    // True when every probe shows On or Off, and both appear.
    bool IsSwitch() const;

private:
    struct Probe
    {
        float value;
        std::string text;
        std::optional<double> number; // the text as a number
    };

    std::string Display(float value);
    std::string Describe();
    float Bisect(std::size_t at, double target, std::string& nearest);
    float Edge(float inside, float outside, const std::string& text);
    float Settle(float value);

    PluginHost& host;
    int index;
    std::vector<Probe> probes; // ascending values from 0 to 1
};

} // namespace Kestrune::Render
