// The module's only exported symbols: VSTPluginMain, also under the older name main, and the
// platform's load notification that records the module handle.
#include "phaser/Assembly.h"

#if defined(_WIN32)
#include <windows.h>
#define CORVANE_EXPORT extern "C" __declspec(dllexport)
#else
#include <dlfcn.h>
#define CORVANE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

CORVANE_EXPORT AEffect* VSTPluginMain(audioMasterCallback audioMaster)
{
    return Kestrune::Vst::CreatePluginRecord(audioMaster);
}

#if defined(_WIN32)
// Hosts that look for main find the same function through the export table's alias
// (see the module definition file).
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID)
{
    Kestrune::Vst::SetModuleInstance(instance);
    return TRUE;
}
#else
// Older hosts look up the C symbol main; an assembler label gives it to this function.
CORVANE_EXPORT AEffect* VSTPluginMainLegacy(audioMasterCallback audioMaster) __asm__("main");
AEffect* VSTPluginMainLegacy(audioMasterCallback audioMaster)
{
    return Kestrune::Vst::CreatePluginRecord(audioMaster);
}

namespace
{
__attribute__((constructor)) void OnModuleLoad()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&VSTPluginMain), &info) != 0)
        Kestrune::Vst::SetModuleInstance(info.dli_fbase);
}
} // namespace
#endif
