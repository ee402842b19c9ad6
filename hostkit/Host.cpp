#include "Host.h"

#include "Error.h"

#include <algorithm>
#include <cstring>

namespace HostKit
{

namespace
{

// The host whose entry-point call is running: requests arrive before the record can carry the
// host's address.
thread_local Host* creating = nullptr;

std::string TextOf(const char* buffer)
{
    return std::string(buffer, strnlen(buffer, Host::kTextBytes - 1));
}

} // namespace

Host::Host(EntryPoint entry, std::size_t eventCapacity) : entryPoint(entry), queued(eventCapacity)
{
    time.sampleRate = 44100.0;
    time.tempo = 120.0;
    time.timeSigNumerator = 4;
    time.timeSigDenominator = 4;
    time.flags = kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid;
}

Host::~Host()
{
    Close();
}

AEffect* Host::CallEntry()
{
    creating = this;
    AEffect* record = entryPoint(&Host::Callback);
    creating = nullptr;
    return record;
}

AEffect* Host::Adopt(AEffect* record)
{
    if (record == nullptr || record->magic != kEffectMagic || record->dispatcher == nullptr)
        return nullptr;
    instance = record;
    // resvd1 is the host's field of the record.
    instance->resvd1 = reinterpret_cast<VstIntPtr>(this);
    return instance;
}

AEffect* Host::Create()
{
    return entryPoint != nullptr ? Adopt(CallEntry()) : nullptr;
}

AEffect* Host::CreateOrThrow(const std::string& name)
{
    if (entryPoint == nullptr)
        throw Error(name + " has no entry point");
    AEffect* record = CallEntry();
    if (record == nullptr)
        throw Error(name + " gave no plug-in (its entry point answered null)");
    if (Adopt(record) == nullptr)
        throw Error(name + " gave a record without the VST 2.4 magic");
    return instance;
}

void Host::Open(double sampleRate, int size)
{
    time.sampleRate = sampleRate;
    hostBlockSize = size;
    Dispatch(effOpen);
    Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    Dispatch(effSetBlockSize, 0, size);
}

void Host::Start(double sampleRate, int size)
{
    Open(sampleRate, size);
    Resume();
}

void Host::Resume()
{
    Dispatch(effMainsChanged, 0, 1);
    running = true;
}

void Host::Suspend()
{
    Dispatch(effMainsChanged, 0, 0);
    running = false;
}

void Host::Close()
{
    if (instance == nullptr)
        return;
    if (running)
        Suspend();
    instance->dispatcher(instance, effClose, 0, 0, nullptr, 0.0f);
    instance = nullptr;
}

VstIntPtr Host::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return instance->dispatcher(instance, opcode, index, value, ptr, opt);
}

std::string Host::Text(VstInt32 opcode, VstInt32 index)
{
    char buffer[kTextBytes] = {};
    Dispatch(opcode, index, 0, buffer);
    return TextOf(buffer);
}

float Host::GetParameter(int index)
{
    return instance->getParameter(instance, index);
}

void Host::SetParameter(int index, float value)
{
    instance->setParameter(instance, index, value);
}

int Host::GetProgram()
{
    return static_cast<int>(Dispatch(effGetProgram));
}

void Host::SetProgram(int program)
{
    Dispatch(effSetProgram, 0, program);
}

void Host::SetProgramName(const std::string& name)
{
    char buffer[kVstMaxProgNameLen] = {};
    std::memcpy(buffer, name.data(), std::min(name.size(), sizeof buffer - 1));
    Dispatch(effSetProgramName, 0, 0, buffer);
}

std::string Host::ProgramNameAt(int program)
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

std::vector<std::uint8_t> Host::GetChunk(bool program)
{
    void* data = nullptr;
    const VstIntPtr size = Dispatch(effGetChunk, program ? 1 : 0, 0, &data);
    if (size <= 0 || data == nullptr)
        return {};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return {bytes, bytes + size};
}

