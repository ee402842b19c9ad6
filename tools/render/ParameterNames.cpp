#include "ParameterNames.h"

#include <cctype>
#include <iterator>

namespace Kestrune::Render
{

namespace
{

constexpr std::int32_t kCorvanePhaserId = 0x43506872; // 'CPhr'

constexpr KnownParameter kCorvanePhaser[] = {
    {"LFreq", "Frequency", "Frequency", "Hz"},
    {"LMS", "MIDI Source", "MIDI Source", ""},
    {"LSOn", "Sync Enabled", "Sync Enabled", ""},
    {"LSRes", "Sync Resolution", "Sync Resolution", ""},
    {"LQM", "Quad Mode", "Quad Enabled", ""},
    {"POn", "Enabled", "Enabled", ""},
    {"PFB", "Feedback Level", "Feedback Level", "dB"},
    {"PModD", "Modulation Depth", "Modulation Depth", "%"},
    {"PLFreq", "Left Frequency", "Left Frequency", "Hz"},
    {"PRFreq", "Right Frequency", "Right Frequency", "Hz"},
    {"PSM", "Stage Mode", "Stage Mode", "stages"},
    {"PMix", "Wet/Dry Mix", "Wet/Dry Mix", "%"},
    {"PMS", "Modulation Source", "Mod Source", ""},
};

} // namespace

const KnownParameter* FindKnownParameter(std::int32_t uniqueId, const std::string& hostName)
{
    if (uniqueId != kCorvanePhaserId)
        return nullptr;
    for (const KnownParameter& known : kCorvanePhaser)
    {
        if (hostName == known.hostName)
            return &known;
    }
    return nullptr;
}

std::string NameKey(const std::string& name)
{
    std::string key;
    for (const char c : name)
    {
        if (std::isalnum(static_cast<unsigned char>(c)) != 0)
            key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return key;
}

} // namespace Kestrune::Render
