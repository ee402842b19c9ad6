// One run of corvane-render: load the plug-in, apply the settings, list, render, save.
#pragma once

#include "Options.h"

#include <string>

namespace Kestrune::Render
{

// Exit status 0; throws RenderError for every failure. Nothing appears under an output name
// unless the whole run succeeds.
int Run(const Options& options);

// The plug-in used without --plugin: next to the executable, or in ../lib/vst from it when
// installed, else the one in the build folder.
std::string DefaultPluginPath();

} // namespace Kestrune::Render
