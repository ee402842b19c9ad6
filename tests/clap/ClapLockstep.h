// The lockstep scenario driven through the CLAP edition (the host library's CLAP host: values in
// the parameters' units as events, MIDI events, the transport at frame 0 of every block) and the
// VST edition through the test host, block for block.
#pragma once

#include "hostkit/ClapHost.h"
#include "lv2/Lv2Scenario.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace TestSupport
{

HostKit::ClapModule& ClapModule(); // the built binary, loaded once
std::unique_ptr<HostKit::ClapInstance> NewClapInstance();
// The CLAP value of a normalised value: the LV2 port's, but an entry's number for selections.
double ClapValue(int index, float normalised);

// A change (normalised, as the VST edition takes it) at a frame of a block: the CLAP edition
// gets it as an event at that frame; the VST edition's block is split there.
struct FramedChange
{
    int block;
    std::uint32_t frame;
    int index;
    float value;
};
std::vector<FramedChange> AtBlockStarts(const std::vector<TimedChange>& changes);

struct ClapLockstep : LockstepBlocks
{
    ClapLockstep(std::vector<FramedChange> framedChanges, std::vector<TimedMidi> timedMidi)
        : changes(std::move(framedChanges)), midi(std::move(timedMidi))
    {
    }

    std::vector<FramedChange> changes;
    std::vector<TimedMidi> midi;
    bool events = true; // MIDI and transport to the CLAP edition

    Rendered clap;
    // Changes of block 0 at frame 0 are set before activation (flush), as hosts set them.
    void Run(PluginHost& vstHost, HostKit::ClapInstance& plugin);
};

} // namespace TestSupport
