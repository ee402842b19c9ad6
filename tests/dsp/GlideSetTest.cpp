// Glides stepped by their smoothers (alone) or four to a vector inside the phaser's loop, against
// the same smoothers each running its own loop before the phaser, and against a plain loop
// computing one sample at a time: the same bits in every buffer, output and state, through rises,
// falls, arrivals, stalls just short of 1, turns, both zeros and targets near the float range.
#include "dsp/GlideSet.h"
#include "dsp/Phaser.h"
#include "dsp/Smoother.h"

#include "support/FakeServiceProvider.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

using Kestrune::Effects::Phaser;
using Kestrune::Parameters::GlideSet;
using Kestrune::Parameters::Smoother;

namespace
{

bool SameBits(const float* a, const float* b, int n)
{
    return std::memcmp(a, b, static_cast<std::size_t>(n) * sizeof(float)) == 0;
}

// A slice's glide one sample at a time, the step in double where the float difference
// overflows: what the lanes must give.
struct Reference
{
    std::vector<float> output;
    float value;
    bool stopped;
};

Reference ReferenceGlide(const Smoother::Glide& g)
{
    Reference r{std::vector<float>(static_cast<std::size_t>(g.count), g.target), g.current, false};
    int i = 0;
    for (; i < g.count && (g.falling ? r.value > g.target : r.value < g.target); ++i)
    {
        float step = (g.aim - r.value) * g.coefficient;
        if (!std::isfinite(step))
            step = static_cast<float>((static_cast<double>(g.aim) - r.value) * g.coefficient);
        r.value += step;
        r.output[static_cast<std::size_t>(i)] =
            g.falling ? std::max(r.value, g.target) : std::min(r.value, g.target);
    }
    r.stopped = i < g.count;
    return r;
}

// Plain smoothers and deferred twins in a glide set, given the same targets and slices. A slow
// rate (200 Hz) makes glides arrive within a few slices; 44100 Hz lets rises to 1 stall.
struct Twins
{
    TestSupport::FakeServiceProvider slow, fast;
    std::vector<std::unique_ptr<Smoother>> plain, deferred;
    GlideSet set;
    std::mt19937 rng{7};

    explicit Twins(int count)
    {
        slow.sampleRate = 200.0f;
        for (int i = 0; i < count; ++i)
        {
            auto* provider = i % 2 == 0 ? &slow : &fast;
            plain.push_back(std::make_unique<Smoother>(provider));
            deferred.push_back(std::make_unique<Smoother>(provider));
            EXPECT_TRUE(set.Add(*deferred.back()));
            // The fast ones rise to 1 first, long enough to stall below it.
            if (provider == &fast)
            {
                plain.back()->SetTarget(1.0f);
                deferred.back()->SetTarget(1.0f);
            }
        }
    }

    // Now and then a new target for each pair, from values that reach every path of the glide.
    void Retarget()
    {
        static constexpr float kTargets[] = {0.0f,  -0.0f, 1.0f,     0.5f,     2500.0f, -0.25f,
                                             1e-3f, 1e30f, -3e38f,   3e38f,    FLT_MAX, -FLT_MAX,
                                             7.0f,  0.3f,  0.30001f, 1.000001f};
        for (std::size_t i = 0; i < plain.size(); ++i)
        {
            if (rng() % (i % 2 == 0 ? 6u : 120u) != 0)
                continue;
            const float target = kTargets[rng() % std::size(kTargets)];
            plain[i]->SetTarget(target);
            deferred[i]->SetTarget(target);
        }
    }

    int Smooth()
    {
        const int n = static_cast<int>(rng() % 700u);
        for (std::size_t i = 0; i < plain.size(); ++i)
        {
            plain[i]->Smooth(n);
            deferred[i]->Smooth(n);
        }
        return n;
    }

    // The deferred ones' pending glides, computed by the reference loop.
    std::vector<Reference> References()
    {
        std::vector<Reference> references;
        for (auto& smoother : deferred)
            references.push_back(ReferenceGlide(smoother->PendingGlide()));
        return references;
    }

