#pragma once

#include "lv2/Urids.h"

#include <lv2/atom/atom.h>

#include <cstdint>

namespace Kestrune::Lv2
{

// The fields of a time:Position the plug-in uses; NaN where the object has none (or one of a
// type that is not a number).
struct PositionFields
{
    double beatsPerMinute;
    double beat;
    double bar;
    double barBeat;
    double beatUnit;
    double beatsPerBar;
    double speed;
};

class ISequenceVisitor
{
public:
    virtual ~ISequenceVisitor() = default;
    // bytes holds size (at least 1) bytes of one MIDI message.
    virtual void OnMidi(std::int64_t frame, const std::uint8_t* bytes, std::uint32_t size) = 0;
    virtual void OnPosition(std::int64_t frame, const PositionFields& position) = 0;
};

// [audio] Visits the MIDI messages and time positions of a sequence in the order it holds
// them, trusting nothing inside it: every event, object and property is checked against the
// sequence's own size before it is read, and reading stops at the first that overruns. A
// sequence timed in beats, or an atom that is not a sequence, has no events for us.
void ReadSequence(const LV2_Atom_Sequence* sequence, const Urids& urids, ISequenceVisitor& visitor);

} // namespace Kestrune::Lv2
