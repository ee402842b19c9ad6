// One scenario driven through both editions in lockstep: the VST module through the test host
// (normalised values, VstEvents, time information every block) and the LV2 bundle through
// lilv (port values in the ports' units, MIDI and time:Position in the atom sequence).
#pragma once

#include "lv2/Lv2TestHost.h"
#include "support/PluginHost.h"
#include "support/RenderScenario.h"

#include <cstddef>
#include <cstdint>
#include <functional>
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

// What the lockstep runs share: blocks of blockSize over the scenario input, the VST edition's
// render in vst and the other edition's in its own Rendered (in the input's buffers when inPlace).
struct LockstepBlocks
{
    int blockSize = 512;
    bool inPlace = false;
    Rendered vst;

protected:
    using Block = std::function<void(int block, std::size_t start, std::uint32_t frames)>;
    using Process =
        std::function<void(const float*, const float*, float*, float*, std::uint32_t frames)>;
    // Per block: block() queues its changes and events and renders the VST edition's part from
    // inL and inR; process() then renders the other edition's.
    void Drive(Rendered& edition, const Block& block, const Process& process);

    std::vector<float> inL;
    std::vector<float> inR;
};

// Changes and MIDI at their blocks, those of block 0 set before processing starts (before the
// VST edition resumes and LV2's first run). The LV2 host gets a time:Position at the start of
// every block when positionsEveryBlock, else only at the first (then the plug-in follows the
// tempo itself).
struct LockstepRun : LockstepBlocks
{
    LockstepRun(std::vector<TimedChange> timedChanges, std::vector<TimedMidi> timedMidi)
        : changes(std::move(timedChanges)), midi(std::move(timedMidi))
    {
    }

    std::vector<TimedChange> changes;
    std::vector<TimedMidi> midi;
    bool positionsEveryBlock = true;
    bool connectAfterActivating = false;

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
