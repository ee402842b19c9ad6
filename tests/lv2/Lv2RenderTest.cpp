// The LV2 edition through lilv against the VST edition through the test host, driven the same
// way: the same bits, block for block.
#include "lv2/Lv2Scenario.h"
#include "phaser/Product.h"

#include <gtest/gtest.h>

#include <lv2/atom/atom.h>

#include <cmath>

namespace
{
using namespace TestSupport;
using namespace Kestrune::Product;

const std::vector<TimedChange>& kChanges = kLockstepChanges;
const std::vector<TimedMidi>& kMidi = kLockstepMidi;

// The run through a fresh instance of each edition, the VST one started for the run's blocks.
void RunFresh(LockstepRun& run)
{
    PluginHost vst;
    StartVst(vst, run.blockSize);
    Lv2TestHost lv2;
    run.Run(vst, lv2);
}

TEST(Lv2Render, PortsMidiAndTransportGiveTheVstEditionsBits)
{
    PluginHost vst;
    ASSERT_NE(vst.Create(), nullptr);
    vst.Start(44100.0f, 512);
    Lv2TestHost lv2;
    ASSERT_TRUE(lv2.Loaded());
    LockstepRun run{kChanges, kMidi};
    run.Run(vst, lv2);

    EXPECT_TRUE(SameBits(run.lv2, run.vst));
    EXPECT_EQ(LargestDifference(run.lv2, run.vst), 0.0f);
    EXPECT_TRUE(AllFinite(run.lv2.left) && AllFinite(run.lv2.right));

    // The events matter here: without urid:map (no MIDI, no transport) the render differs.
    PluginHost vstAgain;
    StartVst(vstAgain, 512);
    Lv2TestHost deaf(false);
    ASSERT_TRUE(deaf.Loaded());
    LockstepRun withoutEvents{kChanges, kMidi};
    withoutEvents.Run(vstAgain, deaf);
    EXPECT_GT(LargestDifference(withoutEvents.lv2, run.vst), 0.01f);
}

TEST(Lv2Render, InPlaceBuffersGiveTheSameBits)
{
    LockstepRun run{kChanges, kMidi};
    run.inPlace = true;
    RunFresh(run);
    EXPECT_TRUE(SameBits(run.lv2, run.vst));
}

// The host's settings are the starting state whether it connects the control ports before
// activating or after (lv2file): no glide from the defaults in either order.
TEST(Lv2Render, PortsConnectedAfterActivatingStartAtTheirValues)
{
    LockstepRun run{kChanges, kMidi};
    run.connectAfterActivating = true;
    RunFresh(run);
    EXPECT_TRUE(SameBits(run.lv2, run.vst));
    EXPECT_EQ(LargestDifference(run.lv2, run.vst), 0.0f);
}

// NaN and infinities are refused where each edition reads them (the record's trampoline, the
// port reader): the settings stay, and both editions still give the same bits as without them.
TEST(Lv2Render, NonFiniteValuesAreRefusedWhereTheyEnter)
{
    std::vector<TimedChange> changes = kChanges;
    int block = 141; // between the scenario's own changes of these parameters
    for (float bad : {NAN, INFINITY, -INFINITY})
        for (int index : {kLfoFrequency, kDepth, kLeftFrequency, kMix})
            changes.push_back({block++, index, bad});
    LockstepRun run{changes, kMidi};
    RunFresh(run);
    LockstepRun clean{kChanges, kMidi};
    RunFresh(clean);
    EXPECT_TRUE(SameBits(run.lv2, run.vst));
    EXPECT_TRUE(SameBits(run.vst, clean.vst));
}

// A rate that cannot run is refused at instantiation (null), with the reason in the host's log
// when it gives one; the rates hosts use run.
TEST(Lv2Render, InstantiateRefusesRatesThatCannotRun)
{
    for (const double rate : {0.0, -1.0, double{NAN}, double{INFINITY}, 0.5, 1e300})
    {
        Lv2TestHost lv2(true, rate);
        EXPECT_FALSE(lv2.Loaded()) << rate;
        ASSERT_EQ(lv2.logged.size(), 1u) << rate;
        EXPECT_TRUE(lv2.logged[0].starts_with(LV2_LOG__Error " Corvane Phaser: sample rate"))
            << lv2.logged[0];
        EXPECT_FALSE(Lv2TestHost(false, rate).Loaded()) << rate; // no log: refused all the same
    }
    for (const double rate : {8000.0, 44100.0, 768000.0})
        EXPECT_TRUE(Lv2TestHost(true, rate).Loaded()) << rate;
}

// A host that sends the position only when the transport starts: the plug-in moves on at the
// tempo by itself, exactly as a VST host's song position advances.
TEST(Lv2Render, PositionSentOnceIsFollowedAtTheTempo)
{
    LockstepRun run{{{0, 2, 1.0f}, {0, 3, 0.3f}, {0, 7, 1.0f}, {0, 11, 1.0f}}, {}};
    run.blockSize = 256;
    run.positionsEveryBlock = false;
    RunFresh(run);
    EXPECT_TRUE(SameBits(run.lv2, run.vst));
}

// Without any feature (lv2apply's way) the plug-in runs: audio only, events ignored, equal to
// the VST edition in a host that sends neither events nor time information.
TEST(Lv2Render, WithoutUridMapAudioRunsAndEventsAreIgnored)
{
    PluginHost vst;
    StartVst(vst, 512);
    vst.provideTime = false;
    Lv2TestHost lv2(false);
    ASSERT_TRUE(lv2.Loaded());
    LockstepRun run{kChanges, {}};
    run.Run(vst, lv2);

    Lv2TestHost withMidi(false);
    PluginHost unused;
    StartVst(unused, 512);
    unused.provideTime = false;
    LockstepRun midiIgnored{kChanges, kMidi};
    midiIgnored.Run(unused, withMidi);
    EXPECT_TRUE(SameBits(run.lv2.left, run.vst.left));
    EXPECT_TRUE(SameBits(midiIgnored.lv2, run.vst));
}

} // namespace
