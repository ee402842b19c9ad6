// What the built module does to audio: the sweep, bypass, MIDI at its exact sample, tempo
// sync against the song position, unusable host time, excessive feedback and wild automation.
#include "phaser/Product.h"
#include "plugin/ModuleSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <numbers>
#include <vector>

using namespace ModuleTest;
using TestSupport::PluginHost;

namespace Product = Kestrune::Product;

namespace
{

constexpr int kWindow = 4096;
// Bins 200 to 600 of the window: about 2150 to 6460 Hz.
constexpr int kFirstBin = 200;
constexpr int kLastBin = 600;

// Those bins at one amplitude with scattered phases; periodic in kWindow samples, so any
// window of that length holds whole periods of every component.
Stereo Multisine(std::size_t frames)
{
    std::vector<float> period(kWindow);
    std::uint32_t seed = 77;
    for (int k = kFirstBin; k <= kLastBin; ++k)
    {
        seed = seed * 1664525u + 1013904223u;
        const double phase = 2.0 * std::numbers::pi * (seed >> 8) / 16777216.0;
        for (int n = 0; n < kWindow; ++n)
            period[std::size_t(n)] += static_cast<float>(
                0.015 * std::cos(2.0 * std::numbers::pi * k * n / kWindow + phase));
    }
    Stereo signal;
    for (std::size_t n = 0; n < frames; ++n)
        signal.left.push_back(period[n % kWindow]);
    signal.right = signal.left;
    return signal;
}

std::complex<double> Bin(const std::vector<float>& x, std::size_t start, int k)
{
    static const std::vector<std::complex<double>> twiddle = []
    {
        std::vector<std::complex<double>> table(kWindow);
        for (int n = 0; n < kWindow; ++n)
            table[std::size_t(n)] = std::polar(1.0, -2.0 * std::numbers::pi * n / kWindow);
        return table;
    }();
    std::complex<double> sum = 0.0;
    for (int n = 0; n < kWindow; ++n)
        sum += double(x[start + std::size_t(n)]) * twiddle[std::size_t(k * n % kWindow)];
    return sum;
}

// Frequency of the deepest point of the response between lowHz and highHz, measured over the
// window centred on the given sample.
double NotchHz(const std::vector<float>& in, const std::vector<float>& out, std::size_t centre,
               double lowHz, double highHz, double* depth = nullptr)
{
    const std::size_t start = centre - kWindow / 2;
    const double binHz = 44100.0 / kWindow;
    double best = HUGE_VAL;
    int bestBin = 0;
    for (int k = std::max(kFirstBin, int(lowHz / binHz));
         k <= std::min(kLastBin, int(highHz / binHz)); ++k)
    {
        const double gain = std::abs(Bin(out, start, k) / Bin(in, start, k));
        if (gain < best)
        {
            best = gain;
            bestBin = k;
        }
    }
    if (depth != nullptr)
        *depth = best;
    return bestBin * binHz;
}

Stereo Slice(const Stereo& s, std::size_t from, std::size_t to)
{
    return {{s.left.begin() + long(from), s.left.begin() + long(to)},
            {s.right.begin() + long(from), s.right.begin() + long(to)}};
}

Stereo Join(const Stereo& a, const Stereo& b)
{
    Stereo joined = a;
    joined.left.insert(joined.left.end(), b.left.begin(), b.left.end());
    joined.right.insert(joined.right.end(), b.right.begin(), b.right.end());
    return joined;
}

} // namespace

