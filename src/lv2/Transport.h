#pragma once

#include "lv2/AtomReader.h"

#include <cstdint>

namespace Kestrune::Lv2
{

// The host's transport as the engine wants it: tempo in quarter notes per minute and song
// position in quarter notes. LV2 hosts send a time:Position when something changes (start,
// stop, relocation, a new tempo), not every block; in between the position moves on by itself
// at the tempo while the transport rolls, so each block starts where a VST host's time
// information would place it.
//
// Threads: [audio] everything.
class Transport
{
public:
    struct Change
    {
        double tempo;    // quarter notes per minute, or NaN when not given
        double position; // quarter notes, or NaN when not given
    };

    explicit Transport(double sampleRate);

    // The time at the start of the block about to run: whether it is known, and its values.
    bool Known() const { return known; }
    Change AtBlockStart() const { return {tempo, position}; }

    // A time:Position received frame frames into the block; answers what it changes.
    Change Receive(const PositionFields& fields, std::int64_t frame);
    // Moves on to the start of the next block, frames after the current one's start.
    void FinishBlock(std::int64_t frames);

private:
    double sampleRate;
    bool known = false;
    double tempo = 120.0;
    double speed = 0.0;
    double position = 0.0; // at positionFrame of the current block
    std::int64_t positionFrame = 0;
};

} // namespace Kestrune::Lv2
