#pragma once

#include "dsp/GlideLanes.h"
#include "dsp/Smoother.h"

#include <array>

namespace Kestrune::Parameters
{

// The smoothers whose glides the processing loop steps itself, four to a vector, inside a loop
// it runs anyway (the phaser's): each added smoother defers its steps (Smoother::DeferSteps).
//
// Threads: Add while the object graph is built; the rest [audio], after the service provider's
// Smooth for the slice and before anything reads the smoothers' buffers.
class GlideSet
{
public:
    static constexpr int kCapacity = 8;
    static constexpr int kMaxVectors = kCapacity / 4;

    // One slice's glides: vectors 0 to 2, each of count samples from index 0.
    struct Slice
    {
        int vectors = 0;
        int count = 0;
        GlideLanes lanes[kMaxVectors];
    };

    // False (and the smoother keeps stepping in Smooth) when the set is full or holds it.
    bool Add(Smoother& smoother);

    // The glides the last Smooth left pending, packed into vectors. A glide whose distance to
    // its aim overflows a float (targets near the float range) is computed here instead, in its
    // own smoother's loop, which steps it in double; any other glide stays within its start and
    // aim, so its steps stay finite.
    Slice Start();
    // For a started slice no processing loop steps: each smoother steps its own glide.
    void StepAlone();
    // Hands the values reached back to the smoothers: call once per started slice, after all of
    // its count samples were stepped.
    void Finish(const Slice& slice);

private:
    std::array<Smoother*, kCapacity> smoothers{};
    int size = 0;
    // The smoothers of the started slice's lanes, in lane order.
    std::array<Smoother*, kCapacity> stepped{};
    int steppedCount = 0;
};

} // namespace Kestrune::Parameters
