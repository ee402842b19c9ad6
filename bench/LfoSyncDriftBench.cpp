// Not a speed figure: why a synchronised oscillator runs its recurrence differently from a free
// one. For an hour at 44100 Hz, a 1/32 note at 120 and 999 bpm, re-aligned to the song position
// every 512 samples, with the plain coupled form (increment w, started at sin and cos of the
// phase) and with the one the plug-in runs when synchronised (increment 2 sin(w/2), cosine
// half a sample's turn ahead). Counters: worst, the largest distance of the sine from the
// position's sine; peak, the largest output (the plain form runs on an ellipse); jump, the step
// at a block's start over the largest step inside. Free (no re-alignment): cycles, how far the
// phase drifts from the set rate in the hour; peak_change, the peak's change from the first
// second to the last.
//   build/release/bench/corvane_bench --benchmark_filter=LfoSyncDrift
#include "dsp/CoupledOscillator.h"
#include "modulators/QuadratureLfo.h"

#include "../tests/support/FakeServiceProvider.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace
{

using Kestrune::Modulators::CoupledOscillator;
using Kestrune::Modulators::QuadratureLfo;

constexpr float kRate = 44100.0f;
constexpr double kSeconds = 3600.0;
constexpr int kBlock = 512;
constexpr float kQuarterNotes = 0.125f; // 1/32

// The plain form's increment, float(f 2 pi) / rate, as the free oscillator computes it.
float PlainIncrement(float hz)
{
    return (hz * 6.283185f) / kRate;
}

void SynchronisedHour(benchmark::State& state)
{
    const double bpm = static_cast<double>(state.range(0));
    const bool plain = state.range(1) == 0;
    for (auto _ : state)
    {
        TestSupport::FakeServiceProvider provider;
        provider.sampleRate = kRate;
        provider.tempo = static_cast<float>(bpm);
        QuadratureLfo lfo(&provider);
        lfo.SetSyncResolution(0);
        lfo.SetSyncEnabled(true);
        std::vector<float> sine(kBlock), cosine(kBlock);
        CoupledOscillator run{
            0.0f, 1.0f, PlainIncrement(lfo.GetFrequency()), 1.0f, true, sine.data(), cosine.data()};
        const double perSample = bpm / 60.0 / kRate;
        const auto total = static_cast<long>(kSeconds * kRate);
        double worst = 0.0, peak = 0.0, step = 0.0, jump = 0.0;
        float previous = 0.0f;
        for (long start = 0; start < total; start += kBlock)
        {
            const double position = 0.3 + static_cast<double>(start) * perSample;
            const float* out = sine.data();
            if (plain)
            {
                const double x = position / kQuarterNotes;
                const double radians = static_cast<double>(static_cast<float>(x - std::trunc(x))) *
                                       static_cast<double>(6.283185f);
                run.sine = static_cast<float>(std::sin(radians));
                run.cosine = static_cast<float>(std::cos(radians));
                for (int i = 0; i < kBlock; ++i)
                    run.Step(i);
            }
            else
            {
                provider.ChangePosition(position);
                lfo.Process(kBlock);
                out = lfo.GetInPhaseOutput();
            }
            for (int i = 0; i < kBlock; ++i)
            {
                const double ideal = std::sin(2.0 * std::numbers::pi *
                                              (position + (i + 1) * perSample) / kQuarterNotes);
                worst = std::max(worst, std::fabs(out[i] - ideal));
                peak = std::max(peak, static_cast<double>(std::fabs(out[i])));
                const double moved = std::fabs(out[i] - previous);
                if (start > 0)
                    (i == 0 ? jump : step) = std::max(i == 0 ? jump : step, moved);
                previous = out[i];
            }
        }
        state.counters["worst"] = worst;
        state.counters["peak"] = peak;
        state.counters["jump"] = jump / step;
    }
}

void FreeHour(benchmark::State& state)
{
    const auto hz = static_cast<float>(state.range(0));
    const bool plain = state.range(1) == 0;
    for (auto _ : state)
    {
        float increment = PlainIncrement(hz);
        if (!plain)
            increment = static_cast<float>(2.0 * std::sin(static_cast<double>(increment) * 0.5));
        float sine = 0.0f, cosine = 1.0f, previous = 0.0f;
        const auto total = static_cast<long>(kSeconds * kRate);
        const auto second = static_cast<long>(kRate);
        double first = 0.0, last = 0.0;
        long crossings = 0, lastCrossing = 0;
        for (long n = 0; n < total; ++n)
        {
            sine += cosine * increment;
            cosine -= sine * increment;
            if (n < second)
                first = std::max(first, static_cast<double>(std::fabs(sine)));
            if (n >= total - second)
                last = std::max(last, static_cast<double>(std::fabs(sine)));
            if (previous < 0.0f && sine >= 0.0f)
            {
                ++crossings;
                lastCrossing = n;
            }
            previous = sine;
        }
        state.counters["cycles"] =
            static_cast<double>(crossings) - static_cast<double>(lastCrossing + 1) * hz / kRate;
        state.counters["peak_change"] = last - first;
    }
}

} // namespace

// Arguments: beats per minute; 0 the plain form, 1 the synchronised one.
BENCHMARK(SynchronisedHour)
    ->Name("LfoSyncDrift/Synchronised")
    ->ArgsProduct({{120, 999}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
// Arguments: Hz (1/32 at 120 and 999 bpm); 0 increment w, 1 increment 2 sin(w/2).
BENCHMARK(FreeHour)
    ->Name("LfoSyncDrift/Free")
    ->ArgsProduct({{16, 133}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
