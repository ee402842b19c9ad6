#pragma once

#include <lv2/urid/urid.h>

namespace Kestrune::Lv2
{

// Every URI the plug-in compares atoms with, mapped once when the instance is made.
struct Urids
{
    LV2_URID atomSequence = 0;
    LV2_URID atomObject = 0;
    LV2_URID atomBlank = 0;
    LV2_URID atomResource = 0;
    LV2_URID atomInt = 0;
    LV2_URID atomLong = 0;
    LV2_URID atomFloat = 0;
    LV2_URID atomDouble = 0;
    LV2_URID atomChunk = 0;
    LV2_URID atomFrameTime = 0;
    LV2_URID midiEvent = 0;
    LV2_URID timePosition = 0;
    LV2_URID timeBar = 0;
    LV2_URID timeBarBeat = 0;
    LV2_URID timeBeat = 0;
    LV2_URID timeBeatUnit = 0;
    LV2_URID timeBeatsPerBar = 0;
    LV2_URID timeBeatsPerMinute = 0;
    LV2_URID timeSpeed = 0;
    LV2_URID stateBank = 0;
    LV2_URID stateProgram = 0;
    LV2_URID stateProgramChunk = 0;

    // [instantiation] Maps through the host; false (everything 0) without a map.
    bool Map(const LV2_URID_Map* map);
    bool Mapped() const { return atomSequence != 0; }
};

} // namespace Kestrune::Lv2
