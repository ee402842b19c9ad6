// Real-time rule for the LV2 edition: its run() never touches the heap, with port changes,
// MIDI and time positions in the events port, and state saved from another thread meanwhile
// (LV2 lets save run during run). The bundle is loaded through lilv, as LV2 hosts load it.
#include "AudioLoop.h"
#include "lv2/Lv2TestHost.h"
#include "phaser/Product.h"

#include <lilv/lilv.h>

#include <mutex>

namespace
{

TEST(Lv2AudioThreadAllocation, NoneInRun)
{
    TestSupport::Lv2TestHost lv2;
    ASSERT_TRUE(lv2.Loaded());
    // save() may run at the same time as run(); the host's ports are not written meanwhile.
    std::mutex portsLock;
    Standalone::ExpectNoHeapInAudioLoop(
        [&](std::minstd_rand& rng, std::uint32_t n, double beat)
        {
            {
                std::lock_guard<std::mutex> guard(portsLock);
                lv2.controls[rng() % Kestrune::Product::kParameterCount] =
                    static_cast<float>(rng() % 100) / 10.0f;
            }
            lv2.AddPosition(0, 90.0 + static_cast<double>(rng() % 90), beat);
            lv2.AddMidi(rng() % n, {0xB0, 1, static_cast<std::uint8_t>(rng() % 128)});
            lv2.AddMidi(rng() % n, {0xD0, static_cast<std::uint8_t>(rng() % 128)});
        },
        [&](const float* inL, const float* inR, float* outL, float* outR, std::uint32_t n)
        { lv2.Run(inL, inR, outL, outR, n); }, // the first run activates
        [&]
        {
            std::lock_guard<std::mutex> guard(portsLock);
            lilv_state_free(lv2.Save());
        });
}

} // namespace
