// In-process host for the fuzz targets: builds one plug-in instance through the same entry as
// VSTPluginMain (CreatePluginRecord) with a fake host callback, drives it only through the
// record, and stops the process with a message when an output rule is broken.
#pragma once

#include "hostkit/EventList.h"
#include "hostkit/Host.h"

#include "ByteReader.h"

#include <cstdint>
#include <vector>

namespace Fuzz
{

// Prints the broken rule and aborts, which libFuzzer reports as a crash.
[[noreturn]] void Fail(const char* format, ...);

// The host library's event list, filled from the fuzz input: MIDI, sys-ex, null entries and
// events of unknown type.
class EventList : public HostKit::EventList
{
public:
    EventList() : HostKit::EventList(8192) {}

    // One event from the stream: u8 kind, i32 deltaFrames, u8 status, u8 data1, u8 data2.
    void AddFrom(ByteReader& reader);
    static void WriteMidi(ByteWriter& writer, std::int32_t deltaFrames, std::uint8_t status,
                          std::uint8_t data1, std::uint8_t data2);
};

// The host library's host around one in-process instance (made through the same entry as
// VSTPluginMain), with the fuzz targets' checks of what the plug-in writes.
class FuzzHost : public HostKit::Host
{
public:
    static constexpr int kMaxFrames = 20000;

    // effOpen, 44100 Hz, block size 512, resume.
    FuzzHost();

    void SendEvents(EventList& events);

    // processReplacing over frames samples (at most kMaxFrames; zero and negative counts are
    // passed on) of a noise input within +-1. Fails when an output is not finite, when a sample
    // beyond the block is written or when the input is changed.
    void Process(int frames);

    // A copy of the plug-in's current program (isPreset) or bank chunk; fails when there is none.
    std::vector<std::uint8_t> GetChunk(bool isPreset);

    // Parameter texts stay inside their 8-byte fields and program names inside 24 bytes.
    void CheckTexts();

private:
    std::vector<float> noiseL, noiseR; // the input every block starts from
    std::vector<float> inL, inR, outL, outR;
};

} // namespace Fuzz
