// Phaser cost per stereo frame in 512-frame slices at 48 kHz: white noise of +-0.5, the
// quadrature oscillator at 1 Hz as source, depth 0.25 octave, centre frequencies 2500 Hz and
// 1800 Hz, feedback 0.75, mix 0.5. Each result also reports its ratio to the bare all-pass chain
// of the same stage count (ChainBound), measured in the same process.
#include "BenchSupport.h"

#include "dsp/Phaser.h"
#include "dsp/Smoother.h"
#include "modulators/QuadratureLfo.h"

#include "../tests/support/FakeServiceProvider.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{

using Kestrune::kMaxBlockSize;
using Kestrune::Effects::Phaser;
using Kestrune::Modulators::QuadratureLfo;
using Kestrune::Parameters::Smoother;

std::vector<float> Noise(unsigned seed, float amplitude)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> noise(-amplitude, amplitude);
    std::vector<float> v(kMaxBlockSize);
    for (auto& x : v)
        x = noise(rng);
    return v;
}

// The phaser as the engine drives it: smoothed depth, frequencies and mix, oscillator sources.
struct Rig
{
    TestSupport::FakeServiceProvider provider;
    std::unique_ptr<Phaser> phaser;
    std::unique_ptr<QuadratureLfo> lfo;
    std::unique_ptr<Smoother> depth, left, right, mix;
    std::vector<float> inL = Noise(1, 0.5f), inR = Noise(2, 0.5f);
    std::vector<float> outL = std::vector<float>(Bench::kSlice);
    std::vector<float> outR = std::vector<float>(Bench::kSlice);
    int offset = 0;

    explicit Rig(int stageMode)
    {
        provider.sampleRate = Bench::kSampleRate;
        phaser = std::make_unique<Phaser>(&provider);
        lfo = std::make_unique<QuadratureLfo>(&provider);
        depth = std::make_unique<Smoother>(&provider);
        left = std::make_unique<Smoother>(&provider);
        right = std::make_unique<Smoother>(&provider);
        mix = std::make_unique<Smoother>(&provider);
        depth->SetTarget(0.25f);
        left->SetTarget(2500.0f);
        right->SetTarget(1800.0f);
        mix->SetTarget(0.5f);
        provider.ResetAll();

        lfo->SetFrequency(1.0f);
        phaser->SetEnabled(true);
        phaser->SetFeedback(0.75f);
        phaser->SetStageMode(stageMode);
        phaser->SetModulationDepth1(depth->GetBuffer());
        phaser->SetLeftFrequency(left->GetBuffer());
        phaser->SetRightFrequency(right->GetBuffer());
        phaser->SetMix(mix->GetBuffer());
    }

    // Phaser::Process alone: the oscillator's output is computed once, slices walk through it.
    void PrepareSources() { lfo->Process(kMaxBlockSize); }
    void ProcessOnly()
    {
        phaser->SetLeftModulationSource(lfo->GetInPhaseOutput() + offset);
        phaser->SetRightModulationSource(lfo->GetQuadratureOutput() + offset);
        Process();
    }

    // One slice of everything that runs per sample, as the engine runs it: smoothers, then the
    // phaser stepping the oscillator inside its loop.
    void ProcessSlice()
    {
        for (Smoother* s : {depth.get(), left.get(), right.get(), mix.get()})
            s->Smooth(Bench::kSlice);
        phaser->SetLeftModulationSource(lfo->GetInPhaseOutput());
        phaser->SetRightModulationSource(lfo->GetQuadratureOutput());
        Kestrune::Modulators::CoupledOscillator slice = lfo->StartSlice();
        phaser->Process(inL.data() + offset, inR.data() + offset, outL.data(), outR.data(),
                        Bench::kSlice, slice);
        lfo->FinishSlice(slice);
        Finish();
    }

    void Process()
    {
        phaser->Process(inL.data() + offset, inR.data() + offset, outL.data(), outR.data(),
                        Bench::kSlice);
        Finish();
    }

    void Finish()
    {
        benchmark::DoNotOptimize(outL.data());
        benchmark::DoNotOptimize(outR.data());
        benchmark::ClobberMemory();
        offset = (offset + Bench::kSlice) % kMaxBlockSize;
    }
};

int StagesOf(const benchmark::State& state)
{
    return Phaser::StageCount(static_cast<int>(state.range(0)));
}