bool Host::SetChunk(std::span<const std::uint8_t> data, bool program)
{
    // The plug-in may read the bytes until the call returns: it gets a copy of its own.
    std::vector<std::uint8_t> copy(data.begin(), data.end());
    return Dispatch(effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(copy.size()),
                    copy.data()) != 0;
}

void Host::SetTimeAt(std::int64_t samplePosition, double tempo, double startPpq)
{
    const double sampleRate = time.sampleRate;
    time = {};
    time.samplePos = static_cast<double>(samplePosition);
    time.sampleRate = sampleRate;
    time.tempo = tempo;
    time.ppqPos = startPpq + static_cast<double>(samplePosition) / sampleRate * tempo / 60.0;
    time.timeSigNumerator = 4;
    time.timeSigDenominator = 4;
    time.flags = kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid | kVstTimeSigValid;
}

void Host::SendEvents()
{
    if (queued.Empty())
        return;
    Dispatch(effProcessEvents, 0, 0, queued.Build());
    queued.Clear();
}

void Host::Process(float** inputs, float** outputs, int frames)
{
    SendEvents();
    if ((instance->flags & effFlagsCanReplacing) != 0 && instance->processReplacing != nullptr)
    {
        instance->processReplacing(instance, inputs, outputs, frames);
    }
    else
    {
        // Accumulating processing adds to the outputs.
        for (int channel = 0; channel < instance->numOutputs; ++channel)
            std::fill_n(outputs[channel], frames, 0.0f);
        instance->process(instance, inputs, outputs, frames);
    }
    if (advanceTime)
    {
        time.samplePos += frames;
        time.ppqPos += frames / time.sampleRate * time.tempo / 60.0;
    }
}

void Host::Process(float* inL, float* inR, float* outL, float* outR, int frames)
{
    float* inputs[2] = {inL, inR};
    float* outputs[2] = {outL, outR};
    Process(inputs, outputs, frames);
}

void Host::Render(const std::vector<float>& inL, const std::vector<float>& inR,
                  std::vector<float>& outL, std::vector<float>& outR, int size)
{
    const std::size_t total = std::min(inL.size(), inR.size());
    outL.assign(total, 0.0f);
    outR.assign(total, 0.0f);
    std::vector<float> blockL, blockR;
    for (std::size_t start = 0; start < total; start += static_cast<std::size_t>(size))
    {
        const auto n = static_cast<long>(std::min<std::size_t>(size, total - start));
        const auto from = static_cast<long>(start);
        blockL.assign(inL.begin() + from, inL.begin() + from + n);
        blockR.assign(inR.begin() + from, inR.begin() + from + n);
        Process(blockL.data(), blockR.data(), outL.data() + start, outR.data() + start,
                static_cast<int>(n));
    }
}

int Host::CountRequests(VstInt32 opcode) const
{
    return static_cast<int>(std::count_if(requests.begin(), requests.end(),
                                          [opcode](const Request& r)
                                          { return r.opcode == opcode; }));
}

VstIntPtr VSTCALLBACK Host::Callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                     VstIntPtr value, void*, float opt)
{
    Host* host = effect != nullptr && effect->resvd1 != 0 ? reinterpret_cast<Host*>(effect->resvd1)
                                                          : creating;
    if (host == nullptr)
        return opcode == audioMasterVersion ? 2400 : 0;
    return host->Answer(opcode, index, value, opt);
}

VstIntPtr Host::Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, float opt)
{
    if (logRequests)
        requests.push_back({opcode, index, value, opt});
    if (onRequest)
        onRequest(opcode);
    switch (opcode)
    {
    case audioMasterVersion:
        return versionAnswer;
    case audioMasterAutomate:
        if (logRequests)
            automation.emplace_back(index, opt);
        return 0;
    case audioMasterGetTime:
        // The filter in value only says what the plug-in needs; every field is filled.
        return provideTime ? reinterpret_cast<VstIntPtr>(&time) : 0;
    case audioMasterWantMidi:
        return 1;
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(time.sampleRate);
    case audioMasterGetBlockSize:
        return hostBlockSize;
    default:
        return 0;
    }
}

} // namespace HostKit
