#include "dsp/Smoother.h"

#include "dsp/SignalChecks.h"
#include "support/FakeServiceProvider.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

using Kestrune::Parameters::Smoother;

namespace
{

constexpr int kSlice = 512;

struct Rig
{
    TestSupport::FakeServiceProvider provider;
    // Large object (64 KiB buffer): kept on the heap.
    std::unique_ptr<Smoother> smoother;
    std::vector<float> record;

    explicit Rig(float sampleRate = 44100.0f)
    {
        provider.sampleRate = sampleRate;
        smoother = std::make_unique<Smoother>(&provider);
    }

    // Smooths `slices` slices of `size` samples and appends what each slice outputs.
    void Run(int slices, int size = kSlice)
    {
        for (int s = 0; s < slices; ++s)
        {
            smoother->Smooth(size);
            record.insert(record.end(), smoother->GetBuffer(), smoother->GetBuffer() + size);
        }
    }

    // Index of the first recorded sample equal to value, or -1.
    long FirstIndexOf(float value) const
    {
        const auto it = std::find(record.begin(), record.end(), value);
        return it == record.end() ? -1 : static_cast<long>(it - record.begin());
    }

    double LargestStep() const { return DspTests::LargestStep(record); }
};

} // namespace

TEST(SmootherLifecycle, RegistersInOrderAndStartsSettledAtZero)
{
    TestSupport::FakeServiceProvider provider;
    {
        auto smoother = std::make_unique<Smoother>(&provider);
        ASSERT_EQ(provider.resettables.size(), 1u);
        ASSERT_EQ(provider.sampleRateObservers.size(), 1u);
        ASSERT_EQ(provider.smoothables.size(), 1u);
        EXPECT_EQ(provider.smoothables[0], smoother.get());
        EXPECT_EQ(smoother->GetState(), Smoother::Settled);

        const float* buffer = smoother->GetBuffer();
        smoother->Smooth(kSlice);
        EXPECT_EQ(smoother->GetBuffer(), buffer);
        EXPECT_TRUE(std::all_of(buffer, buffer + Kestrune::kMaxBlockSize,
                                [](float x) { return x == 0.0f; }));
        EXPECT_EQ(smoother->GetState(), Smoother::Settled);
    }
    EXPECT_TRUE(provider.resettables.empty());
    EXPECT_TRUE(provider.sampleRateObservers.empty());
    EXPECT_TRUE(provider.smoothables.empty());
}

TEST(SmootherCoefficient, FollowsTheSampleRate)
{
    Rig at44(44100.0f), at48(48000.0f);
    EXPECT_NEAR(at44.smoother->GetCoefficient(), 0.000227, 0.0000005);
    EXPECT_NEAR(at48.smoother->GetCoefficient(), 0.000208, 0.0000005);
    // 1 - exp(-1 / (rate x 0.1 s + 1)).
    EXPECT_FLOAT_EQ(at44.smoother->GetCoefficient(),
                    static_cast<float>(1.0 - std::exp(-1.0 / 4411.0)));

    at44.provider.ChangeSampleRate(48000.0f);
    EXPECT_EQ(at44.smoother->GetCoefficient(), at48.smoother->GetCoefficient());
}

TEST(SmootherGlide, RisesToHalfAndSettlesOneSliceLater)
{
    Rig rig;
    rig.smoother->SetTarget(0.5f);
    rig.Run(1);
    EXPECT_NEAR(rig.record[0], 0.000113, 0.0000005);
    EXPECT_NEAR(rig.record[0], 0.5001 * 0.000227, 0.0000005);

    while (rig.smoother->GetState() == Smoother::Moving && rig.record.size() < 100000)
        rig.Run(1);
    ASSERT_EQ(rig.smoother->GetState(), Smoother::Arrived);
    const long arrival = rig.FirstIndexOf(0.5f);
    EXPECT_NEAR(arrival, 37800, 200);
    EXPECT_TRUE(std::is_sorted(rig.record.begin(), rig.record.end()));
    EXPECT_TRUE(std::all_of(rig.record.begin() + arrival, rig.record.end(),
                            [](float x) { return x == 0.5f; }));

    rig.Run(1);
    EXPECT_EQ(rig.smoother->GetState(), Smoother::Settled);
    EXPECT_TRUE(std::all_of(rig.record.end() - kSlice, rig.record.end(),
                            [](float x) { return x == 0.5f; }));
    EXPECT_EQ(rig.smoother->GetCurrent(), 0.5f);
}

TEST(SmootherGlide, FallsFromOneToZeroWithoutUndershoot)
{
    Rig rig;
    rig.smoother->SetTarget(1.0f);
    rig.smoother->Reset();
    EXPECT_EQ(rig.smoother->GetBuffer()[Kestrune::kMaxBlockSize - 1], 1.0f);
    rig.smoother->SetTarget(0.0f);
    rig.Run(1);
    while (rig.smoother->GetState() == Smoother::Moving && rig.record.size() < 100000)
        rig.Run(1);
    ASSERT_EQ(rig.smoother->GetState(), Smoother::Arrived);
    EXPECT_NEAR(rig.FirstIndexOf(0.0f), 40600, 200);
    EXPECT_TRUE(std::is_sorted(rig.record.rbegin(), rig.record.rend()));
    EXPECT_GE(*std::min_element(rig.record.begin(), rig.record.end()), 0.0f);
    rig.Run(1);
    EXPECT_EQ(rig.smoother->GetState(), Smoother::Settled);
}

