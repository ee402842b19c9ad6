// Not a speed figure: where an audio-rate sweep runs the cascade away, the measurement behind
// the oscillator's sweep limit (one cycle per 32 samples). For each sample rate, the sweep gets
// faster in steps of 5% (counted in samples per cycle) until, at some stage count (4 to 16) and
// centre frequency (50 Hz to 10 kHz), full depth (1 octave), feedback 0.95 and white noise of
// +-1, the output passes 1000 within a second (it stays below about 95 while the
// cascade keeps its gain). Counters: samples_per_cycle and hz where that happens; peak_below,
// the highest output at the step before.
//   build/release/bench/corvane_bench --benchmark_filter=SweepRunaway
#include "dsp/Phaser.h"

#include "../tests/support/FakeServiceProvider.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace
{

using Kestrune::Effects::Phaser;

// The highest output of a second through one setting.
float Peak(float rate, float sweepHz, int mode, float centre)
{
    constexpr int kBlock = 512;
    TestSupport::FakeServiceProvider provider;
    provider.sampleRate = rate;
    Phaser phaser(&provider);
    std::vector<float> depth(kBlock, 1.0f), centres(kBlock, centre), mix(kBlock, 1.0f),
        left(kBlock), right(kBlock), in(kBlock), outL(kBlock), outR(kBlock);
    phaser.SetEnabled(true);
    phaser.SetFeedback(0.95f);
    phaser.SetStageMode(mode);
    phaser.SetModulationDepth1(depth.data());
    phaser.SetLeftFrequency(centres.data());
    phaser.SetRightFrequency(centres.data());
    phaser.SetMix(mix.data());
    phaser.SetLeftModulationSource(left.data());
    phaser.SetRightModulationSource(right.data());
    Kestrune::Modulators::CoupledOscillator sweep{
        0.0f, 1.0f, sweepHz * 6.283185f / rate, 1.0f, true, left.data(), right.data()};
    std::minstd_rand rng(1);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    float peak = 0.0f;
    for (int block = 0; block < static_cast<int>(rate) / kBlock; ++block)
    {
        std::generate(in.begin(), in.end(), [&] { return noise(rng); });
        phaser.Process(in.data(), in.data(), outL.data(), outR.data(), kBlock, sweep);
        for (int i = 0; i < kBlock; ++i)
            peak = std::max({peak, std::fabs(outL[i]), std::fabs(outR[i])});
    }
    return peak;
}

void SweepRunaway(benchmark::State& state)
{
    const auto rate = static_cast<float>(state.range(0));
    double perCycle = 64.0, peakBelow = 0.0;
    for (auto _ : state)
    {
        for (; perCycle > 2.0; perCycle /= 1.05)
        {
            float worst = 0.0f;
            for (int mode = 0; mode < Phaser::kStageModeCount; ++mode)
                for (float centre : {50.0f, 200.0f, 1000.0f, 2500.0f, 5000.0f, 10000.0f})
                    worst = std::max(worst,
                                     Peak(rate, rate / static_cast<float>(perCycle), mode, centre));
            if (worst > 1000.0f)
                break;
            peakBelow = std::max(peakBelow, static_cast<double>(worst));
        }
    }
    state.counters["samples_per_cycle"] = perCycle;
    state.counters["hz"] = rate / perCycle;
    state.counters["peak_below"] = peakBelow;
}

} // namespace

BENCHMARK(SweepRunaway)
    ->Arg(8000)
    ->Arg(22050)
    ->Arg(44100)
    ->Arg(96000)
    ->Arg(192000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
