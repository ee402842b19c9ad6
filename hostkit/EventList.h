// An event list as a host hands it to effProcessEvents: MIDI and sys-ex events, and for tests of
// a plug-in's guards null entries and events of unknown type, in the order added. Storage is
// reserved up front, so filling and sending a list never touches the heap; events past the
// capacity are dropped.
#pragma once

#include "host/vst24.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace HostKit
{

class EventList
{
public:
    explicit EventList(std::size_t capacity = 512);
    EventList(const EventList&) = delete;
    EventList& operator=(const EventList&) = delete;

    void Clear() { count = 0; }
    bool Empty() const { return count == 0; }
    std::size_t Size() const { return count; }
    std::size_t Capacity() const { return events.size(); }

    void AddMidi(std::int32_t deltaFrames, std::uint8_t status, std::uint8_t data1,
                 std::uint8_t data2);
    // A universal sys-ex message; dumpBytes as the event claims it (at most the 6 stored).
    void AddSysex(std::int32_t deltaFrames, std::int32_t dumpBytes = 6);
    void AddNull();
    void AddOther(std::int32_t type, std::int32_t byteSize, std::int32_t deltaFrames);

    // The list with every event added since Clear; valid until the next change.
    VstEvents* Build();

private:
    // The published layout of a sys-ex event.
    struct SysexEvent
    {
        VstInt32 type;
        VstInt32 byteSize;
        VstInt32 deltaFrames;
        VstInt32 flags;
        VstInt32 dumpBytes;
        VstIntPtr resvd1;
        char* sysexDump;
        VstIntPtr resvd2;
    };
    union Event
    {
        VstMidiEvent midi;
        SysexEvent sysex;
    };
    Event* Next();

    std::vector<Event> events;
    std::vector<bool> isNull;
    // numEvents and reserved, then the entries: the list declares two but holds numEvents.
    std::vector<unsigned char> block;
    std::size_t count = 0;
    char sysexDump[8] = {static_cast<char>(0xF0), 0x7E, 0x7F, 0x09, 0x01, static_cast<char>(0xF7)};
};

} // namespace HostKit
