// One plug-in instance driven as a host drives it, and the host's side of the conversation: the
// callback answers version, time information, sample rate and block size, wants MIDI, records
// automation and (unless turned off) every request. Time information either advances with the
// processed audio or is set by the caller before each block.
//
// Threads: Process [audio]; everything else the thread that owns the host. With logRequests off
// and no onRequest, neither the callback nor Process touches the heap.
#pragma once

#include "EventList.h"
#include "Module.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace HostKit
{

struct Request
{
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
};

class Host
{
public:
    // Plug-in texts are read from buffers of this size, up to the first zero byte.
    static constexpr std::size_t kTextBytes = 256;

    // eventCapacity: events one Process can send; more are dropped.
    explicit Host(EntryPoint entry, std::size_t eventCapacity = 512);
    explicit Host(const Module& module) : Host(module.Entry()) {}
    // Suspends when running, then effClose.
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Calls the entry point: the record, or null when there is none or it lacks the magic.
    AEffect* Create();
    AEffect* Create(EntryPoint entry)
    {
        entryPoint = entry;
        return Create();
    }
    // Create, or Error naming what the entry point gave.
    AEffect* CreateOrThrow(const std::string& name);
    AEffect* Effect() const { return instance; }

    // effOpen, sample rate, block size; Start also resumes.
    void Open(double sampleRate, int blockSize);
    void Start(double sampleRate = 44100.0, int blockSize = 512);
    void Resume();  // effMainsChanged (1)
    void Suspend(); // effMainsChanged (0)
    void Close();   // effClose; the record is gone afterwards

    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    std::string Text(VstInt32 opcode, VstInt32 index = 0);

    std::string EffectName() { return Text(effGetEffectName); }
    std::string VendorName() { return Text(effGetVendorString); }
    float GetParameter(int index);
    void SetParameter(int index, float value);
    std::string ParameterName(int index) { return Text(effGetParamName, index); }
    std::string ParameterDisplay(int index) { return Text(effGetParamDisplay, index); }
    std::string ParameterLabel(int index) { return Text(effGetParamLabel, index); }
    int GetProgram();
    void SetProgram(int program);
    std::string ProgramName() { return Text(effGetProgramName); }
    void SetProgramName(const std::string& name);
    // Without switching programs when the plug-in answers effGetProgramNameIndexed.
    std::string ProgramNameAt(int program);
    // A copy of the plug-in's chunk; empty when it gives none.
    std::vector<std::uint8_t> GetChunk(bool program);
    // False when the plug-in refuses the chunk.
    bool SetChunk(std::span<const std::uint8_t> data, bool program);

    // A playing 4/4 transport at samplePosition: tempo in BPM, startPpq the song position of
    // sample 0 in quarter notes.
    void SetTimeAt(std::int64_t samplePosition, double tempo, double startPpq);

    // Queued for the next Process (deltaFrames are offsets into that block).
    EventList& Events() { return queued; }
    void AddMidi(int offset, std::uint8_t status, std::uint8_t data1, std::uint8_t data2)
    {
        queued.AddMidi(offset, status, data1, data2);
    }
    // [audio] effProcessEvents with the queued events, if any; Process does it first.
    void SendEvents();
    // [audio] Sends the queued events (if any), processes one block (processReplacing, else the
    // accumulating process on cleared outputs) and, with advanceTime, moves the time on.
    void Process(float** inputs, float** outputs, int frames);
    void Process(float* inL, float* inR, float* outL, float* outR, int frames);
    // Whole signals in blocks of blockSize frames.
    void Render(const std::vector<float>& inL, const std::vector<float>& inR,
                std::vector<float>& outL, std::vector<float>& outR, int blockSize);

    int CountRequests(VstInt32 opcode) const;

    // What the host answers and records; set before the calls they concern.
    VstTimeInfo time{};
    VstIntPtr versionAnswer = 2400;
    bool provideTime = true;
    bool advanceTime = true; // samplePos and ppqPos follow the processed frames
    bool logRequests = true;
    std::function<void(VstInt32 opcode)> onRequest; // inside every request, before its answer
    std::vector<Request> requests;
    std::vector<std::pair<VstInt32, float>> automation; // index, value of audioMasterAutomate

private:
    static VstIntPtr VSTCALLBACK Callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt);
    VstIntPtr Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, float opt);
    AEffect* CallEntry(); // the entry point's record, requests answered meanwhile
    // Takes a valid record as this host's instance; null for an invalid one.
    AEffect* Adopt(AEffect* record);

    EntryPoint entryPoint;
    AEffect* instance = nullptr;
    bool running = false;
    int hostBlockSize = 512;
    EventList queued;
};

} // namespace HostKit