TEST(SmootherGlide, LongerFallsTakeLonger)
{
    Rig rig;
    rig.smoother->SetTarget(2500.0f);
    rig.smoother->Reset();
    rig.smoother->SetTarget(0.0f);
    rig.Run(160);
    EXPECT_NEAR(rig.FirstIndexOf(0.0f), 75100, 300);
}

// Float rounding ends the rise short of 1: the step falls below half an ulp of the value.
TEST(SmootherGlide, RiseToOneStallsBelowTheTargetAndKeepsMoving)
{
    Rig rig;
    rig.smoother->SetTarget(1.0f);
    rig.Run(100);
    EXPECT_EQ(rig.smoother->GetState(), Smoother::Moving);
    const float last = rig.record.back();
    EXPECT_NEAR(last, 0.99997f, 0.00001f);
    EXPECT_LT(last, 1.0f);
    const long stall = static_cast<long>(std::find(rig.record.begin(), rig.record.end(), last) -
                                         rig.record.begin());
    EXPECT_NEAR(stall, 38900, 300);
    EXPECT_TRUE(std::all_of(rig.record.begin() + stall, rig.record.end(),
                            [last](float x) { return x == last; }));

    Rig big;
    big.smoother->SetTarget(2500.0f);
    big.Run(160);
    EXPECT_NEAR(big.record.back(), 2499.46f, 0.02f);
    EXPECT_EQ(big.smoother->GetState(), Smoother::Moving);

    rig.smoother->Reset();
    EXPECT_EQ(rig.smoother->GetCurrent(), 1.0f);
    EXPECT_EQ(rig.smoother->GetState(), Smoother::Settled);
}

TEST(SmootherGlide, TargetEqualToCurrentArrivesAtOnce)
{
    Rig rig;
    rig.smoother->SetTarget(0.0f);
    rig.Run(1);
    EXPECT_EQ(rig.smoother->GetState(), Smoother::Arrived);
    EXPECT_TRUE(std::all_of(rig.record.begin(), rig.record.end(), [](float x) { return x == 0; }));
}

TEST(SmootherGlide, TurnsMidGlideWithoutAJump)
{
    Rig rig;
    rig.smoother->SetTarget(1.0f);
    rig.Run(20);
    const float reached = rig.record.back();
    ASSERT_GT(reached, 0.8f);
    rig.smoother->SetTarget(0.2f);
    rig.Run(1);
    // The first falling sample continues from where the rise stopped.
    const float first = rig.record[rig.record.size() - kSlice];
    EXPECT_LT(first, reached);
    EXPECT_NEAR(first, reached, 0.000227 * (reached - 0.2f) * 1.01);
    rig.Run(100);
    EXPECT_LE(rig.LargestStep(), 0.000227 * 1.0001 * 1.01);
    EXPECT_GE(*std::min_element(rig.record.begin(), rig.record.end()), 0.0f);
    EXPECT_EQ(rig.record.back(), 0.2f);
}

TEST(SmootherGlide, SampleRateChangeAltersOnlyTheSpeed)
{
    Rig rig;
    rig.smoother->SetTarget(1.0f);
    rig.Run(10);
    const double before =
        static_cast<double>(rig.record.back()) - rig.record[rig.record.size() - 2];
    rig.provider.ChangeSampleRate(48000.0f);
    rig.Run(1);
    const std::size_t first = rig.record.size() - kSlice;
    const double after = static_cast<double>(rig.record[first]) - rig.record[first - 1];
    // Same remaining distance (one sample apart), a slower coefficient, no jump.
    EXPECT_NEAR(after / before, 0.000208 / 0.000227, 0.005);
    EXPECT_EQ(rig.smoother->GetState(), Smoother::Moving);
}

// Targets posted from another thread while the audio thread smooths: every output lies
// between the smallest and largest target, never torn or non-finite.
TEST(SmootherTarget, TargetsFromAnotherThreadStayConsistent)
{
    Rig rig;
    std::atomic<bool> stop{false};
    std::thread poster(
        [&]
        {
            for (int i = 0; !stop.load(); ++i)
                rig.smoother->SetTarget((i % 2) ? 0.25f : 0.75f);
        });
    for (int s = 0; s < 200; ++s)
    {
        rig.smoother->Smooth(64);
        const float* out = rig.smoother->GetBuffer();
        for (int i = 0; i < 64; ++i)
            ASSERT_TRUE(out[i] >= 0.0f && out[i] <= 0.75f) << out[i];
    }
    stop = true;
    poster.join();
}
