// Shared pieces of the DSP benchmarks: the bare all-pass chain that bounds the phaser's speed,
// and a steady-clock measurement that other benchmarks compare against.
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

namespace Bench
{

constexpr int kSlice = 512;
constexpr float kSampleRate = 48000.0f;

// Median nanoseconds per frame of runSlice(), which processes one kSlice-frame slice, over
// `runs` timed runs of `slices` slices after as many untimed ones.
template <typename F> double MedianNsPerFrame(F&& runSlice, int runs = 15, int slices = 64)
{
    using Clock = std::chrono::steady_clock;
    for (int s = 0; s < slices; ++s)
        runSlice();
    std::vector<double> perFrame;
    for (int r = 0; r < runs; ++r)
    {
        const auto start = Clock::now();
        for (int s = 0; s < slices; ++s)
            runSlice();
        const std::chrono::duration<double, std::nano> took = Clock::now() - start;
        perFrame.push_back(took.count() / (static_cast<double>(slices) * kSlice));
    }
    std::nth_element(perFrame.begin(), perFrame.begin() + runs / 2, perFrame.end());
    return perFrame[static_cast<std::size_t>(runs / 2)];
}

// The latency floor of the phaser: `stages` first-order all-pass stages with feedback, left and
// right in one vector, coefficients already in arrays, nothing else. Median ns per stereo frame
// in 512-frame slices, measured once per stage count (4 to 16) and remembered.
double ChainBoundNsPerFrame(int stages);

} // namespace Bench
