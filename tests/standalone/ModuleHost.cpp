#include "ModuleHost.h"

#include <cstdio>
#include <dlfcn.h>
#include <unistd.h>

namespace Standalone
{

namespace
{
// The host being loaded: requests during the entry point come before the record is known.
ModuleHost* loading = nullptr;
} // namespace

ModuleHost::~ModuleHost()
{
    if (effect != nullptr)
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    if (module != nullptr)
        dlclose(module);
}

bool ModuleHost::Load(const char* modulePath, float sampleRate, int blockSize)
{
    module = dlopen(modulePath, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (module == nullptr)
    {
        std::fprintf(stderr, "cannot load %s: %s\n", modulePath, dlerror());
        return false;
    }
    using Entry = AEffect* (*)(audioMasterCallback);
    auto entry = reinterpret_cast<Entry>(dlsym(module, "VSTPluginMain"));
    if (entry == nullptr)
    {
        std::fprintf(stderr, "%s has no VSTPluginMain\n", modulePath);
        return false;
    }
    time.sampleRate = sampleRate;
    time.tempo = 120.0;
    time.timeSigNumerator = 4;
    time.timeSigDenominator = 4;
    time.flags = kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid;
    loading = this;
    effect = entry(&ModuleHost::Callback);
    loading = nullptr;
    if (effect == nullptr)
    {
        std::fprintf(stderr, "VSTPluginMain answered no record\n");
        return false;
    }
    effect->user = this;
    Dispatch(effOpen);
    Dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
    Dispatch(effSetBlockSize, 0, blockSize);
    Dispatch(effMainsChanged, 0, 1);
    return true;
}

VstIntPtr ModuleHost::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void ModuleHost::SetParameter(VstInt32 index, float value)
{
    effect->setParameter(effect, index, value);
}

float ModuleHost::GetParameter(VstInt32 index)
{
    return effect->getParameter(effect, index);
}

void ModuleHost::AddMidi(std::int32_t deltaFrames, std::uint8_t status, std::uint8_t data1,
                         std::uint8_t data2)
{
    if (eventCount == kMaxEvents)
        return;
    VstMidiEvent& event = events[eventCount].midi;
    event = {};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = deltaFrames;
    event.midiData[0] = status;
    event.midiData[1] = data1;
    event.midiData[2] = data2;
    block.events[eventCount] = reinterpret_cast<VstEvent*>(&event);
    ++eventCount;
}

void ModuleHost::AddSysex(std::int32_t deltaFrames)
{
    if (eventCount == kMaxEvents)
        return;
    SysexEvent& event = events[eventCount].sysex;
    event = {};
    event.type = kVstSysExType;
    event.byteSize = sizeof(SysexEvent);
    event.deltaFrames = deltaFrames;
    event.dumpBytes = 6;
    event.sysexDump = sysexDump;
    block.events[eventCount] = reinterpret_cast<VstEvent*>(&event);
    ++eventCount;
}

void ModuleHost::SendEvents()
{
    if (eventCount == 0)
        return;
    block.numEvents = eventCount;
    Dispatch(effProcessEvents, 0, 0, &block);
    eventCount = 0;
}

void ModuleHost::ProcessReplacing(float** inputs, float** outputs, int frames)
{
    effect->processReplacing(effect, inputs, outputs, frames);
}

VstIntPtr VSTCALLBACK ModuleHost::Callback(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr,
                                           void*, float)
{
    ModuleHost* host = effect != nullptr && effect->user != nullptr
                           ? static_cast<ModuleHost*>(effect->user)
                           : loading;
    switch (opcode)
    {
    case audioMasterVersion:
        return kVstVersion;
    case audioMasterGetTime:
        return host != nullptr ? reinterpret_cast<VstIntPtr>(&host->time) : 0;
    default:
        return 0;
    }
}

std::size_t ResidentBytes()
{
    std::FILE* file = std::fopen("/proc/self/statm", "r");
    if (file == nullptr)
        return 0;
    unsigned long size = 0, resident = 0;
    const int read = std::fscanf(file, "%lu %lu", &size, &resident);
    std::fclose(file);
    return read == 2 ? resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) : 0;
}

} // namespace Standalone
