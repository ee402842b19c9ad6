// The whole plug-in through its real interface: the module loaded with dlopen, instances from
// VSTPluginMain, processReplacing in host-sized blocks with time information from the host
// callback. 48 kHz, white noise of +-0.5, "Frequency" 1 Hz, "Feedback Level" 0.75, "Wet/Dry Mix"
// 0.5, "Stage Mode" 4 or 16 stages.
//
// The figures come from alternating short runs, best of each (Bench::CompareWorkloads): under
// other load on the machine the fastest run is the undisturbed one. "ns/frame" is per stereo
// frame, "x realtime" how many times faster than the audio plays, "ratio" the time over the bare
// all-pass chain of the same stage count ("bound ns", Bench::BareChain).
#include "BenchSupport.h"
#include "PluginInstance.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <malloc.h>
#include <memory>
#include <string>
#include <vector>

namespace
{

using Bench::PluginInstance;

std::unique_ptr<PluginInstance> MakePlugin(int blockSize, int stages, unsigned seed = 1)
{
    auto plugin = std::make_unique<PluginInstance>(blockSize, seed);
    plugin->Configure(stages);
    return plugin;
}

void ReportFigures(benchmark::State& state, const Bench::Comparison& c)
{
    state.counters["ns/frame"] = c.subjectNs;
    state.counters["x realtime"] = 1e9 / (static_cast<double>(Bench::kSampleRate) * c.subjectNs);
    state.counters["bound ns"] = c.referenceNs;
    state.counters["ratio"] = c.ratio;
}

std::string Label(int stages, int blockSize, const char* what = "")
{
    return std::to_string(stages) + " stages, block " + std::to_string(blockSize) + what;
}

// One instance, blocks of range(0) frames, range(1) stages.
void PluginProcess(benchmark::State& state)
{
    const int blockSize = static_cast<int>(state.range(0));
    const int stages = static_cast<int>(state.range(1));
    auto plugin = MakePlugin(blockSize, stages);
    for (auto _ : state)
        plugin->ProcessBlock();

    Bench::BareChain chain(stages);
    ReportFigures(
        state, Bench::CompareWorkloads(Bench::Workload{[&] { plugin->ProcessBlock(); }, blockSize},
                                       Bench::Workload{[&] { chain.RunSlice(); }, Bench::kSlice}));
    state.SetLabel(Label(stages, blockSize));
}

// Silence after two seconds of silence that followed +-1 noise, against noise: "vs noise" above
// 1 would mean subnormal slow-down somewhere in the chain.
void PluginSilenceAfterLoud(benchmark::State& state)
{
    const int stages = static_cast<int>(state.range(0));
    const int blockSize = Bench::kSlice;
    auto quiet = MakePlugin(blockSize, stages);
    quiet->FillNoise(3, 1.0f);
    for (int i = 0; i < PluginInstance::kInputLength / blockSize; ++i)
        quiet->ProcessBlock();
    quiet->FillInput(0.0f);
    for (int i = 0; i < 2 * static_cast<int>(PluginInstance::kSampleRate) / blockSize; ++i)
        quiet->ProcessBlock();
    for (auto _ : state)
        quiet->ProcessBlock();

    auto noisy = MakePlugin(blockSize, stages);
    const Bench::Comparison c =
        Bench::CompareWorkloads(Bench::Workload{[&] { quiet->ProcessBlock(); }, blockSize},
                                Bench::Workload{[&] { noisy->ProcessBlock(); }, blockSize});
    state.counters["ns/frame"] = c.subjectNs;
    state.counters["noise ns"] = c.referenceNs;
    state.counters["vs noise"] = c.ratio;
    state.SetLabel(Label(stages, blockSize, ", silence after +-1 noise"));
}

// 64 instances in one process, one block each in turn as a host runs 64 tracks, against one
// instance alone: "vs one" is the cost per instance relative to a lone instance. Each call runs
// the next instance in the rotation, so every instance finds its data where 63 others have been
// since its last block, while the timed runs stay as short as the other comparisons'.
void PluginInstances(benchmark::State& state)
{
    constexpr std::size_t kInstances = 64;
    const int stages = static_cast<int>(state.range(0));
    const int blockSize = Bench::kSlice;
    std::vector<std::unique_ptr<PluginInstance>> many;
    for (std::size_t i = 0; i < kInstances; ++i)
        many.push_back(MakePlugin(blockSize, stages, static_cast<unsigned>(i + 1)));
    std::size_t next = 0;
    auto rotate = [&]
    {
        many[next]->ProcessBlock();
        next = (next + 1) % kInstances;
    };
    for (auto _ : state)
        rotate();

    auto lone = MakePlugin(blockSize, stages);
    const Bench::Comparison c =
        Bench::CompareWorkloads(Bench::Workload{rotate, blockSize},
                                Bench::Workload{[&] { lone->ProcessBlock(); }, blockSize});
    state.counters["ns/frame"] = c.subjectNs;
    state.counters["lone ns"] = c.referenceNs;
    state.counters["vs one"] = c.ratio;
    state.SetLabel(Label(stages, blockSize, ", per instance of 64"));
}

// Heap bytes in use, small blocks and mapped large ones.
std::size_t HeapBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

VstIntPtr VSTCALLBACK BareHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Memory of one instance: the heap it takes (created, opened, resumed and run once, so anything
// made on first use counts), and the module's mappings, shared by all instances of a process.
void PluginMemory(benchmark::State& state)
{
    constexpr int kInstances = 16;
    constexpr int kBlock = 512;
    const Bench::PluginModule& module = Bench::PluginModule::Get();
    std::vector<float> in(kBlock, 0.25f), outL(kBlock), outR(kBlock);
    float* inputs[2] = {in.data(), in.data()};
    float* outputs[2] = {outL.data(), outR.data()};
    auto open = [&]
    {
        AEffect* effect = module.Create(&BareHost);
        effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
        effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, Bench::kSampleRate);
        effect->dispatcher(effect, effSetBlockSize, 0, kBlock, nullptr, 0.0f);
        effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
        effect->processReplacing(effect, inputs, outputs, kBlock);
        return effect;
    };
    std::vector<AEffect*> effects;
    effects.reserve(kInstances + 1);
    // The first instance takes whatever the module makes once per process.
    effects.push_back(open());

    const std::size_t before = HeapBytes();
    for (int i = 0; i < kInstances; ++i)
        effects.push_back(open());
    const std::size_t after = HeapBytes();
    for (auto _ : state)
        benchmark::DoNotOptimize(effects.data());
    for (AEffect* effect : effects)
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);

    state.counters["heap KiB/instance"] = static_cast<double>(after - before) / kInstances / 1024.0;
    state.counters["module KiB"] = static_cast<double>(module.MappedBytes()) / 1024.0;
    state.counters["module+statics KiB"] = static_cast<double>(module.SegmentBytes()) / 1024.0;
}

} // namespace

BENCHMARK(PluginProcess)
    ->ArgNames({"block", "stages"})
    ->ArgsProduct({{64, 512, 4096}, {4, 16}})
    ->MinTime(0.1);
BENCHMARK(PluginSilenceAfterLoud)->ArgName("stages")->Arg(4)->Arg(16)->MinTime(0.1);
BENCHMARK(PluginInstances)->ArgName("stages")->Arg(4)->Arg(16)->MinTime(0.1);
BENCHMARK(PluginMemory)->Iterations(1);
