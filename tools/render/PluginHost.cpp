#include "PluginHost.h"

#include "RenderError.h"

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace Kestrune::Render
{

namespace
{

using EntryPoint = AEffect* (*)(audioMasterCallback);

// The host being constructed: requests arrive before the record can carry the host's address.
thread_local PluginHost* constructing = nullptr;

// Plug-in texts: hosts pass generous buffers and read up to the first zero byte.
constexpr std::size_t kTextBytes = 256;

std::string TextOf(const char* buffer)
{
    return std::string(buffer, strnlen(buffer, kTextBytes - 1));
}

} // namespace

PluginHost::PluginHost(const std::string& modulePath) : path(modulePath)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        throw RenderError("plug-in module not found: " + path);
    // A name without a slash would make dlopen search the library path instead. The module
    // stays mapped after dlclose, as in most hosts: plug-ins and their runtime may keep state.
    const std::string openPath = path.find('/') == std::string::npos ? "./" + path : path;
    library = dlopen(openPath.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (library == nullptr)
    {
        const char* reason = dlerror();
        throw RenderError("cannot load plug-in module " + path + ": " +
                          (reason != nullptr ? reason : "unknown reason"));
    }
    auto entry = reinterpret_cast<EntryPoint>(dlsym(library, "VSTPluginMain"));
    if (entry == nullptr)
        entry = reinterpret_cast<EntryPoint>(dlsym(library, "main"));
    if (entry == nullptr)
    {
        dlclose(library);
        throw RenderError(path + " is not a VST 2.4 plug-in: it exports neither VSTPluginMain "
                                 "nor main");
    }
    constructing = this;
    effect = entry(HostCallback);
    constructing = nullptr;
    if (effect == nullptr || effect->magic != kEffectMagic || effect->dispatcher == nullptr)
    {
        const bool none = effect == nullptr;
        effect = nullptr;
        dlclose(library);
        throw RenderError(none ? path + " gave no plug-in (its entry point answered null)"
                               : path + " gave a record without the VST 2.4 magic");
    }
    // resvd1 is the host's field of the record.
    effect->resvd1 = reinterpret_cast<VstIntPtr>(this);
}

PluginHost::~PluginHost()
{
    if (effect != nullptr)
    {
        if (resumed)
            Suspend();
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
    if (library != nullptr)
        dlclose(library);
}

VstIntPtr VSTCALLBACK PluginHost::HostCallback(AEffect* record, VstInt32 opcode, VstInt32,
                                               VstIntPtr value, void*, float)
{
    PluginHost* host = record != nullptr && record->resvd1 != 0
                           ? reinterpret_cast<PluginHost*>(record->resvd1)
                           : constructing;
    if (opcode == audioMasterVersion)
        return kVstVersion;
    if (host == nullptr)
        return 0;
    if (opcode == audioMasterAutomate)
        ++host->automationCount;
    if (opcode == audioMasterGetTime)
    {
        // The filter in value only says what the plug-in needs; all fields are filled.
        (void)value;
        host->UpdateTimeInfo();
        return reinterpret_cast<VstIntPtr>(&host->timeInfo);
    }
    return host->Answer(opcode);
}

VstIntPtr PluginHost::Answer(VstInt32 opcode)
{
    switch (opcode)
    {
    case audioMasterWantMidi:
        return 1;
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(sampleRate);
    case audioMasterGetBlockSize:
        return blockSize;
    default:
        return 0;
    }
}

void PluginHost::UpdateTimeInfo()
{
    timeInfo = {};
    timeInfo.samplePos = static_cast<double>(position);
    timeInfo.sampleRate = sampleRate;
    timeInfo.tempo = tempo;
    timeInfo.ppqPos = startPpq + static_cast<double>(position) / sampleRate * tempo / 60.0;
    timeInfo.timeSigNumerator = 4;
    timeInfo.timeSigDenominator = 4;
    timeInfo.flags = kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid | kVstTimeSigValid;
}

VstIntPtr PluginHost::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void PluginHost::Open(double rate, int size)
{
    sampleRate = rate;
    blockSize = size;
    Dispatch(effOpen);
    Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    Dispatch(effSetBlockSize, 0, size);
}

void PluginHost::Resume()
{
    Dispatch(effMainsChanged, 0, 1);
    resumed = true;
}

void PluginHost::Suspend()
{
    Dispatch(effMainsChanged, 0, 0);
    resumed = false;
}

std::string PluginHost::Text(VstInt32 opcode, VstInt32 index)
{
    char buffer[kTextBytes] = {};
    Dispatch(opcode, index, 0, buffer);
    return TextOf(buffer);
}

std::string PluginHost::EffectName()
{
    return Text(effGetEffectName, 0);
}

std::string PluginHost::VendorName()
{
    return Text(effGetVendorString, 0);
}

float PluginHost::GetParameter(int index)
{
    return effect->getParameter(effect, index);
}

void PluginHost::SetParameter(int index, float value)
{
    effect->setParameter(effect, index, value);
}

std::string PluginHost::ParameterName(int index)
{
    return Text(effGetParamName, index);
}

std::string PluginHost::ParameterDisplay(int index)
{
    return Text(effGetParamDisplay, index);
}

std::string PluginHost::ParameterLabel(int index)
{
    return Text(effGetParamLabel, index);
}

int PluginHost::GetProgram()
{
    return static_cast<int>(Dispatch(effGetProgram));
}

void PluginHost::SetProgram(int program)
{
    Dispatch(effSetProgram, 0, program);
}

std::string PluginHost::ProgramName()
{
    return Text(effGetProgramName, 0);
}

void PluginHost::SetProgramName(const std::string& name)
{
    char buffer[kVstMaxProgNameLen] = {};
    std::memcpy(buffer, name.data(), std::min(name.size(), sizeof buffer - 1));
    Dispatch(effSetProgramName, 0, 0, buffer);
}

std::string PluginHost::ProgramNameAt(int program)
{
    char buffer[kTextBytes] = {};
    if (Dispatch(effGetProgramNameIndexed, program, -1, buffer) != 0)
        return TextOf(buffer);
    const int current = GetProgram();
    SetProgram(program);
    std::string name = ProgramName();
    SetProgram(current);
    return name;
}

std::vector<std::uint8_t> PluginHost::GetChunk(bool program)
{
    void* data = nullptr;
    const VstIntPtr size = Dispatch(effGetChunk, program ? 1 : 0, 0, &data);
    if (size <= 0 || data == nullptr)
        throw RenderError(std::string("the plug-in gave no ") + (program ? "program" : "bank") +
                          " chunk");
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return {bytes, bytes + size};
}

bool PluginHost::SetChunk(std::span<const std::uint8_t> data, bool program)
{
    // The plug-in may keep reading the bytes until the call returns, so hand it a copy it
    // may not modify ours through.
    std::vector<std::uint8_t> copy(data.begin(), data.end());
    return Dispatch(effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(copy.size()),
                    copy.data()) != 0;
}

void PluginHost::SetTransport(double bpm, double ppq)
{
    tempo = bpm;
    startPpq = ppq;
}

void PluginHost::SendEvents(std::span<VstMidiEvent> events)
{
    if (events.empty())
        return;
    // VstEvents declares two pointers; the list is as long as numEvents.
    const std::size_t bytes = offsetof(VstEvents, events) + events.size() * sizeof(VstEvent*);
    eventStorage.assign(std::max(bytes, sizeof(VstEvents)), 0);
    auto* list = reinterpret_cast<VstEvents*>(eventStorage.data());
    list->numEvents = static_cast<VstInt32>(events.size());
    auto** slots = reinterpret_cast<VstEvent**>(eventStorage.data() + offsetof(VstEvents, events));
    for (std::size_t i = 0; i < events.size(); ++i)
        slots[i] = reinterpret_cast<VstEvent*>(&events[i]);
    Dispatch(effProcessEvents, 0, 0, list);
}

void PluginHost::Process(float** inputs, float** outputs, int frames, std::int64_t at)
{
    position = at;
    if ((effect->flags & effFlagsCanReplacing) != 0 && effect->processReplacing != nullptr)
    {
        effect->processReplacing(effect, inputs, outputs, frames);
        return;
    }
    // Accumulating processing adds to the outputs.
    for (int channel = 0; channel < NumOutputs(); ++channel)
        std::fill_n(outputs[channel], frames, 0.0f);
    effect->process(effect, inputs, outputs, frames);
}

} // namespace Kestrune::Render
