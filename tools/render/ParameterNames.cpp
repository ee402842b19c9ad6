#include "ParameterNames.h"

#include "phaser/ParameterTable.h"

#include <cctype>
#include <vector>

namespace Kestrune::Render
{

namespace
{

constexpr std::int32_t kCorvanePhaserId = 0x43506872; // 'CPhr'

// The unit a musician types with a value shown that way.
const char* TypedUnit(Product::Display display)
{
    switch (display)
    {
    case Product::Display::kHertz:
        return "Hz";
    case Product::Display::kDecibels:
        return "dB";
    case Product::Display::kPercent:
    case Product::Display::kWetDry:
        return "%";
    case Product::Display::kStageCount:
        return "stages";
    default:
        return "";
    }
}

// The product's parameter table as corvane-render reads it; the panel's captions differ from
// the long names in two places.
const std::vector<KnownParameter>& CorvanePhaser()
{
    static const std::vector<KnownParameter> known = []
    {
        std::vector<KnownParameter> table;
        for (const Product::ParameterInfo& p : Product::kParameters)
        {
            const char* group = Product::kGroups[static_cast<int>(p.group)].shortName;
            table.push_back(
                {std::string(group) + p.shortName, p.name, p.name, TypedUnit(p.display)});
        }
        table[Product::kLfoQuadMode].caption = "Quad Enabled";
        table[Product::kSweepSource].caption = "Mod Source";
        return table;
    }();
    return known;
}

} // namespace

const KnownParameter* FindKnownParameter(std::int32_t uniqueId, const std::string& hostName)
{
    if (uniqueId != kCorvanePhaserId)
        return nullptr;
    for (const KnownParameter& known : CorvanePhaser())
        if (hostName == known.hostName)
            return &known;
    return nullptr;
}

std::string NameKey(const std::string& name)
{
    std::string key;
    for (const char c : name)
        if (std::isalnum(static_cast<unsigned char>(c)) != 0)
            key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

} // namespace Kestrune::Render
