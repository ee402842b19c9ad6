// A minimal host for the standalone tests: loads the built module with dlopen and VSTPluginMain,
// answers time information, and builds event lists in fixed storage, so nothing on its own
// processing path touches the heap.
#pragma once

#include "host/vst24.h"

#include <cstddef>
#include <cstdint>

namespace Standalone
{

class ModuleHost
{
public:
    static constexpr int kMaxEvents = 256;

    ModuleHost() = default;
    ~ModuleHost();
    ModuleHost(const ModuleHost&) = delete;
    ModuleHost& operator=(const ModuleHost&) = delete;

    // dlopen, VSTPluginMain, effOpen, sample rate, block size, resume. False with a message on
    // stderr when the module or its record is missing.
    bool Load(const char* modulePath, float sampleRate, int blockSize);

    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    void SetParameter(VstInt32 index, float value);
    float GetParameter(VstInt32 index);

    // Events for the next SendEvents; beyond kMaxEvents they are dropped.
    void AddMidi(std::int32_t deltaFrames, std::uint8_t status, std::uint8_t data1,
                 std::uint8_t data2);
    void AddSysex(std::int32_t deltaFrames);
    // effProcessEvents with the events added since the last call (none: nothing is sent).
    void SendEvents();
    void ProcessReplacing(float** inputs, float** outputs, int frames);

    AEffect* Effect() { return effect; }
    VstTimeInfo time{};

private:
    static VstIntPtr VSTCALLBACK Callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt);

    // The published sys-ex event layout.
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
    struct EventBlock
    {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[kMaxEvents];
    };
    static_assert(offsetof(EventBlock, events) == offsetof(VstEvents, events));

    void* module = nullptr;
    AEffect* effect = nullptr;
    Event events[kMaxEvents] = {};
    EventBlock block{};
    int eventCount = 0;
    char sysexDump[8] = {static_cast<char>(0xF0), 0x7E, 0x7F, 0x09, 0x01, static_cast<char>(0xF7)};
};

// Resident memory of this process in bytes (/proc/self/statm).
std::size_t ResidentBytes();

} // namespace Standalone