    void ExpectReference(const std::vector<Reference>& references, int slice)
    {
        for (std::size_t i = 0; i < deferred.size(); ++i)
        {
            const Reference& r = references[i];
            const int n = static_cast<int>(r.output.size());
            if (n == 0)
                continue;
            ASSERT_TRUE(SameBits(r.output.data(), deferred[i]->GetBuffer(), n))
                << "smoother " << i << ", slice " << slice;
            ASSERT_EQ(std::bit_cast<std::uint32_t>(r.value),
                      std::bit_cast<std::uint32_t>(deferred[i]->GetCurrent()));
            ASSERT_EQ(r.stopped ? Smoother::Arrived : Smoother::Moving, deferred[i]->GetState());
        }
    }

    void ExpectSame(int n, int slice)
    {
        for (std::size_t i = 0; i < plain.size(); ++i)
        {
            ASSERT_TRUE(SameBits(plain[i]->GetBuffer(), deferred[i]->GetBuffer(), n))
                << "smoother " << i << ", slice " << slice;
            ASSERT_EQ(std::bit_cast<std::uint32_t>(plain[i]->GetCurrent()),
                      std::bit_cast<std::uint32_t>(deferred[i]->GetCurrent()));
            ASSERT_EQ(plain[i]->GetState(), deferred[i]->GetState());
        }
    }
};

} // namespace

TEST(GlideSet, LanesGiveTheBitsOfAPlainLoop)
{
    for (int count : {1, 3, 4, 5, 8})
    {
        Twins twins(count);
        bool stalled = false;
        for (int slice = 0; slice < 400; ++slice)
        {
            twins.Retarget();
            const int n = twins.Smooth();
            const std::vector<Reference> references = twins.References();
            twins.set.Start();
            twins.set.StepAlone();
            twins.ExpectReference(references, slice);
            twins.ExpectSame(n, slice);
            for (auto& s : twins.plain)
                stalled |= s->GetState() == Smoother::Moving && s->GetCurrent() > 0.99996f &&
                           s->GetCurrent() < 1.0f && s->GetTarget() == 1.0f;
        }
        if (count >= 4)
        {
            EXPECT_TRUE(stalled) << "no rise to 1 stalled: the test reaches too little";
        }
    }
}

TEST(GlideSet, PendingSamplesAreComputedBeforeAnythingThatDependsOnThem)
{
    Twins twins(2);
    auto step = [&twins]
    {
        twins.set.Start();
        twins.set.StepAlone();
    };
    for (auto* s : {twins.plain[1].get(), twins.deferred[1].get()})
        s->SetTarget(0.75f);
    // Smoothed twice before the set steps: the second Smooth computes the first slice.
    twins.Smooth();
    int n = twins.Smooth();
    step();
    twins.ExpectSame(n, 0);
    // A rate change: the pending slice glides at the old rate.
    twins.Smooth();
    twins.fast.ChangeSampleRate(48000.0f);
    n = twins.Smooth();
    step();
    twins.ExpectSame(n, 1);
    // A reset drops them: the smoother jumps to its target.
    twins.Smooth();
    twins.fast.ResetAll();
    step();
    twins.ExpectSame(Kestrune::kMaxBlockSize, 2);
}

// A glide heading for -0 whose step lands exactly on 0 (+0): every output's sign and the value
// reached are Smooth's, rising from below and falling from above.
TEST(GlideSet, LandingExactlyOnZeroKeepsTheSignsOfSmooth)
{
    Twins twins(1);
    const float c = twins.plain[0]->GetCoefficient();
    const float aim = -0.0f + 0.0001f;
    // x = (aim + x) x c exactly: from -x the first step rises to 0, from x it falls to 0.
    float x = 0.0f;
    for (int i = 0; i < 1000; ++i)
        x = (aim + x) * c;
    float below = x, above = x;
    for (int k = 0; k < 100000 && (aim + x) * c != x; ++k)
    {
        below = std::nextafter(below, 0.0f);
        above = std::nextafter(above, 1.0f);
        x = (aim + below) * c == below ? below : above;
    }
    ASSERT_EQ((aim + x) * c, x);
    for (float start : {-x, x})
    {
        for (auto* s : {twins.plain[0].get(), twins.deferred[0].get()})
            s->SetTarget(start);
        twins.slow.ResetAll();
        for (auto* s : {twins.plain[0].get(), twins.deferred[0].get()})
        {
            s->SetTarget(-0.0f);
            s->Smooth(8);
        }
        twins.set.Start();
        twins.set.StepAlone();
        EXPECT_EQ(std::bit_cast<std::uint32_t>(twins.plain[0]->GetBuffer()[0]), 0u);
        twins.ExpectSame(8, 0);
    }
}

