#include "lv2/Urids.h"

#include "lv2/Uris.h"

#include <lv2/atom/atom.h>
#include <lv2/midi/midi.h>
#include <lv2/time/time.h>

namespace Kestrune::Lv2
{

bool Urids::Map(const LV2_URID_Map* map)
{
    if (map == nullptr || map->map == nullptr)
        return false;
    const auto id = [map](const char* uri) { return map->map(map->handle, uri); };
    atomSequence = id(LV2_ATOM__Sequence);
    atomObject = id(LV2_ATOM__Object);
    atomBlank = id(LV2_ATOM__Blank);
    atomResource = id(LV2_ATOM__Resource);
    atomInt = id(LV2_ATOM__Int);
    atomLong = id(LV2_ATOM__Long);
    atomFloat = id(LV2_ATOM__Float);
    atomDouble = id(LV2_ATOM__Double);
    atomChunk = id(LV2_ATOM__Chunk);
    atomFrameTime = id(LV2_ATOM__frameTime);
    midiEvent = id(LV2_MIDI__MidiEvent);
    timePosition = id(LV2_TIME__Position);
    timeBar = id(LV2_TIME__bar);
    timeBarBeat = id(LV2_TIME__barBeat);
    timeBeat = id(LV2_TIME__beat);
    timeBeatUnit = id(LV2_TIME__beatUnit);
    timeBeatsPerBar = id(LV2_TIME__beatsPerBar);
    timeBeatsPerMinute = id(LV2_TIME__beatsPerMinute);
    timeSpeed = id(LV2_TIME__speed);
    stateBank = id(CORVANE_LV2_STATE_BANK);
    stateProgram = id(CORVANE_LV2_STATE_PROGRAM);
    stateProgramChunk = id(CORVANE_LV2_STATE_PROGRAM_CHUNK);
    return Mapped();
}

} // namespace Kestrune::Lv2
