// The bare all-pass chain: the per-sample multiply-add sequence that no phaser can avoid.
#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <string>

namespace
{

void ChainBound(benchmark::State& state)
{
    const int stages = static_cast<int>(state.range(0));
    Bench::BareChain chain(stages);
    for (auto _ : state)
        chain.RunSlice();
    const double frames = static_cast<double>(state.iterations()) * Bench::kSlice;
    state.counters["time/frame"] =
        benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetLabel(std::to_string(stages) + " stages, bare chain");
}

} // namespace

BENCHMARK(ChainBound)->ArgName("stages")->Arg(4)->Arg(16);