TEST(GlideSet, HoldsEightSmoothersOnce)
{
    Twins twins(8);
    EXPECT_FALSE(twins.set.Add(*twins.deferred[0]));
    TestSupport::FakeServiceProvider provider;
    Smoother ninth(&provider);
    EXPECT_FALSE(twins.set.Add(ninth));
    // Not taken: it keeps computing its slices in Smooth.
    ninth.SetTarget(1.0f);
    ninth.Smooth(4);
    EXPECT_GT(ninth.GetBuffer()[3], 0.0f);
}

// The phaser stepping the glides of its depth, frequencies, mix and sources inside its loop,
// against smoothers that filled their buffers first; slices of every length up to 19 and long
// ones, one and two vectors of glides.
TEST(PhaserGlides, InsideTheLoopGivesTheBitsOfSmoothingFirst)
{
    for (int count : {4, 6})
    {
        Twins twins(count);
        Phaser plainPhaser(&twins.fast), steppingPhaser(&twins.fast);
        for (auto* phaser : {&plainPhaser, &steppingPhaser})
        {
            auto& smoothers = phaser == &plainPhaser ? twins.plain : twins.deferred;
            phaser->SetEnabled(true);
            phaser->SetFeedback(0.7f);
            phaser->SetStageMode(count == 4 ? 0 : 6);
            phaser->SetModulationDepth1(smoothers[0]->GetBuffer());
            phaser->SetLeftFrequency(smoothers[1]->GetBuffer());
            phaser->SetRightFrequency(smoothers[2]->GetBuffer());
            phaser->SetMix(smoothers[3]->GetBuffer());
            phaser->SetLeftModulationSource(smoothers[count - 1]->GetBuffer());
        }
        const std::vector<float> frequencies = {300.0f, 2500.0f, 9000.0f};
        std::vector<float> in(2048), plainL(2048), plainR(2048), outL(2048), outR(2048);
        // The oscillator's outputs, which nothing reads here.
        std::vector<float> sink(4096);
        std::mt19937 rng(3);
        std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
        for (int slice = 0; slice < 300; ++slice)
        {
            for (std::size_t i = 1; i <= 2; ++i)
            {
                const float f = frequencies[rng() % 3];
                twins.plain[i]->SetTarget(f);
                twins.deferred[i]->SetTarget(f);
            }
            twins.Retarget();
            const int n = slice % 40 < 20 ? slice % 20 : static_cast<int>(rng() % 2048u);
            for (int i = 0; i < n; ++i)
                in[static_cast<std::size_t>(i)] = noise(rng);
            for (std::size_t i = 0; i < twins.plain.size(); ++i)
            {
                twins.plain[i]->Smooth(n);
                twins.deferred[i]->Smooth(n);
            }
            Kestrune::Modulators::CoupledOscillator a{
                0.0f, 1.0f, 0.01f, 1.0f, true, sink.data(), sink.data() + 2048};
            Kestrune::Modulators::CoupledOscillator b = a;
            plainPhaser.Process(in.data(), in.data(), plainL.data(), plainR.data(), n, a);
            GlideSet::Slice glides = twins.set.Start();
            steppingPhaser.Process(in.data(), in.data(), outL.data(), outR.data(), n, b, glides);
            twins.set.Finish(glides);
            ASSERT_TRUE(SameBits(plainL.data(), outL.data(), n) &&
                        SameBits(plainR.data(), outR.data(), n))
                << count << " glides, slice " << slice << " of " << n << " samples";
            twins.ExpectSame(n, slice);
            EXPECT_EQ(a.sine, b.sine);
        }
    }
}