TEST(ModuleAudio, DefaultSettingsSweepNotchesThroughTheSpectrum)
{
    auto host = StartedHost();
    ASSERT_TRUE(host);
    // 1.3 s: more than a cycle of the default 0.8 Hz oscillator.
    const Stereo input = Multisine(57344);
    const Stereo output = RenderBlocks(*host, input, 512);
    ASSERT_TRUE(AllFinite(output));
    EXPECT_FALSE(SameBits(output.left, input.left));

    // Four stages at half mix: a notch where the cascade turns the phase by 540 degrees, about
    // 3750 Hz at the 2500 Hz centre. The depth of 1/16 octave moves it about 4% either way:
    // the left channel follows the sine (top at 0.3125 s, bottom at 0.9375 s), the right one
    // the cosine (top at the start, bottom at 0.625 s).
    double depth = 0.0;
    const double leftHigh = NotchHz(input.left, output.left, 13781, 2500, 6000, &depth);
    EXPECT_LT(depth, 0.05);
    const double leftLow = NotchHz(input.left, output.left, 41344, 2500, 6000);
    const double rightHigh = NotchHz(input.right, output.right, 2560, 2500, 6000);
    const double rightLow = NotchHz(input.right, output.right, 27563, 2500, 6000);
    EXPECT_NEAR(leftHigh, 3908.0, 40.0);
    EXPECT_NEAR(leftLow, 3598.0, 40.0);
    EXPECT_NEAR(rightLow, 3598.0, 40.0);
    EXPECT_NEAR(rightHigh, 3900.0, 40.0); // the cosine is at 0.95 there
    std::printf("notch left %.0f / %.0f Hz, right %.0f / %.0f Hz, depth %.4f\n", leftHigh, leftLow,
                rightHigh, rightLow, depth);
}

TEST(ModuleAudio, DisabledPassesAudioAndFreezesTheOscillator)
{
    const int block = 512;
    const Stereo input = TestInput(60 * block);

    auto toggled = StartedHost();
    ASSERT_TRUE(toggled);
    toggled->Effect()->setParameter(toggled->Effect(), Product::kFeedback, 0.5f);
    const Stereo output = RenderBlocks(
        *toggled, input, block,
        [&](int b)
        {
            if (b == 20)
                toggled->Effect()->setParameter(toggled->Effect(), Product::kEnabled, 0.0f);
            if (b == 40)
                toggled->Effect()->setParameter(toggled->Effect(), Product::kEnabled, 1.0f);
        });
    EXPECT_FALSE(SameBits(output, input, 0, 20 * block));
    EXPECT_TRUE(SameBits(output, input, 20 * block, 40 * block));

    // A render that never stopped but never saw the bypassed stretch: the oscillator and the
    // filters take up exactly where they stood.
    auto straight = StartedHost();
    ASSERT_TRUE(straight);
    straight->Effect()->setParameter(straight->Effect(), Product::kFeedback, 0.5f);
    const Stereo skipped =
        Join(Slice(input, 0, 20 * block), Slice(input, 40 * block, input.Frames()));
    const Stereo reference = RenderBlocks(*straight, skipped, block);
    EXPECT_TRUE(SameBits(Slice(output, 0, 20 * block), Slice(reference, 0, 20 * block)));
    EXPECT_TRUE(SameBits(Slice(output, 40 * block, output.Frames()),
                         Slice(reference, 20 * block, reference.Frames())));

    // Disabled and in place: the host's buffers are left as they are.
    toggled->Effect()->setParameter(toggled->Effect(), Product::kEnabled, 0.0f);
    std::vector<float> left = input.left, right = input.right;
    toggled->Process(left.data(), right.data(), left.data(), right.data(), 4096);
    EXPECT_TRUE(SameBits(left, input.left));
    EXPECT_TRUE(SameBits(right, input.right));
}

TEST(ModuleAudio, AWheelEventMovesThePhaserFromItsSampleOn)
{
    const int block = 512;
    const Stereo input = TestInput(40 * block);
    auto render = [&](bool withEvent)
    {
        auto host = CreateHost();
        Stereo silent;
        if (!host)
            return silent;
        // "Modulation Source" MW, full depth; set before resuming so nothing glides.
        host->Effect()->setParameter(host->Effect(), Product::kSweepSource, 2.0f / 3.0f);
        host->Effect()->setParameter(host->Effect(), Product::kDepth, 1.0f);
        host->Start();
        return RenderBlocks(*host, input, block,
                            [&](int b)
                            {
                                if (withEvent && b == 20)
                                    host->AddMidi(100, 0xB0, 1, 127);
                            });
    };
    const Stereo plain = render(false);
    const Stereo moved = render(true);
    const std::size_t at = 20 * block + 100;
    EXPECT_TRUE(SameBits(plain, moved, 0, at));
    EXPECT_TRUE(plain.left[at] != moved.left[at] || plain.right[at] != moved.right[at]);
    EXPECT_FALSE(SameBits(plain, moved, at + 1000, at + 2000));
}

