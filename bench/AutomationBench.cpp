// What a session costs, through processReplacing (the module loaded as a host loads it, 48 kHz,
// white noise of +-0.5, "Frequency" 1 Hz, "Feedback Level" 0.75, "Wet/Dry Mix" 0.5):
//
// PluginAutomation: "Modulation Depth", both frequencies and "Wet/Dry Mix" moved by the host
// before every block, so their four smoothers glide all the time ("ns/frame"), against the same
// settings left alone ("settled ns"), against the bare all-pass chain ("bound ns"). With jumps,
// the four jump between 0.2 and 0.8 every block, as a stepped automation lane does. The three are
// timed in turn in one run (Bench::FastestOf), so "auto/settled" and "settled/bound" are ratios
// of figures measured side by side.
//
// PluginSession: 32 instances in one process, block 128, each with its four parameters moved
// before every block and a modulation-wheel message every 64 frames, one block of each per round
// as a host runs 32 tracks, against 32 instances settled. "core %" is the share of one core the
// 32 take at 48 kHz, "ns/frame" the cost per frame per instance.
//
// scripts/bench-table.sh prints the medians of repeated runs as one table.
#include "BenchSupport.h"
#include "PluginInstance.h"
#include "phaser/Product.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace
{

using Bench::PluginInstance;

using namespace Kestrune::Product;

// One instance as a session uses it: configured, reset, and optionally automated.
class Track
{
public:
    Track(int blockSize, int stages, unsigned seed) : plugin(blockSize, seed)
    {
        plugin.Configure(stages);
    }

    void Settled() { plugin.ProcessBlock(); }

    // Two targets above the settled values in turn: each block turns the glides before they
    // arrive, and no target equals the value a smoother stands at.
    void Automated()
    {
        high = !high;
        const float step = high ? 0.1f : 0.05f;
        plugin.SetParameter(kDepth, 0.25f + step);
        plugin.SetParameter(kLeftFrequency, 0.5f + step);
        plugin.SetParameter(kRightFrequency, 0.4f + step);
        plugin.SetParameter(kMix, 0.5f + step);
        plugin.ProcessBlock();
    }

    // The four parameters between 0.2 and 0.8 in turn: every glide turns far from its target.
    void Jumped()
    {
        high = !high;
        const float value = high ? 0.8f : 0.2f;
        for (ParameterIndex index : {kDepth, kLeftFrequency, kRightFrequency, kMix})
            plugin.SetParameter(index, value);
        plugin.ProcessBlock();
    }

    // Automated, with the modulation wheel moved every 64 frames of the block.
    void AutomatedWithWheel()
    {
        PluginInstance::Midi wheel[PluginInstance::kMaxEvents];
        int count = 0;
        for (int offset = 0; offset < plugin.GetBlockSize() && count < PluginInstance::kMaxEvents;
             offset += 64)
        {
            wheelValue = wheelValue == 40 ? 80 : 40;
            wheel[count++] = {offset, 0xB0, 1, static_cast<unsigned char>(wheelValue)};
        }
        plugin.SendEvents(wheel, count);
        Automated();
    }

private:
    PluginInstance plugin;
    bool high = false;
    int wheelValue = 40;
};

std::string Label(int stages, int blockSize, const char* what = "")
{
    return std::to_string(stages) + " stages, block " + std::to_string(blockSize) + what;
}

// range(0) frames per block, range(1) stages, range(2) 1 for jumps instead of ramps.
void PluginAutomation(benchmark::State& state)
{
    const int blockSize = static_cast<int>(state.range(0));
    const int stages = static_cast<int>(state.range(1));
    const bool jumps = state.range(2) != 0;
    Track automated(blockSize, stages, 1), settled(blockSize, stages, 1);
    auto automate = [&] { jumps ? automated.Jumped() : automated.Automated(); };
    for (auto _ : state)
        automate();

    Bench::BareChain chain(stages);
    const auto ns = Bench::FastestOf(101, 16 * Bench::kSlice, Bench::Workload{automate, blockSize},
                                     Bench::Workload{[&] { settled.Settled(); }, blockSize},
                                     Bench::Workload{[&] { chain.RunSlice(); }, Bench::kSlice});
    state.counters["ns/frame"] = ns[0];
    state.counters["settled ns"] = ns[1];
    state.counters["bound ns"] = ns[2];
    state.counters["auto/settled"] = ns[0] / ns[1];
    state.counters["settled/bound"] = ns[1] / ns[2];
    state.SetLabel(Label(stages, blockSize,
                         jumps ? ", four parameters jumping" : ", four parameters automated"));
}

// range(0) stages.
void PluginSession(benchmark::State& state)
{
    constexpr int kTracks = 32;
    constexpr int kBlock = 128;
    const int stages = static_cast<int>(state.range(0));
    std::vector<std::unique_ptr<Track>> automated, settled;
    for (int i = 0; i < kTracks; ++i)
    {
        automated.push_back(std::make_unique<Track>(kBlock, stages, static_cast<unsigned>(i + 1)));
        settled.push_back(std::make_unique<Track>(kBlock, stages, static_cast<unsigned>(i + 1)));
    }
    auto automatedRound = [&]
    {
        for (auto& track : automated)
            track->AutomatedWithWheel();
    };
    auto settledRound = [&]
    {
        for (auto& track : settled)
            track->Settled();
    };
    for (auto _ : state)
        automatedRound();

    // Per round kTracks x kBlock frames; ns per frame per instance.
    const int frames = kTracks * kBlock;
    const auto ns = Bench::FastestOf(101, 2 * frames, Bench::Workload{automatedRound, frames},
                                     Bench::Workload{settledRound, frames});
    auto coreShare = [](double nsPerFrame)
    { return 100.0 * nsPerFrame * kTracks * static_cast<double>(Bench::kSampleRate) * 1e-9; };
    state.counters["ns/frame"] = ns[0];
    state.counters["settled ns"] = ns[1];
    state.counters["auto/settled"] = ns[0] / ns[1];
    state.counters["core %"] = coreShare(ns[0]);
    state.counters["settled core %"] = coreShare(ns[1]);
    state.SetLabel(Label(stages, kBlock, ", 32 instances, wheel every 64 frames"));
}

} // namespace

BENCHMARK(PluginAutomation)
    ->ArgNames({"block", "stages", "jumps"})
    ->ArgsProduct({{64, 512, 4096}, {4, 16}, {0}})
    ->Args({512, 4, 1})
    ->Args({512, 16, 1})
    ->MinTime(0.1);
BENCHMARK(PluginSession)->ArgName("stages")->Arg(4)->Arg(16)->MinTime(0.1);
