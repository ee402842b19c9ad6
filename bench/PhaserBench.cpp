// Phaser processing cost per stereo frame, in 512-sample slices at 44100 Hz with the default
// settings' kind of input: a settled centre frequency, an LFO-swept source, feedback and a mix.
#include "dsp/Phaser.h"
#include "modulators/QuadratureLfo.h"

#include "../tests/support/FakeServiceProvider.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

namespace
{

using Kestrune::kMaxBlockSize;

constexpr int kSlice = 512;
constexpr float kSampleRate = 44100.0f;

void PhaserProcess(benchmark::State& state)
{
    TestSupport::FakeServiceProvider provider;
    provider.sampleRate = kSampleRate;
    auto phaser = std::make_unique<Kestrune::Effects::Phaser>(&provider);
    auto lfo = std::make_unique<Kestrune::Modulators::QuadratureLfo>(&provider);

    // One full buffer of LFO sweep at 5 Hz; slices walk through it.
    lfo->SetFrequency(5.0f);
    lfo->Process(kMaxBlockSize);
    const std::vector<float> depth(kMaxBlockSize, 0.25f);
    const std::vector<float> left(kMaxBlockSize, 2500.0f);
    const std::vector<float> right(kMaxBlockSize, 1800.0f);
    const std::vector<float> mix(kMaxBlockSize, 0.5f);

    std::mt19937 rng(1);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    std::vector<float> inL(kMaxBlockSize), inR(kMaxBlockSize);
    for (int i = 0; i < kMaxBlockSize; ++i)
    {
        inL[static_cast<std::size_t>(i)] = noise(rng);
        inR[static_cast<std::size_t>(i)] = noise(rng);
    }
    std::vector<float> outL(kSlice), outR(kSlice);

    phaser->SetEnabled(true);
    phaser->SetFeedback(0.5f);
    phaser->SetStageMode(static_cast<int>(state.range(0)));
    phaser->SetModulationDepth1(depth.data());
    phaser->SetLeftFrequency(left.data());
    phaser->SetRightFrequency(right.data());
    phaser->SetMix(mix.data());

    int offset = 0;
    for (auto _ : state)
    {
        phaser->SetLeftModulationSource(lfo->GetInPhaseOutput() + offset);
        phaser->SetRightModulationSource(lfo->GetQuadratureOutput() + offset);
        phaser->Process(inL.data() + offset, inR.data() + offset, outL.data(), outR.data(), kSlice);
        benchmark::DoNotOptimize(outL.data());
        benchmark::DoNotOptimize(outR.data());
        benchmark::ClobberMemory();
        offset = (offset + kSlice) % kMaxBlockSize;
    }

    const double frames = static_cast<double>(state.iterations()) * kSlice;
    state.counters["time/frame"] =
        benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["x realtime"] =
        benchmark::Counter(frames / static_cast<double>(kSampleRate), benchmark::Counter::kIsRate);
    state.SetLabel(
        std::to_string(Kestrune::Effects::Phaser::StageCount(static_cast<int>(state.range(0)))) +
        " stages");
}

} // namespace

BENCHMARK(PhaserProcess)->ArgName("stageMode")->Arg(0)->Arg(6);
