// --param NAME=VALUE against the loaded plug-in.
// Names: an index, or a host name (effGetParamName), or for Corvane Phaser the long name or the
// panel's caption (ParameterNames.h); any letter case, blanks, underscores and punctuation
// ignored. Failing an exact match, the unique end of a host name ("Mix" finds PMix) or the
// unique start of a long name or caption ("Feedback" finds PFB).
// Values are what the plug-in shows: a number is a display value, with or without a unit (the
// label, the parameter's known unit, kHz for Hz); -inf or -oo is the display "-oo"; on, off,
// true, false, yes, no, 1 and 0 set a switch; any other text is a display text ("1/4", "LFO").
// "norm:V" gives the normalised value V from 0 to 1 as hosts send it. Display values are found
// through the plug-in's own displays (DisplaySearch).
#pragma once

#include "DisplaySearch.h"
#include "Options.h"

#include <optional>

namespace Kestrune::Render
{

class PluginHost;
struct KnownParameter;

// Flat index; throws RenderError for an unknown or ambiguous name, listing the candidates.
int FindParameter(PluginHost& host, const std::string& name);

// Values for one parameter; the display search is made on first need and kept.
class ValueReader
{
public:
    ValueReader(PluginHost& host, int index);

    // Normalised value for the text; may try values on the parameter to read their displays.
    // Throws RenderError when no value fits.
    float Resolve(const std::string& text);

private:
    DisplaySearch& Search();
    std::optional<float> Silence(const std::string& given);
    std::optional<float> Switch(const std::string& given);
    std::optional<float> WithUnit(const std::string& given);
    std::string Describe() const;

    PluginHost& host;
    int index;
    const KnownParameter* known;
    std::optional<DisplaySearch> search;
};

// Finds, resolves and sets.
void ApplyParameter(PluginHost& host, const ParamSetting& setting);

} // namespace Kestrune::Render
