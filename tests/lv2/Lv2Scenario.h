// One scenario driven through both editions in lockstep: the VST module through the test host
// (normalised values, VstEvents, time information every block) and the LV2 bundle through
// lilv (port values in the ports' units, MIDI and time:Position in the atom sequence).
#pragma once

#include "lv2/Lv2TestHost.h"
#include "support/PluginHost.h"
#include "support/RenderScenario.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace TestSupport
{

constexpr double kLv2Tempo = 132.0;

// What the LV2 port of a parameter shows for a normalised value: the units the bundle
// documents (Hz, octaves, feedback gain, wet proportion, entry indices, stage counts, toggles).
float PortValue(int index, float normalised);

using TimedChange = TimedParameter;

// The lockstep scenario: settings, glides, every stage count change, the sweep sources and
// bypass, with tempo sync; MIDI controllers and pressure at their offsets.
extern const std::vector<TimedChange> kLockstepChanges;
extern const std::vector<TimedMidi> kLockstepMidi;

struct Rendered
{
    std::vector<float> left;
    std::vector<float> right;
};

// Blocks of blockSize over the scenario input; changes and MIDI at their blocks, those of block 0
// set before processing starts (before the VST edition resumes and LV2's first run). The LV2 host
// gets a time:Position at the start of every block when positionsEveryBlock, else only at the
// first (then the plug-in follows the tempo itself).
struct LockstepRun
{
    LockstepRun(std::vector<TimedChange> timedChanges, std::vector<TimedMidi> timedMidi)
        : changes(std::move(timedChanges)), midi(std::move(timedMidi))
    {
    }

    std::vector<TimedChange> changes;
    std::vector<TimedMidi> midi;
    int blockSize = 512;
    bool positionsEveryBlock = true;
    bool inPlace = false; // the LV2 host processes in the input buffers
    bool connectAfterActivating = false;

    Rendered vst;
    Rendered lv2;
    void Run(PluginHost& vstHost, Lv2TestHost& lv2Host);
};

bool SameBits(const std::vector<float>& a, const std::vector<float>& b);
// Both channels bit for bit.
bool SameBits(const Rendered& a, const Rendered& b);
// The VST instance created and started at 44.1 kHz with blocks of up to blockSize frames.
void StartVst(PluginHost& vst, int blockSize);
bool AllFinite(const std::vector<float>& samples);
float LargestDifference(const Rendered& a, const Rendered& b);

} // namespace TestSupport
