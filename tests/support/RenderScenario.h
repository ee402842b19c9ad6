// A fixed render that every build of the plug-in must produce bit for bit: a deterministic
// stereo input, settings, parameter changes, MIDI events and transport, processed in blocks of
// kScenarioBlockSize. The Windows test host and a Linux test run it through the built module
// (loaded the platform's way) and write the output as raw little-endian floats, so the two
// files can be compared byte for byte. Portable: only the VST declarations and the standard
// library.
#pragma once

#include "hostkit/Host.h"

#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport
{

using HostKit::EntryPoint;

constexpr float kScenarioSampleRate = 44100.0f;
constexpr int kScenarioBlockSize = 512;
constexpr int kScenarioFrames = 132300; // 3 s; the last block is a partial one of 204 frames
constexpr VstInt32 kScenarioUniqueId = 0x43506872; // 'CPhr'

// A parameter change (normalised value) or a MIDI message at a block of a render.
struct TimedParameter
{
    int block;
    VstInt32 index;
    float value;
};

struct TimedMidi
{
    int block;
    int offset;
    std::uint8_t status;
    std::uint8_t data1;
    std::uint8_t data2;
};

// Counts checks and prints each failure (and each note) on stdout.
class CheckLog
{
public:
    bool Check(bool ok, const std::string& what);
    void Note(const std::string& text);
    int Passed() const { return passed; }
    int Failed() const { return failed; }
    // "N passed, N failed"
    std::string Summary() const;

private:
    int passed = 0;
    int failed = 0;
};

// The host library's host around one plug-in instance, at the scenario's rate and block size,
// with a transport that the render moves on itself.
class ScenarioHost : public HostKit::Host
{
public:
    // Calls the entry point; Effect() stays null when it refuses.
    explicit ScenarioHost(HostKit::EntryPoint entry, VstIntPtr versionAnswer = 2400);

    // effOpen, sample rate, block size; processing starts with Resume.
    void Open() { Host::Open(kScenarioSampleRate, kScenarioBlockSize); }
    VstIntPtr LoadChunk(std::vector<std::uint8_t> chunk, bool program)
    {
        return Dispatch(effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(chunk.size()),
                        chunk.data());
    }
};

// Stereo input from integer arithmetic only, identical on every platform.
void MakeScenarioInput(std::vector<float>& left, std::vector<float>& right);
// The settings applied before processing starts (index, normalised value).
const std::vector<std::pair<VstInt32, float>>& ScenarioSettings();
// Processes the whole input with the scenario's timed parameter changes and MIDI events;
// returns interleaved stereo frames (left, right).
std::vector<float> RenderScenario(ScenarioHost& host);

// Record, identity and chunk checks, then the render; the chunks are restored into fresh
// instances (one through each entry point) that must render the same output bit for bit.
// Returns the render of the instance set up by parameter calls.
std::vector<float> RunScenario(EntryPoint vstPluginMain, EntryPoint main, CheckLog& log);

// Raw little-endian 32-bit floats; false when the file cannot be written whole.
bool WriteRawFloats(const std::string& path, const std::vector<float>& samples);

} // namespace TestSupport
