// The built module against the independent double-precision model of its signal chain
// (plugin/PhaserReference.h) over seconds of audio with parameter changes between blocks.
#include "plugin/ModuleSupport.h"
#include "plugin/PhaserReference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

using namespace ModuleTest;

namespace
{

struct Change
{
    int block;
    int index;
    float value;
};

struct Deviation
{
    double left = 0.0; // largest difference relative to the model's peak, per channel
    double right = 0.0;
    double Worst() const { return std::max(left, right); }
};

double Relative(const std::vector<float>& actual, const std::vector<double>& expected)
{
    double peak = 0.0;
    double worst = 0.0;
    for (std::size_t i = 0; i < expected.size(); ++i)
    {
        peak = std::max(peak, std::fabs(expected[i]));
        const double difference = std::fabs(static_cast<double>(actual[i]) - expected[i]);
        // A NaN difference must count as a failure, not vanish in max().
        worst = std::isnan(difference) ? HUGE_VAL : std::max(worst, difference);
    }
    return worst / peak;
}

// Largest difference allowed between module and model, relative to the model's peak. The
// module computes in 32-bit floats: each operation rounds by up to 6e-8 relative, a sample
// passes through up to 16 stages of four operations each, and feedback up to 0.9 recirculates
// the error about tenfold (1 / (1 - 0.9)), which accounts for the largest deviations seen,
// about 5e-5 (in the stretch with 16 stages and feedback 0.9). The oscillator's 32-bit
// recurrence drifts in phase by rounding too, but over seconds only by about 1e-5 radians.
// The tolerance keeps a margin of about 5 over that; a 1% error in a setting misses by 0.05.
constexpr double kTolerance = 3e-4;

constexpr int kBlock = 512;
constexpr float kRate = 44100.0f;

struct Scenario
{
    std::vector<Change> changes;
    double startPpq = 0.0;
    std::vector<std::pair<int, double>> tempi; // block, beats per minute from there on
    double feedbackScale = 1.0;                // in the model only
};

// Renders the input through the module and through the model with the same changes and the
// same host time; answers the deviation and, when asked, the module's output.
Deviation Compare(const Stereo& input, const Scenario& scenario, Stereo* moduleOutput = nullptr)
{
    auto host = StartedHost(kRate, kBlock);
    if (!host)
        return {HUGE_VAL, HUGE_VAL};
    host->time.ppqPos = scenario.startPpq;
    Reference::PhaserModel model(kRate);
    model.feedbackScale = scenario.feedbackScale;

    std::vector<double> modelL(input.Frames()), modelR(input.Frames());
    const Stereo output = RenderBlocks(
        *host, input, kBlock,
        [&](int block)
        {
            for (const Change& change : scenario.changes)
            {
                if (change.block == block)
                {
                    host->Effect()->setParameter(host->Effect(), change.index, change.value);
                    model.SetParameter(change.index, change.value);
                }
            }
            for (const auto& [at, bpm] : scenario.tempi)
            {
                if (at == block)
                    host->time.tempo = bpm;
            }
            const std::size_t start = std::size_t(block) * kBlock;
            const int n = static_cast<int>(std::min<std::size_t>(kBlock, input.Frames() - start));
            model.Process(host->time.tempo, host->time.ppqPos, input.left.data() + start,
                          input.right.data() + start, modelL.data() + start, modelR.data() + start,
                          n);
        });
    if (moduleOutput != nullptr)
        *moduleOutput = output;
    return {Relative(output.left, modelL), Relative(output.right, modelR)};
}

// Three seconds that visit every parameter the model covers: feedback, depth, both centre
// frequencies, the oscillator's rate, stage counts, quadrature off and on, bypass, mix, the
// "None" source, and tempo sync at "1/2" and "1/4".
const std::vector<Change> kSchedule = {
    {0, 11, 0.8f},   {20, 6, 0.6f},   {20, 7, 0.5f},    {40, 8, 0.3f},   {40, 9, 0.62f},
    {60, 0, 0.35f},  {90, 10, 0.5f},  {110, 4, 0.0f},   {130, 5, 0.0f},  {140, 5, 1.0f},
    {150, 11, 1.0f}, {150, 6, 0.9f},  {170, 4, 1.0f},   {170, 7, 1.0f},  {180, 2, 1.0f},
    {190, 3, 0.4f},  {200, 12, 0.0f}, {215, 12, 0.25f}, {230, 10, 1.0f}, {230, 8, 0.8f},
    {245, 2, 0.0f}};

} // namespace

TEST(ReferenceModel, ModuleFollowsTheDoublePrecisionModel)
{
    const Stereo input = TestInput(3 * 44100);
    Stereo output;
    Scenario scenario;
    scenario.changes = kSchedule;
    const Deviation deviation = Compare(input, scenario, &output);
    EXPECT_LT(deviation.left, kTolerance);
    EXPECT_LT(deviation.right, kTolerance);
    EXPECT_TRUE(AllFinite(output));

    // The comparison can tell a setting that is 1% off: it misses by far more than the
    // tolerance (about 0.05 of the peak).
    Scenario perturbed = scenario;
    perturbed.feedbackScale = 1.01;
    const Deviation wrong = Compare(input, perturbed);
    EXPECT_GT(wrong.Worst(), 20 * kTolerance);
    std::printf("deviation from the model, relative to its peak: left %.2g, right %.2g; "
                "with 1%% more feedback in the model: %.2g\n",
                deviation.left, deviation.right, wrong.Worst());
}

// "1/4" at 120 beats per minute is 2 Hz, re-aligned to the song position at every block; a
// tempo change mid-way changes the rate from that block on.
TEST(ReferenceModel, TempoSyncFollowsTheModel)
{
    const Stereo input = TestInput(2 * 44100);
    Scenario sync;
    sync.changes = {{0, 2, 1.0f}, {0, 3, 0.4f}, {0, 7, 0.6f}, {0, 6, 0.5f}, {0, 11, 1.0f}};
    sync.startPpq = 0.37;
    EXPECT_LT(Compare(input, sync).Worst(), kTolerance);

    sync.startPpq = 5.25;
    sync.tempi = {{80, 90.0}};
    EXPECT_LT(Compare(input, sync).Worst(), kTolerance);

    // A model that ignored the song position would be far off.
    Scenario unaligned = sync;
    unaligned.startPpq = 5.5;
    Stereo aligned;
    Compare(input, sync, &aligned);
    Stereo shifted;
    Compare(input, unaligned, &shifted);
    EXPECT_FALSE(SameBits(aligned, shifted));
}
