#include "PluginInstance.h"

#include "hostkit/Error.h"
#include "hostkit/Module.h"
#include "phaser/Product.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <link.h>
#include <random>
#include <string>
#include <unistd.h>

namespace Bench
{

PluginModule& PluginModule::Get()
{
    static PluginModule module;
    return module;
}

PluginModule::PluginModule()
{
#ifdef CORVANE_MODULE_PATH
    path = CORVANE_MODULE_PATH;
#else
    path = "CorvanePhaser.so";
#endif
    // Never closed: hosts keep a module mapped once they have used it.
    try
    {
        static const HostKit::Module module(path);
        entry = module.Entry();
    }
    catch (const HostKit::Error& error)
    {
        std::fprintf(stderr, "%s\n", error.what());
        std::abort();
    }
}

std::size_t PluginModule::MappedBytes() const
{
    char* resolved = realpath(path, nullptr);
    const std::string file = resolved != nullptr ? resolved : path;
    std::free(resolved);
    std::FILE* maps = std::fopen("/proc/self/maps", "r");
    if (maps == nullptr)
        return 0;
    std::size_t total = 0;
    char line[4096];
    while (std::fgets(line, sizeof line, maps) != nullptr)
    {
        unsigned long start = 0, end = 0;
        char name[4096] = {};
        // start-end perms offset dev inode [path]
        if (std::sscanf(line, "%lx-%lx %*s %*s %*s %*s %4095s", &start, &end, name) == 3 &&
            file == name)
            total += end - start;
    }
    std::fclose(maps);
    return total;
}

std::size_t PluginModule::SegmentBytes() const
{
    struct Search
    {
        const void* symbol;
        std::size_t total;
    } search{reinterpret_cast<const void*>(entry), 0};
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data)
        {
            auto* s = static_cast<Search*>(data);
            const auto symbol = reinterpret_cast<ElfW(Addr)>(s->symbol);
            std::size_t total = 0;
            bool holdsEntry = false;
            const auto page = static_cast<ElfW(Addr)>(sysconf(_SC_PAGESIZE));
            for (int i = 0; i < info->dlpi_phnum; ++i)
            {
                const ElfW(Phdr)& segment = info->dlpi_phdr[i];
                if (segment.p_type != PT_LOAD)
                    continue;
                const ElfW(Addr) start = info->dlpi_addr + segment.p_vaddr;
                const ElfW(Addr) end = start + segment.p_memsz;
                holdsEntry = holdsEntry || (symbol >= start && symbol < end);
                total += ((end + page - 1) & ~(page - 1)) - (start & ~(page - 1));
            }
            if (holdsEntry)
                s->total = total;
            return holdsEntry ? 1 : 0;
        },
        &search);
    return search.total;
}

PluginInstance::PluginInstance(int frames, unsigned seed, float amplitude)
    : blockSize(frames), inL(kInputLength), inR(kInputLength),
      outL(static_cast<std::size_t>(frames)), outR(static_cast<std::size_t>(frames))
{
    FillNoise(seed, amplitude);
    time.sampleRate = kSampleRate;
    time.tempo = 120.0;
    time.timeSigNumerator = 4;
    time.timeSigDenominator = 4;
    time.flags = kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid;

    effect = PluginModule::Get().Create(&PluginInstance::Answer);
    if (effect == nullptr)
    {
        std::fprintf(stderr, "VSTPluginMain gave no plug-in\n");
        std::abort();
    }
    effect->user = this;
    Dispatch(effOpen);
    Dispatch(effSetSampleRate, 0, 0, nullptr, kSampleRate);
    Dispatch(effSetBlockSize, 0, frames);
    Dispatch(effMainsChanged, 0, 1);
}

PluginInstance::~PluginInstance()
{
    Dispatch(effMainsChanged, 0, 0);
    Dispatch(effClose);
}

void PluginInstance::SetParameter(int index, float value)
{
    effect->setParameter(effect, index, value);
}

void PluginInstance::Configure(int stages)
{
    using namespace Kestrune::Product;
    // "Frequency" is 20 v^2 Hz; "Stage Mode" 0 selects 4 stages, 1 selects 16.
    SetParameter(kLfoFrequency, std::sqrt(1.0f / 20.0f));
    SetParameter(kFeedback, 0.75f);
    SetParameter(kMix, 0.5f);
    SetParameter(kStageMode, stages == 16 ? 1.0f : 0.0f);
    Restart();
}

void PluginInstance::SendEvents(const Midi* messages, int count)
{
    events.Clear();
    for (int i = 0; i < count; ++i)
        events.AddMidi(messages[i].offset, messages[i].status, messages[i].data1,
                       messages[i].data2);
    Dispatch(effProcessEvents, 0, 0, events.Build());
}

void PluginInstance::Restart()
{
    Dispatch(effMainsChanged, 0, 0);
    Dispatch(effMainsChanged, 0, 1);
}

void PluginInstance::FillInput(float value)
{
    std::fill(inL.begin(), inL.end(), value);
    std::fill(inR.begin(), inR.end(), value);
}

void PluginInstance::FillNoise(unsigned seed, float amplitude)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> noise(-amplitude, amplitude);
    for (std::size_t i = 0; i < inL.size(); ++i)
    {
        inL[i] = noise(rng);
        inR[i] = noise(rng);
    }
}

void PluginInstance::ProcessBlock()
{
    if (position + blockSize > kInputLength)
        position = 0;
    const auto at = static_cast<std::size_t>(position);
    float* inputs[2] = {inL.data() + at, inR.data() + at};
    float* outputs[2] = {outL.data(), outR.data()};
    effect->processReplacing(effect, inputs, outputs, blockSize);
    position += blockSize;
    time.samplePos += blockSize;
    time.ppqPos += blockSize / time.sampleRate * time.tempo / 60.0;
}

VstIntPtr PluginInstance::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

VstIntPtr VSTCALLBACK PluginInstance::Answer(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr,
                                             void*, float)
{
    // During VSTPluginMain the record is not known yet; only the version is asked then.
    auto* instance = effect != nullptr ? static_cast<PluginInstance*>(effect->user) : nullptr;
    switch (opcode)
    {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetTime:
        return instance != nullptr ? reinterpret_cast<VstIntPtr>(&instance->time) : 0;
    default:
        return 0;
    }
}

} // namespace Bench
