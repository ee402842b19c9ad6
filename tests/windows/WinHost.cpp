// A Win32 test host: loads CorvanePhaser.dll the way Windows hosts do (LoadLibraryA,
// GetProcAddress), checks the record, renders the fixed scenario with MIDI events and time info,
// restores program and bank chunks into further instances, and writes the render as raw
// little-endian floats for comparison with the Linux build.
//
//   WinHost.exe PLUGIN.dll OUTPUT.f32 [HOLD_MS]
//
// Then opens the editor and drives its controls (WinEditorChecks.cpp); HOLD_MS keeps the panel on
// screen that long afterwards for a screenshot.
//
// Prints one line per failed check and ends with "N passed, N failed"; exits 0 only when every
// check passed.
#include "WinEditorChecks.h"
#include "support/RenderScenario.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{

using TestSupport::CheckLog;
using TestSupport::EntryPoint;
using TestSupport::ScenarioHost;

EntryPoint FindEntry(HMODULE module, const char* name)
{
    return reinterpret_cast<EntryPoint>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4)
    {
        std::fprintf(stderr, "usage: WinHost PLUGIN.dll OUTPUT.f32 [HOLD_MS]\n");
        return 2;
    }
    const int holdMs = argc == 4 ? std::atoi(argv[3]) : 0;
    CheckLog log;
    HMODULE module = LoadLibraryA(argv[1]);
    if (log.Check(module != nullptr, std::string("LoadLibraryA ") + argv[1]))
    {
        const EntryPoint vstPluginMain = FindEntry(module, "VSTPluginMain");
        const EntryPoint legacyMain = FindEntry(module, "main");
        log.Check(vstPluginMain != nullptr && vstPluginMain == legacyMain,
                  "main is the same function as VSTPluginMain");
        const std::vector<float> output = TestSupport::RunScenario(vstPluginMain, legacyMain, log);
        log.Check(output.size() == 2u * TestSupport::kScenarioFrames, "whole render");
        log.Check(TestSupport::WriteRawFloats(argv[2], output), std::string("write ") + argv[2]);
        if (vstPluginMain != nullptr)
            TestSupport::CheckEditor(vstPluginMain, log, holdMs);
        log.Check(FreeLibrary(module) != 0, "FreeLibrary");
    }
    std::printf("%s\n", log.Summary().c_str());
    return log.Failed() == 0 ? 0 : 1;
}
