// A fixed render that every build of the plug-in must produce bit for bit: a deterministic
// stereo input, settings, parameter changes, MIDI events and transport, processed in blocks of
// kScenarioBlockSize. The Windows test host and a Linux test run it through the built module
// (loaded the platform's way) and write the output as raw little-endian floats, so the two
// files can be compared byte for byte. Portable: only the VST declarations and the standard
// library.
#pragma once

#include "host/vst24.h"

#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport
{

using EntryPoint = AEffect*(VSTCALLBACK*)(audioMasterCallback);

constexpr float kScenarioSampleRate = 44100.0f;
constexpr int kScenarioBlockSize = 512;
constexpr int kScenarioFrames = 132300; // 3 s; the last block is a partial one of 204 frames
constexpr VstInt32 kScenarioUniqueId = 0x43506872; // 'CPhr'

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

// A minimal host around one plug-in instance: answers audioMasterVersion with 2400 and
// audioMasterGetTime with a transport that follows the processed samples; counts automation.
class ScenarioHost
{
public:
    // Calls the entry point; effect stays null when it refuses.
    ScenarioHost(EntryPoint entry, VstIntPtr versionAnswer = 2400);
    ~ScenarioHost(); // effClose
    ScenarioHost(const ScenarioHost&) = delete;
    ScenarioHost& operator=(const ScenarioHost&) = delete;

    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    std::string Text(VstInt32 opcode, VstInt32 index = 0);
    // effOpen, sample rate, block size; processing starts with Resume.
    void Open();
    void Resume(); // effMainsChanged 1
    // Copies the chunk the plug-in hands out (program or bank).
    std::vector<std::uint8_t> Chunk(bool program);
    VstIntPtr LoadChunk(std::vector<std::uint8_t> chunk, bool program);

    AEffect* effect = nullptr;
    VstTimeInfo time{};
    int automations = 0;
    VstInt32 lastAutomatedIndex = -1; // of the latest audioMasterAutomate
    float lastAutomatedValue = 0.0f;

private:
    static VstIntPtr VSTCALLBACK Callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt);
    VstIntPtr versionAnswer;
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
