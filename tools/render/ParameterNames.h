// What corvane-render knows of Corvane Phaser's parameters beyond what VST 2.4 reports (host
// name, display, label): the long name, the panel's caption and the unit a musician types, so
// "Feedback Level" finds PFB and PSM takes "12 stages". Other plug-ins go by host names only.
#pragma once

#include <cstdint>
#include <string>

namespace Kestrune::Render
{

// Taken from the product's parameter table.
struct KnownParameter
{
    std::string hostName;
    const char* longName;
    const char* caption; // the text beside its control on the panel
    const char* unit;    // empty: a plain number only
};

// The entry for the plug-in with that unique ID and host name, or nullptr.
const KnownParameter* FindKnownParameter(std::int32_t uniqueId, const std::string& hostName);

// Letters and digits only, lowercase: "Wet/Dry Mix", "wet_dry_mix" and "WETDRYMIX" compare equal.
std::string NameKey(const std::string& name);

} // namespace Kestrune::Render
