// Shared pieces of the DSP benchmarks: the bare all-pass chain that bounds the phaser's speed,
// and a steady-clock measurement that other benchmarks compare against.
#pragma once

#include <algorithm>
#include <ctime>
#include <vector>

namespace Bench
{

constexpr int kSlice = 512;
constexpr float kSampleRate = 48000.0f;

// Median processor-time nanoseconds per frame of runSlice(), which processes one kSlice-frame
// slice, over `runs` timed runs of `slices` slices after as many untimed ones. Processor time,
// like the benchmarks' own counters, so that other work on the machine does not count.
template <typename F> double MedianNsPerFrame(F&& runSlice, int runs = 15, int slices = 128)
{
    for (int s = 0; s < slices; ++s)
        runSlice();
    std::vector<double> perFrame;
    for (int r = 0; r < runs; ++r)
    {
        const std::clock_t start = std::clock();
        for (int s = 0; s < slices; ++s)
            runSlice();
        const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
        perFrame.push_back(seconds * 1e9 / (static_cast<double>(slices) * kSlice));
    }
    std::nth_element(perFrame.begin(), perFrame.begin() + runs / 2, perFrame.end());
    return perFrame[static_cast<std::size_t>(runs / 2)];
}

// The latency floor of the phaser: `stages` first-order all-pass stages with feedback, left and
// right in one vector, coefficients already in arrays, nothing else. Median ns per stereo frame
// in 512-frame slices, measured once per stage count (4 to 16) and remembered.
double ChainBoundNsPerFrame(int stages);

} // namespace Bench
