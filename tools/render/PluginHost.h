// Loads a VST 2.4 module the way a host does (dlopen, then VSTPluginMain or main), owns the
// library handle and the plug-in record, and makes every dispatcher call of corvane-render.
// The host callback answers like a playing sequencer: version 2400, time info that follows
// the rendered position, MIDI wanted, sample rate and block size; everything else 0.
#pragma once

#include "host/vst24.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace Kestrune::Render
{

class PluginHost
{
public:
    // Throws RenderError when the module is missing, cannot be loaded, exports no entry point,
    // or its entry point gives no valid record.
    explicit PluginHost(const std::string& path);
    // Suspends when running, then effClose and dlclose.
    ~PluginHost();

    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    const std::string& Path() const { return path; }
    std::int32_t UniqueId() const { return effect->uniqueID; }
    std::int32_t Version() const { return effect->version; }
    int NumParams() const { return effect->numParams; }
    int NumPrograms() const { return effect->numPrograms; }
    int NumInputs() const { return effect->numInputs; }
    int NumOutputs() const { return effect->numOutputs; }
    bool ProgramsAreChunks() const { return (effect->flags & effFlagsProgramChunks) != 0; }

    // effOpen, effSetSampleRate, effSetBlockSize.
    void Open(double sampleRate, int blockSize);
    void Resume();  // effMainsChanged (1)
    void Suspend(); // effMainsChanged (0)

    std::string EffectName();
    std::string VendorName();

    float GetParameter(int index);
    void SetParameter(int index, float value);
    std::string ParameterName(int index);
    std::string ParameterDisplay(int index);
    std::string ParameterLabel(int index);

    int GetProgram();
    void SetProgram(int program);
    std::string ProgramName();
    void SetProgramName(const std::string& name);
    // Without switching programs when the plug-in answers effGetProgramNameIndexed.
    std::string ProgramNameAt(int program);

    // Copy of the plug-in's chunk; throws when it gives none.
    std::vector<std::uint8_t> GetChunk(bool program);
    // False when the plug-in refuses the chunk.
    bool SetChunk(std::span<const std::uint8_t> data, bool program);

    // Transport the time info reports: tempo in BPM, song position of sample 0 in quarters.
    void SetTransport(double tempo, double startPpq);
    // [audio] Events must lie inside the next block; their deltaFrames are block offsets.
    void SendEvents(std::span<VstMidiEvent> events);
    // [audio] Processes one block that starts at sample position.
    void Process(float** inputs, float** outputs, int frames, std::int64_t position);

    int AutomationCount() const { return automationCount; }

private:
    static VstIntPtr VSTCALLBACK HostCallback(AEffect* record, VstInt32 opcode, VstInt32 index,
                                              VstIntPtr value, void* ptr, float opt);
    VstIntPtr Answer(VstInt32 opcode);
    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    std::string Text(VstInt32 opcode, VstInt32 index);
    void UpdateTimeInfo();

    std::string path;
    void* library = nullptr;
    AEffect* effect = nullptr;
    bool resumed = false;
    double sampleRate = 44100.0;
    int blockSize = 512;
    double tempo = 120.0;
    double startPpq = 0.0;
    std::int64_t position = 0;
    VstTimeInfo timeInfo{};
    int automationCount = 0;
    std::vector<std::uint8_t> eventStorage;
};

} // namespace Kestrune::Render
