// The plug-in core with the real model under two host threads: the audio thread processes
// blocks with MIDI events while a control thread changes parameters, programs and chunks.
// Meant for the thread sanitizer; in other builds it checks that the output stays finite.
#include "host/VstPlugin.h"
#include "services/ServiceDispatcher.h"
#include "phaser/CorvanePhaserModel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

namespace
{

std::atomic<int> gAutomations{0};
VstTimeInfo gTime{};

// Touched by the audio thread (time) and by whichever thread changes a parameter (automate).
VstIntPtr VSTCALLBACK ThreadSafeHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    switch (opcode)
    {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetTime:
        return reinterpret_cast<VstIntPtr>(&gTime);
    case audioMasterAutomate:
        gAutomations.fetch_add(1, std::memory_order_relaxed);
        return 0;
    default:
        return 0;
    }
}

} // namespace

TEST(CoreThreads, ControlThreadChangesDoNotRaceWithProcessing)
{
    gTime = {};
    gTime.tempo = 120.0;
    gTime.sampleRate = 44100.0;
    auto* dispatcher = new Kestrune::ServiceDispatcher();
    auto* model = new CorvanePhaserModel("Corvane Phaser", "Corvane Sound Design", "Corvane Phaser",
                                         1000, dispatcher);
    Kestrune::Vst::VstPlugin plugin(ThreadSafeHost, dispatcher, model, kPlugCategEffect, 1);
    AEffect* effect = plugin.getAeffect();
    // Sync on so that tempo and position reach the oscillator every block.
    effect->setParameter(effect, 2, 1.0f);

    std::atomic<bool> done{false};
    std::thread control(
        [&]
        {
            std::uint32_t seed = 12345;
            auto next = [&seed]
            {
                seed = seed * 1664525u + 1013904223u;
                return static_cast<float>(seed >> 8) / 16777216.0f;
            };
            char text[64];
            int round = 0;
            while (!done.load())
            {
                const int index = static_cast<int>(next() * 13.0f) % 13;
                effect->setParameter(effect, index, next());
                effect->dispatcher(effect, effGetParamDisplay, index, 0, text, 0.0f);
                if (++round % 16 == 0)
                {
                    effect->dispatcher(effect, effSetProgram, 0, round / 16 % 32, nullptr, 0.0f);
                    void* data = nullptr;
                    const auto size = effect->dispatcher(effect, effGetChunk, 1, 0, &data, 0.0f);
                    std::vector<std::uint8_t> chunk(static_cast<std::uint8_t*>(data),
                                                    static_cast<std::uint8_t*>(data) + size);
                    effect->dispatcher(effect, effSetChunk, 1, size, chunk.data(), 0.0f);
                }
            }
        });

    std::vector<float> left(256), right(256);
    bool finite = true;
    for (int block = 0; block < 300; ++block)
    {
        for (int i = 0; i < 256; ++i)
        {
            left[static_cast<std::size_t>(i)] = std::sin(0.05f * static_cast<float>(i + block));
            right[static_cast<std::size_t>(i)] = std::cos(0.03f * static_cast<float>(i));
        }
        VstMidiEvent wheel{};
        wheel.type = kVstMidiType;
        wheel.byteSize = sizeof wheel;
        wheel.deltaFrames = block % 256;
        wheel.midiData[0] = 0xB0;
        wheel.midiData[1] = 1;
        wheel.midiData[2] = static_cast<std::uint8_t>(block % 128);
        VstEvents list{};
        list.numEvents = 1;
        list.events[0] = reinterpret_cast<VstEvent*>(&wheel);
        effect->dispatcher(effect, effProcessEvents, 0, 0, &list, 0.0f);
        gTime.ppqPos = block * 256 / 44100.0 * 2.0;
        float* io[2] = {left.data(), right.data()};
        effect->processReplacing(effect, io, io, 256);
        for (float sample : left)
            finite = finite && std::isfinite(sample);
        for (float sample : right)
            finite = finite && std::isfinite(sample);
    }
    done.store(true);
    control.join();
    EXPECT_TRUE(finite);
    // Host changes are never echoed back to the host.
    EXPECT_EQ(gAutomations.load(), 0);
}
