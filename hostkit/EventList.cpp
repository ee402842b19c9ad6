#include "EventList.h"

#include <algorithm>
#include <cstring>

namespace HostKit
{

EventList::EventList(std::size_t capacity)
    : events(capacity), isNull(capacity, false),
      block(offsetof(VstEvents, events) + std::max<std::size_t>(capacity, 2) * sizeof(VstEvent*))
{
}

EventList::Event* EventList::Next()
{
    if (count == events.size())
        return nullptr;
    isNull[count] = false;
    Event* event = &events[count++];
    std::memset(event, 0, sizeof *event);
    return event;
}

void EventList::AddMidi(std::int32_t deltaFrames, std::uint8_t status, std::uint8_t data1,
                        std::uint8_t data2)
{
    if (Event* event = Next())
    {
        event->midi.type = kVstMidiType;
        event->midi.byteSize = sizeof(VstMidiEvent);
        event->midi.deltaFrames = deltaFrames;
        event->midi.midiData[0] = static_cast<char>(status);
        event->midi.midiData[1] = static_cast<char>(data1);
        event->midi.midiData[2] = static_cast<char>(data2);
    }
}

void EventList::AddSysex(std::int32_t deltaFrames, std::int32_t dumpBytes)
{
    if (Event* event = Next())
    {
        event->sysex.type = kVstSysExType;
        event->sysex.byteSize = sizeof(SysexEvent);
        event->sysex.deltaFrames = deltaFrames;
        event->sysex.dumpBytes = std::clamp(dumpBytes, 0, 6);
        event->sysex.sysexDump = sysexDump;
    }
}

void EventList::AddNull()
{
    if (Next() != nullptr)
        isNull[count - 1] = true;
}

void EventList::AddOther(std::int32_t type, std::int32_t byteSize, std::int32_t deltaFrames)
{
    if (Event* event = Next())
    {
        event->midi.type = type;
        event->midi.byteSize = byteSize;
        event->midi.deltaFrames = deltaFrames;
    }
}

VstEvents* EventList::Build()
{
    auto* list = reinterpret_cast<VstEvents*>(block.data());
    list->numEvents = static_cast<VstInt32>(count);
    list->reserved = 0;
    // Written through a pointer to the first entry, not the two-entry declared array.
    auto** entries = reinterpret_cast<VstEvent**>(block.data() + offsetof(VstEvents, events));
    for (std::size_t i = 0; i < count; ++i)
        entries[i] = isNull[i] ? nullptr : reinterpret_cast<VstEvent*>(&events[i]);
    return list;
}

} // namespace HostKit
