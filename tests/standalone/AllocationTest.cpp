// Real-time rule: in steady state the plug-in never touches the heap on the audio thread. The
// built module is loaded with dlopen; every heap operation on the thread marked as the audio
// thread is counted while it handles event lists and processes blocks, with MIDI controllers,
// pressure, notes, pitch bend and sys-ex, moving time information, and parameter, program and
// chunk changes from a control thread.
#include "AllocationCounter.h"
#include "ModuleHost.h"
#include "phaser/Product.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <random>
#include <thread>
#include <vector>

using AllocationCounter::AudioScope;
using Standalone::ModuleHost;

namespace
{

constexpr int kMaxFrames = 20000;
constexpr int kBlocks = 10000;
// A mix of host block sizes, one longer than the plug-in's 16384-sample buffers.
constexpr int kBlockSizes[] = {512, 1, 64, 4096, 17, 20000, 256, 1000, 128, 333};

// Control thread: automation of every parameter, program switches, chunk round trips, texts.
void Control(ModuleHost& host, const std::atomic<bool>& stop)
{
    std::minstd_rand rng(11);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    char text[64];
    for (int step = 0; !stop.load(); ++step)
    {
        const auto index = static_cast<VstInt32>(rng() % Kestrune::Product::kParameterCount);
        host.SetParameter(index, step % 17 == 0 ? 1.5f : unit(rng));
        host.Dispatch(effGetParamDisplay, index, 0, text);
        if (step % 40 == 0)
            host.Dispatch(effSetProgram, 0, static_cast<VstIntPtr>(rng() % 32));
        if (step % 90 == 0)
        {
            void* data = nullptr;
            const bool preset = step % 180 == 0;
            const VstIntPtr size = host.Dispatch(effGetChunk, preset ? 1 : 0, 0, &data);
            std::vector<char> copy(static_cast<char*>(data), static_cast<char*>(data) + size);
            host.Dispatch(effSetChunk, preset ? 1 : 0, size, copy.data());
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

// MIDI for one block: controllers with meanings (1, 7, 11, 64, 120 to 125) and without,
// pressure, notes, pitch bend, sys-ex; some offsets outside the block.
void AddEvents(ModuleHost& host, std::minstd_rand& rng, int frames)
{
    static constexpr std::uint8_t kControllers[] = {1, 7, 11, 64, 120, 121, 122, 123, 124, 125, 2};
    const int count = static_cast<int>(rng() % 12);
    for (int e = 0; e < count; ++e)
    {
        const auto offset =
            static_cast<std::int32_t>(rng() % static_cast<unsigned>(frames + 8)) - (e == 0 ? 4 : 0);
        const auto channel = static_cast<std::uint8_t>(rng() % 16);
        const auto value = static_cast<std::uint8_t>(rng() % 128);
        switch (rng() % 7)
        {
        case 0:
        case 1:
            host.AddMidi(offset, 0xB0 | channel, kControllers[rng() % std::size(kControllers)],
                         value);
            break;
        case 2:
            host.AddMidi(offset, 0xD0 | channel, value, 0);
            break;
        case 3:
            host.AddMidi(offset, 0x90 | channel, value, 100);
            host.AddMidi(offset, 0x80 | channel, value, 0);
            break;
        case 4:
            host.AddMidi(offset, 0xE0 | channel, value, static_cast<std::uint8_t>(rng() % 128));
            break;
        case 5:
            host.AddMidi(offset, 0xA0 | channel, value, value);
            break;
        default:
            host.AddSysex(offset);
            break;
        }
    }
}

} // namespace

TEST(AudioThreadAllocation, CounterSeesHeapOperationsInTheModule)
{
    ModuleHost host;
    ASSERT_TRUE(host.Load(CORVANE_MODULE_PATH, 44100.0f, 512));
    AllocationCounter::Reset();
    {
        AudioScope audio;
        delete new int(1);
        // A bank chunk is written into storage the module allocates.
        void* data = nullptr;
        host.Dispatch(effGetChunk, 0, 0, &data);
    }
    EXPECT_GE(AllocationCounter::Allocations(), 2u);
    EXPECT_GE(AllocationCounter::Releases(), 1u);
}

TEST(AudioThreadAllocation, NoneInSteadyState)
{
    ModuleHost host;
    ASSERT_TRUE(host.Load(CORVANE_MODULE_PATH, 44100.0f, 4096));
    std::vector<float> inL(kMaxFrames), inR(kMaxFrames), outL(kMaxFrames), outR(kMaxFrames);
    for (int i = 0; i < kMaxFrames; ++i)
    {
        inL[static_cast<std::size_t>(i)] = 0.5f * std::sin(0.01f * static_cast<float>(i));
        inR[static_cast<std::size_t>(i)] = 0.5f * std::cos(0.013f * static_cast<float>(i));
    }
    float* inputs[2] = {inL.data(), inR.data()};
    float* outputs[2] = {outL.data(), outR.data()};

    std::atomic<bool> stop{false};
    std::uint64_t allocations = 0, releases = 0;
    long frames = 0;
    std::thread audio(
        [&]
        {
            std::minstd_rand rng(5);
            for (int block = 0; block < kBlocks; ++block)
            {
                const int n = kBlockSizes[static_cast<std::size_t>(block) % std::size(kBlockSizes)];
                AddEvents(host, rng, n);
                if (block % 200 == 100)
                    host.time.tempo = 60.0 + static_cast<double>(rng() % 180);
                {
                    AudioScope scope;
                    host.SendEvents();
                    host.ProcessReplacing(inputs, outputs, n);
                }
                host.time.samplePos += n;
                host.time.ppqPos += n / host.time.sampleRate * host.time.tempo / 60.0;
                frames += n;
                if (block == 0)
                {
                    // Steady state starts after the first block.
                    AllocationCounter::ReportOnAudioThread(3);
                    AllocationCounter::Reset();
                }
            }
            allocations = AllocationCounter::Allocations();
            releases = AllocationCounter::Releases();
        });
    std::thread control([&] { Control(host, stop); });
    audio.join();
    stop.store(true);
    control.join();

    EXPECT_EQ(allocations, 0u) << "allocations on the audio thread over " << frames << " frames";
    EXPECT_EQ(releases, 0u) << "releases on the audio thread over " << frames << " frames";
    for (float x : outL)
        ASSERT_TRUE(std::isfinite(x));
}
