// An edition of the plug-in against the VST edition through dlopen, at PluginBench's settings
// (48 kHz, white noise of +-0.5, 1 Hz, feedback 0.75, mix 0.5) for blocks of range(0) frames
// and range(1) stages: "<name> ns/frame" and "vst ns/frame" per stereo frame, "ratio" the
// edition over VST. Edition(blockSize, stages) sets itself up alike; ProcessBlock() runs a block.
#pragma once

#include "BenchSupport.h"
#include "PluginInstance.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

namespace Bench
{

// White noise of +-0.5, looped: the start of each next block.
class LoopedNoise
{
public:
    LoopedNoise() : samples(PluginInstance::kInputLength)
    {
        std::minstd_rand noise(1);
        std::uniform_real_distribution<float> level(-0.5f, 0.5f);
        for (float& x : samples)
            x = level(noise);
    }

    float* Next(int frames)
    {
        if (position + frames > static_cast<int>(samples.size()))
            position = 0;
        position += frames;
        return &samples[static_cast<std::size_t>(position - frames)];
    }

private:
    std::vector<float> samples;
    int position = 0;
};

template <typename Edition> void EditionAgainstVst(benchmark::State& state, const std::string& name)
{
    const int blockSize = static_cast<int>(state.range(0));
    const int stages = static_cast<int>(state.range(1));
    Edition edition(blockSize, stages);
    PluginInstance vst(blockSize);
    vst.Configure(stages);
    for (auto _ : state)
        edition.ProcessBlock();
    const Comparison c = CompareWorkloads(Workload{[&] { edition.ProcessBlock(); }, blockSize},
                                          Workload{[&] { vst.ProcessBlock(); }, blockSize});
    state.counters[name + " ns/frame"] = c.subjectNs;
    state.counters["vst ns/frame"] = c.referenceNs;
    state.counters["ratio"] = c.ratio;
    state.SetLabel(std::to_string(stages) + " stages, block " + std::to_string(blockSize));
}

// Registers EditionAgainstVst<Edition> as `name` over blocks of 64, 512 and 4096 frames and 4 or
// 16 stages, its own counter called `counter`; the result initialises a namespace-scope constant.
template <typename Edition> bool RegisterAgainstVst(const char* name, const char* counter)
{
    benchmark::RegisterBenchmark(name, [counter](benchmark::State& state)
                                 { EditionAgainstVst<Edition>(state, counter); })
        ->ArgNames({"block", "stages"})
        ->ArgsProduct({{64, 512, 4096}, {4, 16}})
        ->MinTime(0.1);
    return true;
}

} // namespace Bench
