// Real-time rule for the CLAP edition: process never touches the heap, with parameter, MIDI and
// transport events at random frames, block sizes from 1 to 20000 and state saved from the main
// thread meanwhile (CLAP lets state run while audio does). The binary is loaded through the host
// library's CLAP host.
#include "AllocationCounter.h"
#include "hostkit/ClapHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

namespace
{

using AllocationCounter::AudioScope;

constexpr int kBlocks = 4000;
constexpr std::uint32_t kBlockSizes[] = {512, 1, 64, 4096, 17, 20000, 256, 333};

TEST(ClapAudioThreadAllocation, NoneInProcess)
{
    HostKit::ClapModule module(CORVANE_CLAP_BINARY);
    HostKit::ClapInstance plugin(module, "com.corvane.phaser");
    ASSERT_TRUE(plugin.Activate(44100.0, 20000));
    std::vector<float> inL(20000), inR(20000), outL(20000), outR(20000);
    for (std::size_t i = 0; i < inL.size(); ++i)
    {
        inL[i] = 0.5f * std::sin(0.01f * static_cast<float>(i));
        inR[i] = 0.5f * std::cos(0.013f * static_cast<float>(i));
    }
    plugin.Process(inL.data(), inR.data(), outL.data(), outR.data(), 64);

    std::atomic<bool> stop{false};
    std::thread saver(
        [&]
        {
            std::vector<std::uint8_t> state;
            while (!stop.load())
                plugin.SaveState(state);
        });

    AllocationCounter::Reset();
    std::minstd_rand rng(3);
    double beat = 0.0;
    for (int block = 0; block < kBlocks; ++block)
    {
        const std::uint32_t n = kBlockSizes[block % std::size(kBlockSizes)];
        plugin.AddParameter(rng() % n, rng() % 14, static_cast<double>(rng() % 100) / 10.0);
        plugin.AddMidi(rng() % n, 0xB0, 1, static_cast<std::uint8_t>(rng() % 128));
        plugin.AddMidi(rng() % n, 0xD0, static_cast<std::uint8_t>(rng() % 128), 0);
        plugin.AddTransport(rng() % n, 90.0 + static_cast<double>(rng() % 90), beat);
        plugin.SetTransport(120.0, beat);
        {
            AudioScope audio;
            plugin.Process(inL.data(), inR.data(), outL.data(), outR.data(), n);
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

} // namespace
