// The CLAP edition through the host library's CLAP host against the VST edition through the
// test host, driven the same way: the same bits, block for block.
#include "clap/ClapLockstep.h"

#include <gtest/gtest.h>

namespace
{
using namespace TestSupport;

Rendered RunFresh(ClapLockstep& run)
{
    PluginHost vst;
    StartVst(vst, run.blockSize);
    auto clap = NewClapInstance();
    run.Run(vst, *clap);
    return run.vst;
}

TEST(ClapRender, ParametersMidiAndTransportGiveTheVstEditionsBits)
{
    for (const int blockSize : {1, 64, 512, 8192})
        for (const bool inPlace : {false, true})
        {
            SCOPED_TRACE(testing::Message() << "block " << blockSize << " in place " << inPlace);
            ClapLockstep run{AtBlockStarts(kLockstepChanges), kLockstepMidi};
            run.blockSize = blockSize;
            run.inPlace = inPlace;
            RunFresh(run);
            EXPECT_TRUE(SameBits(run.clap, run.vst));
            EXPECT_EQ(LargestDifference(run.clap, run.vst), 0.0f);
            EXPECT_TRUE(AllFinite(run.clap.left) && AllFinite(run.clap.right));
        }

    // The events matter: without MIDI and transport the render differs.
    ClapLockstep deaf{AtBlockStarts(kLockstepChanges), kLockstepMidi};
    deaf.events = false;
    RunFresh(deaf);
    EXPECT_GT(LargestDifference(deaf.clap, deaf.vst), 0.01f);
}

// A change in the middle of a block takes effect at its frame: the same bits as the VST
// edition with its block split there.
TEST(ClapRender, ParameterEventsTakeEffectAtTheirFrames)
{
    ClapLockstep run{{{0, 0, 0, 0.35f},
                      {0, 0, 11, 0.9f},
                      {3, 100, 8, 0.2f},
                      {3, 300, 10, 1.0f},
                      {7, 1, 6, 0.9f},
                      {7, 511, 5, 0.0f},
                      {9, 200, 5, 1.0f}},
                     {}};
    RunFresh(run);
    EXPECT_TRUE(SameBits(run.clap, run.vst));
}

} // namespace
