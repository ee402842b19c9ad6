// Shared pieces of the DSP benchmarks: the bare all-pass chain that bounds the phaser's speed,
// and a measurement that compares one slice routine with another.
#pragma once

#include "dsp/Buffers.h"
#include "dsp/Simd.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <random>
#include <utility>
#include <vector>

namespace Bench
{

constexpr int kSlice = 512;
constexpr float kSampleRate = 48000.0f;

// Nanoseconds per frame of `calls` calls of run, each processing framesPerCall frames.
template <typename F> double NsPerFrame(F& run, int calls, int framesPerCall = kSlice)
{
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    for (int s = 0; s < calls; ++s)
        run();
    const std::chrono::duration<double, std::nano> took = Clock::now() - start;
    return took.count() / (static_cast<double>(calls) * framesPerCall);
}

struct Comparison
{
    double ratio;       // subject time / reference time
    double referenceNs; // reference ns per frame
    double subjectNs;   // subject ns per frame
};

// A routine to time and the frames one call of it processes.
template <typename F> struct Workload
{
    F run;
    int framesPerCall;
};
template <typename F> Workload(F, int) -> Workload<F>;

// Times subject and reference alternately in `runs` short runs of about runFrames frames each
// (at least one call) and compares the fastest run of each: a run that other work on the
// machine interrupted (or whose caches it emptied) is slower, never faster, so the minimum is
// the undisturbed figure. Wall-clock time of runs short enough to fit between interruptions.
template <typename S, typename R>
Comparison CompareWorkloads(Workload<S> subject, Workload<R> reference, int runs = 101,
                            int runFrames = 16 * kSlice)
{
    const int subjectCalls = std::max(1, runFrames / subject.framesPerCall);
    const int referenceCalls = std::max(1, runFrames / reference.framesPerCall);
    for (int s = 0; s < 4 * subjectCalls; ++s)
        subject.run();
    for (int s = 0; s < 4 * referenceCalls; ++s)
        reference.run();
    double bestSubject = INFINITY, bestReference = INFINITY;
    for (int r = 0; r < runs; ++r)
    {
        bestSubject =
            std::min(bestSubject, NsPerFrame(subject.run, subjectCalls, subject.framesPerCall));
        bestReference = std::min(
            bestReference, NsPerFrame(reference.run, referenceCalls, reference.framesPerCall));
    }
    return {bestSubject / bestReference, bestReference, bestSubject};
}

// The fastest ns per frame of each workload, timed in turn in `runs` short runs of about
// runFrames frames each, as CompareWorkloads times two: ratios of these figures come from one run.
template <typename... F>
std::array<double, sizeof...(F)> FastestOf(int runs, int runFrames, Workload<F>... workloads)
{
    auto callsOf = [runFrames](int framesPerCall)
    { return std::max(1, runFrames / framesPerCall); };
    (
        [&]
        {
            for (int s = 0; s < 4 * callsOf(workloads.framesPerCall); ++s)
                workloads.run();
        }(),
        ...);
    std::array<double, sizeof...(F)> best;
    best.fill(INFINITY);
    for (int r = 0; r < runs; ++r)
    {
        std::size_t k = 0;
        ((best[k] = std::min(best[k], NsPerFrame(workloads.run, callsOf(workloads.framesPerCall),
                                                 workloads.framesPerCall)),
          ++k),
         ...);
    }
    return best;
}

// Compare for two routines that each process one kSlice-frame slice per call.
template <typename S, typename R>
Comparison Compare(S&& subject, R&& reference, int runs = 101, int slices = 16)
{
    return CompareWorkloads(Workload{std::forward<S>(subject), kSlice},
                            Workload{std::forward<R>(reference), kSlice}, runs, slices * kSlice);
}

// The latency floor of the phaser: `stages` first-order all-pass stages with feedback 0.75,
// left and right in one vector, coefficients already in arrays, input white noise of +-0.5,
// nothing else. RunSlice processes the next kSlice frames.
class BareChain
{
public:
    explicit BareChain(int stageCount);
    void RunSlice();

private:
    template <int Stages> void Run();

    int stages;
    std::vector<float> aL, aR, inL, inR, outL, outR;
    float statesL[16] = {}, statesR[16] = {};
    float lastL = 0.0f, lastR = 0.0f;
    float feedback = 0.75f;
    int offset = 0;
};

inline BareChain::BareChain(int stageCount)
    : stages(std::clamp(stageCount, 4, 16)), aL(Kestrune::kMaxBlockSize),
      aR(Kestrune::kMaxBlockSize), inL(Kestrune::kMaxBlockSize), inR(Kestrune::kMaxBlockSize),
      outL(kSlice), outR(kSlice)
{
    std::mt19937 rng(1);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    for (std::size_t i = 0; i < aL.size(); ++i)
    {
        // Coefficients of a sweep around 2.5 kHz and 1.8 kHz at 48 kHz.
        const float sweep = 0.05f * static_cast<float>(std::sin(0.0001 * static_cast<double>(i)));
        aL[i] = 0.72f + sweep;
        aR[i] = 0.79f - sweep;
        inL[i] = noise(rng);
        inR[i] = noise(rng);
    }
}

template <int Stages> void BareChain::Run()
{
    using Kestrune::Simd::Float4;
    const float* a0 = aL.data() + offset;
    const float* a1 = aR.data() + offset;
    const float* x0 = inL.data() + offset;
    const float* x1 = inR.data() + offset;
    const Float4 guard = Float4::Broadcast(1e-25f);
    const Float4 fb = Float4::Broadcast(feedback);
    Float4 s[Stages];
    for (int j = 0; j < Stages; ++j)
        s[j] = Float4::LoadPair(&statesL[j], &statesR[j]);
    Float4 last = Float4::LoadPair(&lastL, &lastR);
    for (int i = 0; i < kSlice; ++i)
    {
        const Float4 a = Float4::LoadPair(a0 + i, a1 + i);
        Float4 x = Float4::LoadPair(x0 + i, x1 + i) + fb * last;
        for (int j = 0; j < Stages; ++j)
        {
            const Float4 y = s[j] - a * x;
            s[j] = (x + a * y) + guard;
            x = y;
        }
        last = x;
        const auto k = static_cast<std::size_t>(i);
        x.StorePair(&outL[k], &outR[k]);
    }
    for (int j = 0; j < Stages; ++j)
        s[j].StorePair(&statesL[j], &statesR[j]);
    last.StorePair(&lastL, &lastR);
    offset = (offset + kSlice) % Kestrune::kMaxBlockSize;
    benchmark::DoNotOptimize(outL.data());
    benchmark::DoNotOptimize(outR.data());
    benchmark::ClobberMemory();
}

inline void BareChain::RunSlice()
{
    switch (stages)
    {
    case 4:
        return Run<4>();
    case 6:
        return Run<6>();
    case 8:
        return Run<8>();
    case 10:
        return Run<10>();
    case 12:
        return Run<12>();
    case 14:
        return Run<14>();
    default:
        return Run<16>();
    }
}

} // namespace Bench
