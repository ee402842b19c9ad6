// A Win32 CLAP host: loads CorvanePhaser.clap the way Windows CLAP hosts do (LoadLibraryA,
// clap_entry, the plug-in factory, through the host library), loads the VST edition's program
// chunk of the scenario's settings as its state, and renders the scenario's input with MIDI
// controllers and the transport beside CorvanePhaser.dll given the same: the same bits.
//
//   WinClapHost.exe PLUGIN.dll PLUGIN.clap
//
// Prints one line per failed check and ends with "N passed, N failed"; exits 0 only when every
// check passed.
#include "hostkit/ClapHost.h"
#include "hostkit/Error.h"
#include "hostkit/Module.h"
#include "support/RenderScenario.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace
{
using namespace TestSupport;

constexpr double kTempo = 132.0;
const TimedMidi kMidi[] = {{3, 7, 0xB0, 1, 100}, {20, 100, 0xB0, 1, 10}, {40, 0, 0xD0, 90, 0}};

struct Render
{
    std::vector<float> left;
    std::vector<float> right;
};

void Compare(const Render& vst, const Render& clap, CheckLog& log)
{
    bool same = vst.left.size() == clap.left.size();
    bool finite = true;
    for (std::size_t i = 0; same && i < vst.left.size(); ++i)
    {
        same = std::memcmp(&vst.left[i], &clap.left[i], 4) == 0 &&
               std::memcmp(&vst.right[i], &clap.right[i], 4) == 0;
        finite = finite && std::isfinite(clap.left[i]) && std::isfinite(clap.right[i]);
    }
    log.Check(same, "the CLAP render has the VST render's bits");
    log.Check(finite, "the CLAP render is finite");
}

void Run(const char* dll, const char* clapFile, CheckLog& log)
{
    const HostKit::Module module(dll);
    ScenarioHost vst(module.Entry());
    vst.Open();
    for (const auto& [index, value] : ScenarioSettings())
        vst.Effect()->setParameter(vst.Effect(), index, value);
    const std::vector<std::uint8_t> program = vst.GetChunk(true);
    vst.Resume();

    const HostKit::ClapModule clapModule(clapFile);
    log.Check(clapModule.Factory().get_plugin_count(&clapModule.Factory()) == 1, "one plug-in");
    HostKit::ClapInstance clap(clapModule, "com.corvane.phaser");
    log.Check(clap.LoadState(program), "the VST program chunk loads as state");
    log.Check(clap.Activate(kScenarioSampleRate, kScenarioBlockSize), "activates");

    std::vector<float> inL;
    std::vector<float> inR;
    MakeScenarioInput(inL, inR);
    Render vstOut{std::vector<float>(inL.size()), std::vector<float>(inL.size())};
    Render clapOut = vstOut;
    vst.time.tempo = kTempo;
    for (int block = 0, start = 0; start < kScenarioFrames; ++block, start += kScenarioBlockSize)
    {
        const int n = std::min(kScenarioBlockSize, kScenarioFrames - start);
        for (const TimedMidi& m : kMidi)
            if (m.block == block)
            {
                vst.AddMidi(m.offset, m.status, m.data1, m.data2);
                clap.AddMidi(static_cast<std::uint32_t>(m.offset), m.status, m.data1, m.data2);
            }
        // The position on CLAP's grid for both.
        vst.time.ppqPos = std::round(vst.time.ppqPos * CLAP_BEATTIME_FACTOR) / CLAP_BEATTIME_FACTOR;
        clap.SetTransport(kTempo, vst.time.ppqPos);
        const auto s = static_cast<std::size_t>(start);
        vst.Process(&inL[s], &inR[s], &vstOut.left[s], &vstOut.right[s], n);
        clap.Process(&inL[s], &inR[s], &clapOut.left[s], &clapOut.right[s],
                     static_cast<std::uint32_t>(n));
    }
    Compare(vstOut, clapOut, log);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: WinClapHost PLUGIN.dll PLUGIN.clap\n");
        return 2;
    }
    CheckLog log;
    try
    {
        Run(argv[1], argv[2], log);
    }
    catch (const HostKit::Error& error)
    {
        log.Check(false, error.what());
    }
    std::printf("%s\n", log.Summary().c_str());
    return log.Failed() == 0 ? 0 : 1;
}