TEST(ModuleAudio, TempoSyncRealignsToTheSongPosition)
{
    // 375 samples at 48 kHz and 120 beats per minute are 1/64 of a quarter note: every block
    // starts at a position a float holds exactly.
    const int block = 375;
    const Stereo input = TestInput(200 * block, 48000.0);
    auto render = [&](double startPpq)
    {
        PluginHost host;
        Stereo silent;
        if (host.Create() == nullptr)
            return silent;
        host.Start(48000.0f, block);
        host.Effect()->setParameter(host.Effect(), 2, 1.0f); // sync on
        host.Effect()->setParameter(host.Effect(), 3, 0.4f); // "1/4": one cycle per quarter note
        host.time.ppqPos = startPpq;
        return RenderBlocks(host, input, block);
    };
    const Stereo a = render(0.25);
    const Stereo b = render(3.25); // three cycles later
    const Stereo c = render(0.75); // half a cycle later
    ASSERT_TRUE(AllFinite(a));
    EXPECT_TRUE(SameBits(a, b));
    EXPECT_FALSE(SameBits(a, c, block));
}

// However the host slices it, a synchronised sweep follows the song position, late in a song as
// at its start: at beat 10000 (83 minutes at 120 bpm) a float holds the position only to a
// thousandth of a beat, an eighth of a 1/32 note's cycle.
TEST(ModuleAudio, TempoSyncAgreesAcrossBlockSizesLateInASong)
{
    constexpr double kRate = 44100.0;
    const Stereo input = TestInput(22050);
    auto render = [&](float resolution, double startPpq, int block)
    {
        auto host = CreateHost();
        Stereo silent;
        if (!host)
            return silent;
        // A deep, resonant sweep, set before resuming so nothing glides.
        host->Effect()->setParameter(host->Effect(), Product::kLfoSync, 1.0f);
        host->Effect()->setParameter(host->Effect(), Product::kLfoSyncResolution, resolution);
        host->Effect()->setParameter(host->Effect(), Product::kDepth, 1.0f);
        host->Effect()->setParameter(host->Effect(), Product::kFeedback, 0.9f);
        host->Effect()->setParameter(host->Effect(), Product::kStageMode, 1.0f);
        host->Start(kRate, block);
        host->advanceTime = false;
        host->time.tempo = 120.0;
        return RenderBlocks(*host, input, block,
                            [&](int b)
                            {
                                host->time.samplePos = double(b) * block;
                                host->time.ppqPos = startPpq + host->time.samplePos / kRate * 2.0;
                            });
    };
    const struct
    {
        float resolution;
        const char* name;
        double halfCycle; // quarter notes
    } notes[] = {{0.0f, "1/32", 0.0625}, {0.2f, "1/12", 1.0 / 6.0}};
    auto apart = [](const Stereo& a, const Stereo& b)
    {
        float largest = 0.0f;
        for (std::size_t i = 0; i < std::min(a.Frames(), b.Frames()); ++i)
            largest = std::max(
                {largest, std::fabs(a.left[i] - b.left[i]), std::fabs(a.right[i] - b.right[i])});
        return largest;
    };
    for (const auto& note : notes)
    {
        for (const double start : {0.3, 10000.3})
        {
            // Blocks of one sample are re-aligned at every sample.
            const Stereo reference = render(note.resolution, start, 1);
            float worst = 0.0f;
            for (const int block : {37, 512, 4096})
                worst = std::max(worst, apart(reference, render(note.resolution, start, block)));
            EXPECT_LT(worst, 1e-3f) << note.name << " from beat " << start;
            std::printf("%s from beat %g: blocks 37 to 4096 differ from blocks of 1 by %.2g\n",
                        note.name, start, double(worst));
            // Half a cycle later the sweep is far from there: the position does steer it.
            EXPECT_GT(apart(reference, render(note.resolution, start + note.halfCycle, 1)), 0.05f)
                << note.name << " from beat " << start;
        }
    }
}

