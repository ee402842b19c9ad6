// The built plug-in module driven as a host drives it: loaded once with dlopen (and kept
// mapped, as hosts do), instances made by VSTPluginMain, audio through processReplacing with the
// host's time information advancing block by block. Nothing here allocates while processing.
#pragma once

#include "host/vst24.h"
#include "hostkit/EventList.h"

#include <cstddef>
#include <vector>

namespace Bench
{

class PluginModule
{
public:
    // The module of this build, loaded on first use; aborts the benchmark run if it cannot load.
    static PluginModule& Get();

    AEffect* Create(audioMasterCallback host) const { return entry(host); }
    // Bytes of the module's file mappings in this process (code, constants, data).
    std::size_t MappedBytes() const;
    // Bytes of the module's loadable segments in memory, page-rounded: the file mappings plus
    // its zero-initialised statics.
    std::size_t SegmentBytes() const;

private:
    PluginModule();

    const char* path;
    AEffect* (*entry)(audioMasterCallback) = nullptr;
};

class PluginInstance
{
public:
    static constexpr float kSampleRate = 48000.0f;
    static constexpr int kInputLength = 16384; // frames of the looped input

    // Opened at 48 kHz for the given block size and resumed; the input is white noise of
    // +-amplitude from the seed, looped.
    PluginInstance(int blockSize, unsigned seed = 1, float amplitude = 0.5f);
    ~PluginInstance(); // effClose
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    void SetParameter(int index, float value);
    // The benchmarks' setting: "Frequency" 1 Hz, feedback 0.75, mix 0.5, 4 or 16 stages; then the
    // host's reset, so every smoother stands at its target.
    void Configure(int stages);
    // A MIDI message at a frame offset of the next block.
    struct Midi
    {
        int offset;
        unsigned char status, data1, data2;
    };
    static constexpr int kMaxEvents = 64;
    // Hands the host's event list for the next block to processEvents; at most kMaxEvents.
    void SendEvents(const Midi* messages, int count);
    // Suspend and resume: the host's reset, after which every smoother stands at its target.
    void Restart();
    // The next block of the looped input through processReplacing into the instance's output.
    void ProcessBlock();
    // Replaces the looped input with the same value everywhere.
    void FillInput(float value);
    // Replaces the looped input with white noise of +-amplitude.
    void FillNoise(unsigned seed, float amplitude);

    int GetBlockSize() const { return blockSize; }

private:
    static VstIntPtr VSTCALLBACK Answer(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                        VstIntPtr value, void* ptr, float opt);
    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);

    int blockSize;
    AEffect* effect = nullptr;
    VstTimeInfo time{};
    HostKit::EventList events{kMaxEvents};
    std::vector<float> inL, inR, outL, outR;
    int position = 0;
};

} // namespace Bench
