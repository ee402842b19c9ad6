// --param NAME=VALUE against the loaded plug-in. VST 2.4 has no query for a parameter's full
// name, so names are the host names the plug-in reports (effGetParamName), matched exactly,
// then in any letter case, then as the unique end of one host name ("Mix" finds "PMix").
// Values: a plain number from 0 to 1 is normalised. Any other number, or a number with the
// parameter's label or "dB" ("-6dB", "2500Hz", "12"), is a display value: the value whose
// display is nearest, within the display's rounding. Anything else is a display text ("On",
// "1/2"). Display values are found through the plug-in's own displays (DisplaySearch).
#pragma once

#include "Options.h"

namespace Kestrune::Render
{

class PluginHost;

// Flat index; throws RenderError for an unknown or ambiguous name.
int FindParameter(PluginHost& host, const std::string& name);

// Normalised value for the text; may try values on the parameter to read their displays.
// Throws RenderError when no value fits.
float ResolveParameterValue(PluginHost& host, int index, const std::string& text);

// Finds, resolves and sets.
void ApplyParameter(PluginHost& host, const ParamSetting& setting);

} // namespace Kestrune::Render
