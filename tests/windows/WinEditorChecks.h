// The test host's editor checks: the plug-in's editor opened into a top-level window of the
// host's own and driven through its real controls.
#pragma once

#include "support/RenderScenario.h"

namespace TestSupport
{

// [ui] Runs only on a build whose record has effFlagsHasEditor. holdMs > 0 keeps the panel on
// screen that long (pumping messages) after the checks, once its screen position is printed as
// "editor panel at X,Y", so that a screenshot can be taken.
void CheckEditor(EntryPoint entry, CheckLog& log, int holdMs);

} // namespace TestSupport
