#include "dsp/GlideSet.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace Kestrune::Parameters
{

namespace
{

using Simd::Float4;

// Lanes from glides[0..count-1] (1 to 4); the other lanes repeat lane 0.
GlideLanes Pack(const Smoother::Glide* glides, int count)
{
    const Smoother::Glide& g0 = glides[0];
    const Smoother::Glide& g1 = glides[count > 1 ? 1 : 0];
    const Smoother::Glide& g2 = glides[count > 2 ? 2 : 0];
    const Smoother::Glide& g3 = glides[count > 3 ? 3 : 0];
    auto lanes = [&](auto field)
    { return Float4::FromLanes(field(g0), field(g1), field(g2), field(g3)); };
    auto sign = [](const Smoother::Glide& g) { return g.falling ? -0.0f : 0.0f; };
    GlideLanes packed;
    packed.value = lanes([](const Smoother::Glide& g) { return g.current; });
    packed.target = lanes([](const Smoother::Glide& g) { return g.target; });
    packed.aim = lanes([](const Smoother::Glide& g) { return g.aim; });
    packed.coefficient = lanes([](const Smoother::Glide& g) { return g.coefficient; });
    packed.sign = lanes(sign);
    packed.signedTarget = Xor(packed.target, packed.sign);
    packed.moving = Float4::Broadcast(0.0f);
    packed.output[0] = g0.output;
    packed.output[1] = g1.output;
    packed.output[2] = g2.output;
    packed.output[3] = g3.output;
    return packed;
}

template <int Vectors> void Step(GlideSet::Slice& slice)
{
    GlideLanes lanes[Vectors];
    std::copy_n(slice.lanes, Vectors, lanes);
    for (int i = 0; i < slice.count; ++i)
        for (GlideLanes& l : lanes)
            l.Step(i);
    std::copy_n(lanes, Vectors, slice.lanes);
}

} // namespace

bool GlideSet::Add(Smoother& smoother)
{
    const auto end = smoothers.begin() + size;
    if (size == kCapacity || std::find(smoothers.begin(), end, &smoother) != end)
        return false;
    smoothers[static_cast<std::size_t>(size++)] = &smoother;
    smoother.DeferSteps();
    return true;
}

GlideSet::Slice GlideSet::Start()
{
    Smoother::Glide glides[kCapacity];
    steppedCount = 0;
    Slice slice;
    for (int s = 0; s < size; ++s)
    {
        Smoother* smoother = smoothers[static_cast<std::size_t>(s)];
        const Smoother::Glide glide = smoother->PendingGlide();
        if (glide.count == 0)
            continue;
        // Every pending glide comes from the same Smooth; one of another length (a smoother
        // smoothed on its own), or one whose distance overflows, is computed here.
        if ((steppedCount > 0 && glide.count != slice.count) ||
            !std::isfinite(glide.aim - glide.current))
        {
            smoother->StepPending();
            continue;
        }
        slice.count = glide.count;
        glides[steppedCount] = glide;
        stepped[static_cast<std::size_t>(steppedCount++)] = smoother;
    }
    slice.vectors = (steppedCount + 3) / 4;
    for (int v = 0; v < slice.vectors; ++v)
        slice.lanes[v] = Pack(glides + 4 * v, std::min(4, steppedCount - 4 * v));
    return slice;
}

void GlideSet::Run(Slice& slice)
{
    if (slice.vectors == 1)
        Step<1>(slice);
    else if (slice.vectors == 2)
        Step<2>(slice);
}

void GlideSet::Finish(const Slice& slice)
{
    for (int v = 0; v < slice.vectors; ++v)
    {
        alignas(16) float value[4], moving[4];
        slice.lanes[v].value.Store(value);
        slice.lanes[v].moving.Store(moving);
        for (int k = 0; k < 4 && 4 * v + k < steppedCount; ++k)
        {
            // A lane that did not step its last sample stopped within the slice.
            const bool stopped = std::bit_cast<std::uint32_t>(moving[k]) == 0;
            stepped[static_cast<std::size_t>(4 * v + k)]->FinishGlide(value[k], stopped);
        }
    }
    steppedCount = 0;
}

} // namespace Kestrune::Parameters
