#pragma once

#include "host/vst24.h"

class AudioEffect;

namespace Kestrune::Vst
{

// The library's module handle, recorded when the library is loaded; the editor loads its
// dialog templates from it.
void SetModuleInstance(void* instance);
void* GetModuleInstance();

// Builds one plug-in instance: service dispatcher, model, core, editor, in that order.
// Throws what construction throws (allocation failure); the entry point contains it.
AudioEffect* CreateEffectInstance(audioMasterCallback audioMaster);

// The entry point's work: asks the host's version (0 refuses the plug-in), then builds an
// instance. Answers the record, or null; no exception leaves it.
AEffect* CreatePluginRecord(audioMasterCallback audioMaster);

} // namespace Kestrune::Vst