// Per-frame processor time and real-time factor from the benchmark's own loop.
void ReportSpeed(benchmark::State& state)
{
    const double frames = static_cast<double>(state.iterations()) * Bench::kSlice;
    state.counters["time/frame"] =
        benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["x realtime"] = benchmark::Counter(
        frames / static_cast<double>(Bench::kSampleRate), benchmark::Counter::kIsRate);
}

// "ratio": time per frame over the bare chain's of the same stage count ("bound ns"), both
// measured back to back in the same process.
template <typename F> void ReportAgainstBound(benchmark::State& state, F&& runSlice)
{
    Bench::BareChain chain(StagesOf(state));
    const Bench::Comparison c = Bench::Compare(runSlice, [&] { chain.RunSlice(); });
    state.counters["ratio"] = c.ratio;
    state.counters["bound ns"] = c.referenceNs;
}

void PhaserProcess(benchmark::State& state)
{
    Rig rig(static_cast<int>(state.range(0)));
    rig.PrepareSources();
    for (auto _ : state)
        rig.ProcessOnly();
    ReportSpeed(state);
    ReportAgainstBound(state, [&] { rig.ProcessOnly(); });
    state.SetLabel(std::to_string(StagesOf(state)) + " stages");
}

void PhaserSlice(benchmark::State& state)
{
    Rig rig(static_cast<int>(state.range(0)));
    for (auto _ : state)
        rig.ProcessSlice();
    ReportSpeed(state);
    ReportAgainstBound(state, [&] { rig.ProcessSlice(); });
    state.SetLabel(std::to_string(StagesOf(state)) + " stages, smoothers + oscillator + phaser");
}

// Silence after a loud burst, long enough for the states to have decayed to the anti-denormal
// floor, against the same phaser on noise: "vs noise" above 1 would mean subnormal slow-down.
void PhaserSilenceAfterLoud(benchmark::State& state)
{
    const int mode = static_cast<int>(state.range(0));
    Rig rig(mode);
    rig.PrepareSources();
    rig.inL = Noise(3, 1.0f);
    rig.inR = Noise(4, 1.0f);
    for (int i = 0; i < kMaxBlockSize / Bench::kSlice; ++i)
        rig.ProcessOnly();
    std::fill(rig.inL.begin(), rig.inL.end(), 0.0f);
    std::fill(rig.inR.begin(), rig.inR.end(), 0.0f);
    // Two seconds of silence before timing starts.
    for (int i = 0; i < 2 * static_cast<int>(Bench::kSampleRate) / Bench::kSlice; ++i)
        rig.ProcessOnly();

    for (auto _ : state)
        rig.ProcessOnly();
    ReportSpeed(state);
    Rig noisy(mode);
    noisy.PrepareSources();
    state.counters["vs noise"] =
        Bench::Compare([&] { rig.ProcessOnly(); }, [&] { noisy.ProcessOnly(); }).ratio;
    state.SetLabel(std::to_string(StagesOf(state)) + " stages, silence after +-1 noise");
}

// The oscillator alone: a coupled recurrence, one multiply-add pair after another per sample.
void QuadratureLfoProcess(benchmark::State& state)
{
    Rig rig(0);
    for (auto _ : state)
    {
        rig.lfo->Process(Bench::kSlice);
        benchmark::DoNotOptimize(rig.lfo->GetInPhaseOutput());
        benchmark::ClobberMemory();
    }
    ReportSpeed(state);
}

// One smoother gliding (a new target every slice, never reached): its recurrence is a chain of
// three dependent operations per sample, which no grouping of smoothers can shorten.
void SmootherGlide(benchmark::State& state)
{
    TestSupport::FakeServiceProvider provider;
    provider.sampleRate = Bench::kSampleRate;
    auto smoother = std::make_unique<Smoother>(&provider);
    bool high = false;
    for (auto _ : state)
    {
        high = !high;
        smoother->SetTarget(high ? 0.6f : 0.55f);
        smoother->Smooth(Bench::kSlice);
        benchmark::DoNotOptimize(smoother->GetBuffer());
        benchmark::ClobberMemory();
    }
    ReportSpeed(state);
}

} // namespace

BENCHMARK(SmootherGlide);
BENCHMARK(QuadratureLfoProcess);
BENCHMARK(PhaserProcess)->ArgName("stageMode")->Arg(0)->Arg(6);
BENCHMARK(PhaserSlice)->ArgName("stageMode")->Arg(0)->Arg(6);
BENCHMARK(PhaserSilenceAfterLoud)->ArgName("stageMode")->Arg(0)->Arg(6);
