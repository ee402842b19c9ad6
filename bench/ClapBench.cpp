// The CLAP edition through the host library's CLAP host against the VST edition through dlopen,
// same settings and input kind as PluginBench (48 kHz, white noise of +-0.5, 1 Hz, feedback
// 0.75, mix 0.5, 4 or 16 stages): "clap ns/frame" and "vst ns/frame" per stereo frame, "ratio"
// CLAP over VST. The CLAP instance gets the transport at frame 0 of every block and no events.
#include "BenchSupport.h"
#include "PluginInstance.h"
#include "hostkit/ClapHost.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

namespace
{

class ClapBenchInstance
{
public:
    ClapBenchInstance(int blockSize, int stages)
        : module(CORVANE_CLAP_BINARY), plugin(module, "com.corvane.phaser"), block(blockSize),
          input(kLength), output(blockSize)
    {
        std::minstd_rand noise(1);
        std::uniform_real_distribution<float> level(-0.5f, 0.5f);
        for (float& x : input)
            x = level(noise);
        // Values in the parameters' units: 1 Hz, the feedback gain 0.95 * 0.75, mix 0.5.
        plugin.AddParameter(0, 0, 1.0);
        plugin.AddParameter(0, 6, 0.95 * 0.75);
        plugin.AddParameter(0, 11, 0.5);
        plugin.AddParameter(0, 10, stages == 16 ? 16.0 : 4.0);
        plugin.Flush();
        plugin.Activate(48000.0, static_cast<std::uint32_t>(blockSize));
        plugin.SetTransport(120.0, 0.0);
    }

    void ProcessBlock()
    {
        if (position + block > kLength)
            position = 0;
        plugin.Process(&input[position], &input[position], output.data(), output.data(),
                       static_cast<std::uint32_t>(block));
        position += block;
    }

private:
    static constexpr int kLength = 16384;
    HostKit::ClapModule module;
    HostKit::ClapInstance plugin;
    int block;
    int position = 0;
    std::vector<float> input;
    std::vector<float> output;
};

void ClapAgainstVst(benchmark::State& state)
{
    const int blockSize = static_cast<int>(state.range(0));
    const int stages = static_cast<int>(state.range(1));
    ClapBenchInstance clap(blockSize, stages);
    Bench::PluginInstance vst(blockSize);
    vst.SetParameter(0, std::sqrt(1.0f / 20.0f));
    vst.SetParameter(6, 0.75f);
    vst.SetParameter(11, 0.5f);
    vst.SetParameter(10, stages == 16 ? 1.0f : 0.0f);
    vst.Restart();
    for (auto _ : state)
        clap.ProcessBlock();
    const Bench::Comparison c =
        Bench::CompareWorkloads(Bench::Workload{[&] { clap.ProcessBlock(); }, blockSize},
                                Bench::Workload{[&] { vst.ProcessBlock(); }, blockSize});
    state.counters["clap ns/frame"] = c.subjectNs;
    state.counters["vst ns/frame"] = c.referenceNs;
    state.counters["ratio"] = c.ratio;
    state.SetLabel(std::to_string(stages) + " stages, block " + std::to_string(blockSize));
}

} // namespace

BENCHMARK(ClapAgainstVst)
    ->ArgNames({"block", "stages"})
    ->ArgsProduct({{64, 512, 4096}, {4, 16}})
    ->MinTime(0.1);
