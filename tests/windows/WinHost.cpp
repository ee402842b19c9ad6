// A Win32 test host: loads CorvanePhaser.dll the way Windows hosts do (LoadLibraryA and
// GetProcAddress, through the host library), checks the record, renders the fixed scenario with
// MIDI events and time info,
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
#include "hostkit/Error.h"
#include "hostkit/Module.h"
#include "support/RenderScenario.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{

using TestSupport::CheckLog;
using TestSupport::EntryPoint;

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
    try
    {
        const HostKit::Module module(argv[1]);
        const auto legacyMain = reinterpret_cast<EntryPoint>(module.Symbol("main"));
        log.Check(module.Entry() == legacyMain, "main is the same function as VSTPluginMain");
        const std::vector<float> output = TestSupport::RunScenario(module.Entry(), legacyMain, log);
        log.Check(output.size() == 2u * TestSupport::kScenarioFrames, "whole render");
        log.Check(TestSupport::WriteRawFloats(argv[2], output), std::string("write ") + argv[2]);
        TestSupport::CheckEditor(module.Entry(), log, holdMs);
    }
    catch (const HostKit::Error& error)
    {
        log.Check(false, error.what());
    }
    std::printf("%s\n", log.Summary().c_str());
    return log.Failed() == 0 ? 0 : 1;
}
