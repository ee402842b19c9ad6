#pragma once

#include "dsp/Simd.h"
#include "dsp/Smoother.h"

#include <array>

namespace Kestrune::Parameters
{

// Four smoother glides stepped together, one per lane, so that their dependency chains overlap
// instead of running one after another. Lane k computes, sample by sample, the bits
// Smoother::Smooth computes for its glide: the same step, and the same comparison and bound,
// which for a falling glide are done on sign-flipped copies (the bit flip is exact). Lanes
// without a glide repeat lane 0: they write the same values into the same buffer.
struct GlideLanes
{
    Simd::Float4 value;
    Simd::Float4 target;
    Simd::Float4 aim;
    Simd::Float4 coefficient;
    Simd::Float4 sign;         // -0 in falling lanes, +0 in rising ones
    Simd::Float4 signedTarget; // target with the lane's sign flipped
    Simd::Float4 moving;       // mask: the lane stepped its latest sample
    float* output[4];

    // Sample i of every lane; samples go from 0 up, one at a time.
    void Step(int i)
    {
        using Simd::Float4;
        // value < target rising, value > target falling.
        moving = Less(Xor(value, sign), signedTarget);
        const Float4 next = value + (aim - value) * coefficient;
        value = Or(And(moving, next), AndNot(moving, value));
        // std::min(next, target) rising, std::max(next, target) falling.
        const Float4 bounded = Xor(Min(signedTarget, Xor(next, sign)), sign);
        Or(And(moving, bounded), AndNot(moving, target))
            .StoreLanes(output[0] + i, output[1] + i, output[2] + i, output[3] + i);
    }
};

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
    // Steps a started slice in a loop of its own, for a slice no other loop steps.
    static void Run(Slice& slice);
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
