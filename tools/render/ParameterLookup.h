// --param NAME=VALUE against the loaded plug-in. VST 2.4 has no query for a parameter's full
// name, so names are the host names the plug-in reports (effGetParamName), matched exactly,
// then in any letter case, then as the unique end of one host name ("Mix" finds "PMix").
// Values are normalised numbers, numbers with the parameter's unit ("2500Hz", found by
// bisection on the display), or display texts ("On", "1/2").
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