TEST(ModuleAudio, UnusableHostTimeChangesNothingAudible)
{
    const int block = 256;
    const Stereo input = TestInput(80 * block);
    const double bad[] = {std::numeric_limits<double>::quiet_NaN(), HUGE_VAL, -HUGE_VAL, 1e300,
                          -1e300};
    auto render = [&](bool spoil)
    {
        PluginHost host;
        Stereo silent;
        if (host.Create() == nullptr)
            return silent;
        host.Start();
        host.Effect()->setParameter(host.Effect(), 2, 1.0f);
        host.Effect()->setParameter(host.Effect(), 3, 0.4f);
        host.advanceTime = false;
        host.time.tempo = 120.0;
        host.time.ppqPos = 1.5;
        return RenderBlocks(host, input, block,
                            [&](int b)
                            {
                                if (!spoil || b == 0)
                                    return;
                                const double value = bad[std::size_t(b) % 5];
                                host.time.tempo = b % 3 != 1 ? value : 120.0;
                                host.time.ppqPos = b % 3 != 2 ? value : 1.5;
                            });
    };
    const Stereo clean = render(false);
    const Stereo spoiled = render(true);
    ASSERT_TRUE(AllFinite(spoiled));
    EXPECT_TRUE(SameBits(clean, spoiled));
}

TEST(ModuleAudio, FeedbackBeyondOneIsHeldAtTheMaximum)
{
    const Stereo input = TestInput(44100);
    auto render = [&](float feedback)
    {
        auto host = StartedHost();
        Stereo silent;
        if (!host)
            return silent;
        host->Effect()->setParameter(host->Effect(), Product::kFeedback, feedback);
        host->Effect()->setParameter(host->Effect(), Product::kStageMode, 1.0f); // 16 stages
        host->Effect()->setParameter(host->Effect(), Product::kDepth,
                                     1.0f); // a full octave of sweep
        return RenderBlocks(*host, input, 512);
    };
    const Stereo beyond = render(5.0f);
    ASSERT_TRUE(AllFinite(beyond));
    EXPECT_TRUE(SameBits(beyond, render(1.0f)));
    EXPECT_FALSE(SameBits(beyond, render(0.9f)));
    // The loop gain of 0.95 lifts the cascade at most twentyfold; half of it is mixed in.
    const float in = std::max(Peak(input.left), Peak(input.right));
    EXPECT_LT(std::max(Peak(beyond.left), Peak(beyond.right)), 0.5f * in + 0.5f * 20.0f * in);
}

TEST(ModuleAudio, WildAutomationNeverProducesNonFiniteOutput)
{
    auto host = StartedHost(44100.0f, 128);
    ASSERT_TRUE(host);
    const Stereo input = TestInput(600 * 128);
    std::uint32_t seed = 2024;
    auto next = [&seed]
    {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<double>(seed >> 8) / 16777216.0;
    };
    const float specials[] = {std::numeric_limits<float>::quiet_NaN(),
                              std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(), -10.0f, 10.0f};
    const Stereo output =
        RenderBlocks(*host, input, 128,
                     [&](int b)
                     {
                         for (int k = 0; k < 4; ++k)
                         {
                             const int index =
                                 int(next() * int{Kestrune::Product::kParameterCount}) %
                                 Kestrune::Product::kParameterCount;
                             const double r = next();
                             const float value =
                                 r < 0.15 ? specials[int(r * 33) % 5] : float(next() * 20.0 - 10.0);
                             host->Effect()->setParameter(host->Effect(), index, value);
                         }
                         if (b % 7 == 0)
                             host->AddMidi(b % 128, 0xB0, 1, std::uint8_t(next() * 127));
                         if (b % 11 == 0)
                             host->AddMidi(5, 0xD0, std::uint8_t(b % 128), 0);
                     });
    EXPECT_TRUE(AllFinite(output));
    for (int i = 0; i < Kestrune::Product::kParameterCount; ++i)
    {
        EXPECT_TRUE(std::isfinite(host->Effect()->getParameter(host->Effect(), i))) << i;
        const std::string text = host->GetString(effGetParamDisplay, i);
        EXPECT_FALSE(text.empty()) << i;
        EXPECT_LE(text.size(), 7u) << i;
    }
}
