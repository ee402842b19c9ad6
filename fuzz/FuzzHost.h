// In-process host for the fuzz targets: builds one plug-in instance through the same entry as
// VSTPluginMain (CreatePluginRecord) with a fake host callback, drives it only through the
// record, and stops the process with a message when an output rule is broken.
#pragma once

#include "host/vst24.h"

#include "ByteReader.h"

#include <cstdint>
#include <vector>

namespace Fuzz
{

// Prints the broken rule and aborts, which libFuzzer reports as a crash.
[[noreturn]] void Fail(const char* format, ...);

// A host-built event list: MIDI events, sys-ex events with their own dump, null entries and
// events of unknown type, in the order added. Pointers stay valid until the next Clear.
class EventList
{
public:
    void Clear();
    void AddMidi(std::int32_t deltaFrames, std::uint8_t status, std::uint8_t data1,
                 std::uint8_t data2);
    void AddSysex(std::int32_t deltaFrames, std::int32_t dumpBytes);
    void AddNull();
    void AddOther(std::int32_t type, std::int32_t byteSize, std::int32_t deltaFrames);
    std::size_t Size() const { return kinds.size(); }
    // The VstEvents block as a host hands it over (numEvents entries).
    VstEvents* Build();

    // One event from the stream: u8 kind, i32 deltaFrames, u8 status, u8 data1, u8 data2.
    void AddFrom(ByteReader& reader);
    static void WriteMidi(ByteWriter& writer, std::int32_t deltaFrames, std::uint8_t status,
                          std::uint8_t data1, std::uint8_t data2);

private:
    enum class Kind : std::uint8_t
    {
        Midi,
        Sysex,
        Null,
        Other
    };
    struct SysexEvent // the published layout of a sys-ex event
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
    std::vector<Kind> kinds;
    std::vector<VstMidiEvent> midi;
    std::vector<SysexEvent> sysex;
    std::vector<std::vector<char>> dumps;
    std::vector<VstEvent> other;
    std::vector<std::uint8_t> block;
};

class FuzzHost
{
public:
    static constexpr int kMaxFrames = 20000;

    // effOpen, 44100 Hz, block size 512, resume.
    FuzzHost();
    // effClose.
    ~FuzzHost();
    FuzzHost(const FuzzHost&) = delete;
    FuzzHost& operator=(const FuzzHost&) = delete;

    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    void SetParameter(VstInt32 index, float value);
    float GetParameter(VstInt32 index);
    void SendEvents(EventList& events);

    // processReplacing over frames samples (at most kMaxFrames; zero and negative counts are
    // passed on) of a noise input within +-1. Fails when an output is not finite, when a sample
    // beyond the block is written or when the input is changed.
    void Process(int frames);

    // A copy of the plug-in's current program (isPreset) or bank chunk.
    std::vector<std::uint8_t> GetChunk(bool isPreset);

    // Parameter texts stay inside their 8-byte fields and program names inside 24 bytes.
    void CheckTexts();

    AEffect* Effect() { return effect; }

    // What audioMasterGetTime answers; null when provideTime is false.
    VstTimeInfo time{};
    bool provideTime = true;

private:
    static VstIntPtr VSTCALLBACK Callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt);

    AEffect* effect = nullptr;
    std::vector<float> noiseL, noiseR; // the input every block starts from
    std::vector<float> inL, inR, outL, outR;
};

} // namespace Fuzz
