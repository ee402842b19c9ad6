// Real-time rule for the CLAP edition: process never touches the heap, with parameter, MIDI and
// transport events at random frames, block sizes from 1 to 20000 and state saved from the main
// thread meanwhile (CLAP lets state run while audio does). The binary is loaded through the host
// library's CLAP host.
#include "AudioLoop.h"
#include "hostkit/ClapHost.h"

namespace
{

TEST(ClapAudioThreadAllocation, NoneInProcess)
{
    HostKit::ClapModule module(CORVANE_CLAP_BINARY);
    HostKit::ClapInstance plugin(module, "com.corvane.phaser");
    ASSERT_TRUE(plugin.Activate(44100.0, Standalone::kAudioLoopFrames));
    Standalone::ExpectNoHeapInAudioLoop(
        [&](std::minstd_rand& rng, std::uint32_t n, double beat)
        {
            plugin.AddParameter(rng() % n, rng() % 14, static_cast<double>(rng() % 100) / 10.0);
            plugin.AddMidi(rng() % n, 0xB0, 1, static_cast<std::uint8_t>(rng() % 128));
            plugin.AddMidi(rng() % n, 0xD0, static_cast<std::uint8_t>(rng() % 128), 0);
            plugin.AddTransport(rng() % n, 90.0 + static_cast<double>(rng() % 90), beat);
            plugin.SetTransport(120.0, beat);
        },
        [&](const float* inL, const float* inR, float* outL, float* outR, std::uint32_t n)
        { plugin.Process(inL, inR, outL, outR, n); },
        [&, state = std::vector<std::uint8_t>()]() mutable { plugin.SaveState(state); });
}

} // namespace
