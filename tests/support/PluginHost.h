// A test host: loads the built plug-in module with dlopen and VSTPluginMain and drives it the
// way a host does, recording every request the plug-in makes.
#pragma once

#include "host/vst24.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace TestSupport
{

struct HostRequest
{
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
};

class PluginHost
{
public:
    // Loads the module; entry is "VSTPluginMain" or "main".
    explicit PluginHost(const char* modulePath = nullptr, const char* entry = "VSTPluginMain");
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    bool Loaded() const { return module != nullptr; }
    // The dlopen handle, for symbols a test module exports besides the entry points.
    void* ModuleHandle() const { return module; }
    // Calls the entry point; answerVersion is what audioMasterVersion answers.
    AEffect* Create(VstIntPtr answerVersion = 2400);
    // effOpen, sample rate, block size, resume.
    void Start(float sampleRate = 44100.0f, int blockSize = 512);
    void Close(); // effClose

    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    std::string GetString(VstInt32 opcode, VstInt32 index, std::size_t size = 256);

    // Queues a MIDI message for the next Process at the given offset.
    void AddMidi(int offset, std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    // Sends queued events (if any), then processReplacing over the given channels.
    void Process(float* inL, float* inR, float* outL, float* outR, int frames);
    // Convenience: processes whole signals in blocks of blockSize, advancing time info.
    void Render(const std::vector<float>& inL, const std::vector<float>& inR,
                std::vector<float>& outL, std::vector<float>& outR, int blockSize);

    AEffect* effect = nullptr;
    VstTimeInfo time{};
    bool provideTime = true;
    bool advanceTime = true; // samplePos and ppqPos follow the processed samples
    std::vector<HostRequest> requests;
    std::vector<std::pair<VstInt32, float>> automation; // index, value of audioMasterAutomate
    VstIntPtr versionAnswer = 2400;
    // Runs inside every request, before it is answered (a host doing work of its own there).
    std::function<void(VstInt32 opcode)> onRequest;

    int CountRequests(VstInt32 opcode) const;

private:
    static VstIntPtr VSTCALLBACK Callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt);
    VstIntPtr Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    void* module = nullptr;
    AEffect* (*entryPoint)(audioMasterCallback) = nullptr;
    std::vector<VstMidiEvent> pending;
    std::vector<char> eventStorage;
};

// The host whose callback the entry point is running under (the record is not known yet
// during construction, so requests are routed through this).
PluginHost*& CurrentHost();

const char* ModulePath();

} // namespace TestSupport
