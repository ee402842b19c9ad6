// Real-time rule for the LV2 edition: its run() never touches the heap, with port changes,
// MIDI and time positions in the events port, and state saved from another thread meanwhile
// (LV2 lets save run during run). The bundle is loaded through lilv, as LV2 hosts load it.
#include "AllocationCounter.h"
#include "lv2/Lv2TestHost.h"
#include "phaser/Product.h"

#include <gtest/gtest.h>

#include <lilv/lilv.h>

#include <atomic>
#include <cmath>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace
{

using AllocationCounter::AudioScope;
using TestSupport::Lv2TestHost;

constexpr int kBlocks = 4000;
constexpr int kBlockSizes[] = {512, 1, 64, 4096, 17, 20000, 256, 333};

TEST(Lv2AudioThreadAllocation, NoneInRun)
{
    Lv2TestHost lv2;
    ASSERT_TRUE(lv2.Loaded());
    std::vector<float> inL(20000), inR(20000), outL(20000), outR(20000);
    for (std::size_t i = 0; i < inL.size(); ++i)
    {
        inL[i] = 0.5f * std::sin(0.01f * static_cast<float>(i));
        inR[i] = 0.5f * std::cos(0.013f * static_cast<float>(i));
    }
    lv2.Run(inL.data(), inR.data(), outL.data(), outR.data(), 64); // activates

    // save() may run at the same time as run(); the host's ports are not written meanwhile.
    std::mutex portsLock;
    std::atomic<bool> stop{false};
    std::thread saver(
        [&]
        {
            while (!stop.load())
            {
                std::lock_guard<std::mutex> guard(portsLock);
                lilv_state_free(lv2.Save());
            }
        });

    AllocationCounter::Reset();
    std::minstd_rand rng(3);
    double beat = 0.0;
    for (int block = 0; block < kBlocks; ++block)
    {
        const auto n = static_cast<std::uint32_t>(kBlockSizes[block % std::size(kBlockSizes)]);
        {
            std::lock_guard<std::mutex> guard(portsLock);
            lv2.controls[rng() % Kestrune::Product::kParameterCount] =
                static_cast<float>(rng() % 100) / 10.0f;
        }
        lv2.AddPosition(0, 90.0 + static_cast<double>(rng() % 90), beat);
        lv2.AddMidi(rng() % n, {0xB0, 1, static_cast<std::uint8_t>(rng() % 128)});
        lv2.AddMidi(rng() % n, {0xD0, static_cast<std::uint8_t>(rng() % 128)});
        {
            AudioScope audio;
            lv2.Run(inL.data(), inR.data(), outL.data(), outR.data(), n);
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
