#include "support/PluginHost.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <dlfcn.h>

namespace TestSupport
{

PluginHost*& CurrentHost()
{
    static thread_local PluginHost* host = nullptr;
    return host;
}

const char* ModulePath()
{
#ifdef CORVANE_MODULE_PATH
    return CORVANE_MODULE_PATH;
#else
    return "CorvanePhaser.so";
#endif
}

PluginHost::PluginHost(const char* modulePath, const char* entry)
{
    module = dlopen(modulePath != nullptr ? modulePath : ModulePath(),
                    RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (module != nullptr)
        entryPoint = reinterpret_cast<AEffect* (*)(audioMasterCallback)>(dlsym(module, entry));
    time.sampleRate = 44100.0;
    time.tempo = 120.0;
    time.timeSigNumerator = 4;
    time.timeSigDenominator = 4;
    time.flags = kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid;
}

PluginHost::~PluginHost()
{
    Close();
    if (module != nullptr)
        dlclose(module);
}

AEffect* PluginHost::Create(VstIntPtr answerVersion)
{
    if (entryPoint == nullptr)
        return nullptr;
    versionAnswer = answerVersion;
    CurrentHost() = this;
    effect = entryPoint(&PluginHost::Callback);
    CurrentHost() = nullptr;
    if (effect != nullptr)
        effect->user = this;
    return effect;
}

void PluginHost::Start(float sampleRate, int blockSize)
{
    time.sampleRate = sampleRate;
    Dispatch(effOpen);
    Dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
    Dispatch(effSetBlockSize, 0, blockSize);
    Dispatch(effMainsChanged, 0, 1);
}

void PluginHost::Close()
{
    if (effect == nullptr)
        return;
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    effect = nullptr;
}

VstIntPtr PluginHost::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string PluginHost::GetString(VstInt32 opcode, VstInt32 index, std::size_t size)
{
    std::vector<char> text(size, '\0');
    Dispatch(opcode, index, 0, text.data());
    return std::string(text.data());
}

void PluginHost::AddMidi(int offset, std::uint8_t status, std::uint8_t data1, std::uint8_t data2)
{
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = offset;
    event.midiData[0] = status;
    event.midiData[1] = data1;
    event.midiData[2] = data2;
    pending.push_back(event);
}

void PluginHost::Process(float* inL, float* inR, float* outL, float* outR, int frames)
{
    if (!pending.empty())
    {
        const std::size_t count = pending.size();
        eventStorage.assign(sizeof(VstEvents) + count * sizeof(VstEvent*), 0);
        auto* list = reinterpret_cast<VstEvents*>(eventStorage.data());
        list->numEvents = static_cast<VstInt32>(count);
        // The list declares two entries but holds count: write them through a pointer to the
        // first, not the declared array.
        auto** entries =
            reinterpret_cast<VstEvent**>(eventStorage.data() + offsetof(VstEvents, events));
        for (std::size_t i = 0; i < count; ++i)
            entries[i] = reinterpret_cast<VstEvent*>(&pending[i]);
        Dispatch(effProcessEvents, 0, 0, list);
    }
    float* inputs[2] = {inL, inR};
    float* outputs[2] = {outL, outR};
    effect->processReplacing(effect, inputs, outputs, frames);
    pending.clear();
    if (advanceTime)
    {
        time.samplePos += frames;
        time.ppqPos += frames / time.sampleRate * time.tempo / 60.0;
    }
}

void PluginHost::Render(const std::vector<float>& inL, const std::vector<float>& inR,
                        std::vector<float>& outL, std::vector<float>& outR, int blockSize)
{
    const std::size_t total = std::min(inL.size(), inR.size());
    outL.assign(total, 0.0f);
    outR.assign(total, 0.0f);
    std::vector<float> blockL, blockR;
    for (std::size_t start = 0; start < total; start += static_cast<std::size_t>(blockSize))
    {
        const int n = static_cast<int>(std::min<std::size_t>(blockSize, total - start));
        blockL.assign(inL.begin() + static_cast<long>(start),
                      inL.begin() + static_cast<long>(start) + n);
        blockR.assign(inR.begin() + static_cast<long>(start),
                      inR.begin() + static_cast<long>(start) + n);
        Process(blockL.data(), blockR.data(), outL.data() + start, outR.data() + start, n);
    }
}

int PluginHost::CountRequests(VstInt32 opcode) const
{
    return static_cast<int>(std::count_if(requests.begin(), requests.end(),
                                          [opcode](const HostRequest& r)
                                          { return r.opcode == opcode; }));
}

VstIntPtr VSTCALLBACK PluginHost::Callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                           VstIntPtr value, void* ptr, float opt)
{
    PluginHost* host = effect != nullptr && effect->user != nullptr
                           ? static_cast<PluginHost*>(effect->user)
                           : CurrentHost();
    if (host == nullptr)
        return opcode == audioMasterVersion ? 2400 : 0;
    return host->Answer(opcode, index, value, ptr, opt);
}

VstIntPtr PluginHost::Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void*, float opt)
{
    requests.push_back({opcode, index, value, opt});
    if (onRequest)
        onRequest(opcode);
    switch (opcode)
    {
    case audioMasterVersion:
        return versionAnswer;
    case audioMasterAutomate:
        automation.emplace_back(index, opt);
        return 0;
    case audioMasterGetTime:
        return provideTime ? reinterpret_cast<VstIntPtr>(&time) : 0;
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(time.sampleRate);
    default:
        return 0;
    }
}

} // namespace TestSupport
