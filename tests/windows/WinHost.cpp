// A Win32 test host: loads CorvanePhaser.dll the way Windows hosts do (LoadLibraryA,
// GetProcAddress), checks the record, renders the fixed scenario with MIDI events and time info,
// restores program and bank chunks into further instances, and writes the render as raw
// little-endian floats for comparison with the Linux build.
//
//   WinHost.exe PLUGIN.dll OUTPUT.f32
//
// Prints one line per failed check and ends with "N passed, N failed"; exits 0 only when every
// check passed.
#include "support/RenderScenario.h"

#include <windows.h>

#include <cstdio>
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

// Runs only on a build whose record has effFlagsHasEditor. The editor's checks go here: open it
// into a top-level window of this host's own, drive the real controls (keyboard input to the
// sliders and lists, BM_CLICK on the check boxes), open and close the About box and read the
// status bar's text, checking the model after each step.
void CheckEditor(EntryPoint entry, CheckLog& log)
{
    ScenarioHost host(entry);
    if (!log.Check(host.effect != nullptr, "record for the editor checks"))
        return;
    if ((host.effect->flags & effFlagsHasEditor) == 0)
    {
        log.Note("editor checks skipped: the build has no editor");
        return;
    }
    host.Open();
    ERect* rect = nullptr;
    const bool hasRect = host.Dispatch(effEditGetRect, 0, 0, &rect) == 1 && rect != nullptr;
    if (log.Check(hasRect && rect->right > rect->left && rect->bottom > rect->top,
                  "effEditGetRect answers a rectangle"))
        log.Note("editor rectangle " + std::to_string(rect->right - rect->left) + " x " +
                 std::to_string(rect->bottom - rect->top));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: WinHost PLUGIN.dll OUTPUT.f32\n");
        return 2;
    }
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
            CheckEditor(vstPluginMain, log);
        log.Check(FreeLibrary(module) != 0, "FreeLibrary");
    }
    std::printf("%s\n", log.Summary().c_str());
    return log.Failed() == 0 ? 0 : 1;
}
