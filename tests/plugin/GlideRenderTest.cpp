// Renders in which the smoothers glide nearly all the time, through the built module: the host
// moves "Modulation Depth", both frequencies and "Wet/Dry Mix" between blocks of many sizes
// (1 frame to more than 16384), the modulation wheel and channel pressure arrive inside blocks
// and feed the sweep, glides turn, arrive, stall just short of 1, and run on while the phaser is
// switched off. However the per-sample work is arranged, the bits must stay those of the
// smoothers stepped one after another before the phaser.
//
// Golden digests: captured from the build whose smoothers each ran their own loop before the
// phaser (the plain arrangement). A change that is meant to alter the sound regenerates them:
// run this test, take the digests it prints for the new render, and say why in the commit.
#include "ModuleSupport.h"
#include "phaser/Product.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace
{

using namespace Kestrune::Product;
constexpr int kEnabled = 5;
constexpr int kSource = 12;

// FNV-1a over the bits of every sample, left then right.
std::uint64_t Digest(const ModuleTest::Stereo& s)
{
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (const auto* channel : {&s.left, &s.right})
        for (float x : *channel)
        {
            std::uint32_t bits = 0;
            std::memcpy(&bits, &x, sizeof bits);
            for (int b = 0; b < 4; ++b)
            {
                h ^= (bits >> (8 * b)) & 0xFFu;
                h *= 0x100000001b3ull;
            }
        }
    return h;
}

struct Lcg
{
    std::uint32_t state;
    std::uint32_t Next()
    {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    float Unit() { return static_cast<float>(Next() % 1001u) / 1000.0f; }
};

// Block sizes cycling from one frame to a stretch the plug-in smooths in two chunks.
constexpr int kBlockSizes[] = {512, 1, 64, 333, 4096, 17, 128, 20000, 3, 1024, 64, 700};

ModuleTest::Stereo Render(int stages, std::uint32_t seed)
{
    auto host = ModuleTest::StartedHost(44100.0f, 20000);
    if (!host)
        return {};
    auto* effect = host->Effect();
    auto set = [effect](int index, float value) { effect->setParameter(effect, index, value); };
    set(kStageMode, stages == 16 ? 1.0f : 0.0f);
    set(6, 0.6f); // feedback
    const ModuleTest::Stereo input = ModuleTest::TestInput(441000);
    ModuleTest::Stereo output;
    output.left.assign(input.Frames(), 0.0f);
    output.right.assign(input.Frames(), 0.0f);
    Lcg random{seed};
    float depth = 0.25f, left = 0.5f, right = 0.5f, mix = 0.5f;
    std::size_t start = 0;
    for (int block = 0; start < input.Frames(); ++block)
    {
        const int size = static_cast<int>(
            std::min<std::size_t>(std::size_t(kBlockSizes[block % 12]), input.Frames() - start));
        // Most blocks turn every glide. Every 70 blocks the glides are nudged and then left for
        // about two seconds: they arrive, except a rise of the mix to 1, which stalls.
        const int phase = block % 70;
        if (phase < 30 && block % 9 < 6)
        {
            depth = random.Unit();
            left = 0.2f + 0.6f * random.Unit();
            right = 0.2f + 0.6f * random.Unit();
            mix = block % 5 == 0 ? 1.0f : random.Unit();
        }
        else if (phase == 30)
        {
            depth += 0.001f;
            left += 1e-6f;
            right -= 1e-6f;
            mix = (block / 70) % 2 == 0 ? 1.0f : mix - 0.001f;
        }
        set(kDepth, depth);
        set(kLeftFrequency, left);
        set(kRightFrequency, right);
        set(kMix, mix);
        if (block % 4 == 1)
            host->AddMidi(static_cast<int>(random.Next() % std::uint32_t(size)), 0xB0, 1,
                          static_cast<std::uint8_t>(random.Next() % 128u));
        if (block % 6 == 2)
            host->AddMidi(0, 0xD0, static_cast<std::uint8_t>(random.Next() % 128u), 0);
        // The sweep from the oscillator, the wheel or the pressure in turn.
        if (block % 10 == 3)
            set(kSource, static_cast<float>((block / 10) % 3 + 1) / 3.0f);
        // Off for a few blocks mid-glide, and once a reset mid-glide.
        if (block % 25 == 7)
            set(kEnabled, 0.0f);
        if (block % 25 == 10)
            set(kEnabled, 1.0f);
        if (block == 40)
        {
            host->Dispatch(effMainsChanged, 0, 0);
            host->Dispatch(effMainsChanged, 0, 1);
        }
        std::vector<float> inL(input.left.begin() + long(start),
                               input.left.begin() + long(start) + size);
        std::vector<float> inR(input.right.begin() + long(start),
                               input.right.begin() + long(start) + size);
        host->Process(inL.data(), inR.data(), output.left.data() + start,
                      output.right.data() + start, size);
        start += std::size_t(size);
    }
    return output;
}

} // namespace

TEST(GlideRender, AutomatedRendersKeepTheirBits)
{
    const struct
    {
        int stages;
        std::uint32_t seed;
        std::uint64_t digest;
    } cases[] = {
        {4, 1u, 0x034903bbf0caf8b0ull},
        {16, 2u, 0x5d65bbbde9ce9b31ull},
    };
    for (const auto& c : cases)
    {
        const ModuleTest::Stereo output = Render(c.stages, c.seed);
        ASSERT_TRUE(ModuleTest::AllFinite(output));
        const std::uint64_t digest = Digest(output);
        EXPECT_EQ(digest, c.digest) << c.stages << " stages: digest 0x" << std::hex << digest;
    }
}
