// The audio-thread loop both plug-in editions' allocation tests drive: a stereo sine input,
// blocks of mixed sizes up to kAudioLoopFrames with events queued before each, and state saved
// from another thread all the while. No heap operation may fall inside process, and the output
// stays finite.
#pragma once

#include "AllocationCounter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <random>
#include <thread>
#include <vector>

namespace Standalone
{

constexpr std::uint32_t kAudioLoopFrames = 20000;

// queue(rng, frames, beat) adds a block's events; process(inL, inR, outL, outR, frames) runs it;
// save() stores the state once. The first block (64 frames) runs before counting starts.
template <typename Queue, typename Process, typename Save>
void ExpectNoHeapInAudioLoop(Queue queue, Process process, Save save)
{
    constexpr std::uint32_t kBlockSizes[] = {512, 1, 64, 4096, 17, kAudioLoopFrames, 256, 333};
    std::vector<float> inL(kAudioLoopFrames), inR(kAudioLoopFrames);
    std::vector<float> outL(kAudioLoopFrames), outR(kAudioLoopFrames);
    for (std::size_t i = 0; i < inL.size(); ++i)
    {
        inL[i] = 0.5f * std::sin(0.01f * static_cast<float>(i));
        inR[i] = 0.5f * std::cos(0.013f * static_cast<float>(i));
    }
    process(inL.data(), inR.data(), outL.data(), outR.data(), 64u);

    std::atomic<bool> stop{false};
    std::thread saver(
        [&]
        {
            while (!stop.load())
                save();
        });
    AllocationCounter::Reset();
    std::minstd_rand rng(3);
    double beat = 0.0;
    for (int block = 0; block < 4000; ++block)
    {
        const std::uint32_t n = kBlockSizes[block % std::size(kBlockSizes)];
        queue(rng, n, beat);
        {
            AllocationCounter::AudioScope audio;
            process(inL.data(), inR.data(), outL.data(), outR.data(), n);
        }
        beat += n / 44100.0 * 2.0;
    }
    stop = true;
    saver.join();
    EXPECT_EQ(AllocationCounter::Allocations(), 0u);
    EXPECT_EQ(AllocationCounter::Releases(), 0u);
    for (std::size_t i = 0; i < outL.size(); ++i)
        ASSERT_TRUE(std::isfinite(outL[i]) && std::isfinite(outR[i]));
}

} // namespace Standalone
