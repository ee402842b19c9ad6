// The bare all-pass chain: the per-sample multiply-add sequence that no phaser can avoid.
#include "BenchSupport.h"

#include "dsp/Buffers.h"
#include "dsp/Simd.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>

namespace
{

using Kestrune::kMaxBlockSize;
using Kestrune::Simd::Float4;

struct Chain
{
    std::vector<float> aL, aR, inL, inR, outL, outR;
    float statesL[16] = {}, statesR[16] = {};
    float lastL = 0.0f, lastR = 0.0f;
    float feedback = 0.75f;
    int offset = 0;

    Chain() : aL(kMaxBlockSize), aR(kMaxBlockSize), inL(kMaxBlockSize), inR(kMaxBlockSize)
    {
        outL.resize(Bench::kSlice);
        outR.resize(Bench::kSlice);
        std::mt19937 rng(1);
        std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
        for (std::size_t i = 0; i < aL.size(); ++i)
        {
            // Coefficients of a sweep around 2.5 kHz and 1.8 kHz at 48 kHz.
            const float sweep =
                0.05f * static_cast<float>(std::sin(0.0001 * static_cast<double>(i)));
            aL[i] = 0.72f + sweep;
            aR[i] = 0.79f - sweep;
            inL[i] = noise(rng);
            inR[i] = noise(rng);
        }
    }

    template <int Stages> void Run()
    {
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
        for (int i = 0; i < Bench::kSlice; ++i)
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
            x.StorePair(&outL[static_cast<std::size_t>(i)], &outR[static_cast<std::size_t>(i)]);
        }
        for (int j = 0; j < Stages; ++j)
            s[j].StorePair(&statesL[j], &statesR[j]);
        last.StorePair(&lastL, &lastR);
        offset = (offset + Bench::kSlice) % kMaxBlockSize;
        benchmark::DoNotOptimize(outL.data());
        benchmark::DoNotOptimize(outR.data());
        benchmark::ClobberMemory();
    }

    void RunStages(int stages)
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
};

void ChainBound(benchmark::State& state)
{
    const int stages = static_cast<int>(state.range(0));
    Chain chain;
    for (auto _ : state)
        chain.RunStages(stages);
    const double frames = static_cast<double>(state.iterations()) * Bench::kSlice;
    state.counters["time/frame"] =
        benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetLabel(std::to_string(stages) + " stages, bare chain");
}

} // namespace

double Bench::ChainBoundNsPerFrame(int stages)
{
    static double measured[17] = {};
    stages = std::clamp(stages, 4, 16);
    double& bound = measured[stages];
    if (bound == 0.0)
    {
        Chain chain;
        bound = MedianNsPerFrame([&] { chain.RunStages(stages); });
    }
    return bound;
}

BENCHMARK(ChainBound)->ArgName("stages")->Arg(4)->Arg(16);
