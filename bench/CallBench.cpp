// The fixed cost of one call, which small blocks pay often: the phaser alone (its oscillator
// stepped inside its loop, settled smoothers) and the whole plug-in through processReplacing,
// each called for 64 and for 512 frames, all four timed in turn in one run. "phaser call ns" and
// "plugin call ns" are (ns per frame at 64 - ns per frame at 512) x 64: what a call costs beyond
// its frames; their difference is the host path around the phaser (time information, locks,
// smoothing, slicing).
#include "BenchSupport.h"
#include "PluginInstance.h"
#include "phaser/Product.h"

#include "dsp/Phaser.h"
#include "dsp/Smoother.h"
#include "modulators/QuadratureLfo.h"

#include "../tests/support/FakeServiceProvider.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace Product = Kestrune::Product;

namespace
{

using Kestrune::Effects::Phaser;
using Kestrune::Modulators::QuadratureLfo;
using Kestrune::Parameters::Smoother;

std::vector<float> Noise(unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    std::vector<float> v(Kestrune::kMaxBlockSize);
    for (auto& x : v)
        x = noise(rng);
    return v;
}

// The phaser as the engine drives it when nothing glides, in calls of `block` frames.
class PhaserCall
{
public:
    PhaserCall(int stages, int frames) : block(frames)
    {
        provider.sampleRate = Bench::kSampleRate;
        phaser = std::make_unique<Phaser>(&provider);
        lfo = std::make_unique<QuadratureLfo>(&provider);
        const float targets[] = {0.25f, 2500.0f, 1800.0f, 0.5f};
        for (float target : targets)
        {
            smoothers.push_back(std::make_unique<Smoother>(&provider));
            smoothers.back()->SetTarget(target);
        }
        provider.ResetAll();
        lfo->SetFrequency(1.0f);
        phaser->SetEnabled(true);
        phaser->SetFeedback(0.75f);
        phaser->SetStageMode(stages == 16 ? 6 : 0);
        phaser->SetModulationDepth1(smoothers[0]->GetBuffer());
        phaser->SetLeftFrequency(smoothers[1]->GetBuffer());
        phaser->SetRightFrequency(smoothers[2]->GetBuffer());
        phaser->SetMix(smoothers[3]->GetBuffer());
        phaser->SetLeftModulationSource(lfo->GetInPhaseOutput());
        phaser->SetRightModulationSource(lfo->GetQuadratureOutput());
    }

    void Run()
    {
        auto slice = lfo->StartSlice();
        phaser->Process(inL.data() + offset, inR.data() + offset, outL.data(), outR.data(), block,
                        slice);
        lfo->FinishSlice(slice);
        benchmark::DoNotOptimize(outL.data());
        benchmark::DoNotOptimize(outR.data());
        benchmark::ClobberMemory();
        offset = (offset + block) % Kestrune::kMaxBlockSize;
    }

private:
    int block;
    TestSupport::FakeServiceProvider provider;
    std::unique_ptr<Phaser> phaser;
    std::unique_ptr<QuadratureLfo> lfo;
    std::vector<std::unique_ptr<Smoother>> smoothers;
    std::vector<float> inL = Noise(1), inR = Noise(2);
    std::vector<float> outL = std::vector<float>(Bench::kSlice);
    std::vector<float> outR = std::vector<float>(Bench::kSlice);
    int offset = 0;
};

std::unique_ptr<Bench::PluginInstance> SettledPlugin(int block, int stages)
{
    auto plugin = std::make_unique<Bench::PluginInstance>(block);
    plugin->SetParameter(Product::kLfoFrequency, std::sqrt(1.0f / 20.0f)); // "Frequency" 1 Hz
    plugin->SetParameter(Product::kFeedback, 0.75f);                       // "Feedback Level"
    plugin->SetParameter(Product::kMix, 0.5f);                             // "Wet/Dry Mix"
    plugin->SetParameter(Product::kStageMode, stages == 16 ? 1.0f : 0.0f);
    plugin->Restart();
    return plugin;
}

void CallCost(benchmark::State& state)
{
    const int stages = static_cast<int>(state.range(0));
    PhaserCall small(stages, 64), large(stages, 512);
    auto smallPlugin = SettledPlugin(64, stages);
    auto largePlugin = SettledPlugin(512, stages);
    for (auto _ : state)
        small.Run();
    const auto ns =
        Bench::FastestOf(101, 16 * Bench::kSlice, Bench::Workload{[&] { small.Run(); }, 64},
                         Bench::Workload{[&] { large.Run(); }, 512},
                         Bench::Workload{[&] { smallPlugin->ProcessBlock(); }, 64},
                         Bench::Workload{[&] { largePlugin->ProcessBlock(); }, 512});
    state.counters["phaser ns/frame 64"] = ns[0];
    state.counters["phaser ns/frame 512"] = ns[1];
    state.counters["plugin ns/frame 64"] = ns[2];
    state.counters["plugin ns/frame 512"] = ns[3];
    state.counters["phaser call ns"] = (ns[0] - ns[1]) * 64.0;
    state.counters["plugin call ns"] = (ns[2] - ns[3]) * 64.0;
    state.SetLabel(std::to_string(stages) + " stages, settled");
}

// What the host's automation costs per block before any audio: "Modulation Depth", both
// frequencies and "Wet/Dry Mix" set through setParameter, as PluginAutomation does each block.
void AutomationCall(benchmark::State& state)
{
    auto plugin = SettledPlugin(64, 4);
    bool high = false;
    auto automate = [&]
    {
        high = !high;
        const float step = high ? 0.1f : 0.05f;
        plugin->SetParameter(Product::kDepth, 0.25f + step);
        plugin->SetParameter(Product::kLeftFrequency, 0.5f + step);
        plugin->SetParameter(Product::kRightFrequency, 0.4f + step);
        plugin->SetParameter(Product::kMix, 0.5f + step);
    };
    for (auto _ : state)
        automate();
    const auto ns = Bench::FastestOf(101, 64, Bench::Workload{automate, 1});
    state.counters["ns/block"] = ns[0];
    state.SetLabel("four setParameter calls");
}

} // namespace

BENCHMARK(AutomationCall)->MinTime(0.1);
BENCHMARK(CallCost)->ArgName("stages")->Arg(4)->Arg(16)->MinTime(0.1);
