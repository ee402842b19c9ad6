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
    alignas(16) float value[4], target[4], aim[4], coefficient[4], sign[4], signedTarget[4];
    GlideLanes lanes;
    for (int k = 0; k < 4; ++k)
    {
        const Smoother::Glide& g = glides[k < count ? k : 0];
        value[k] = g.current;
        target[k] = g.target;
        aim[k] = g.aim;
        coefficient[k] = g.coefficient;
        sign[k] = g.falling ? -0.0f : 0.0f;
        signedTarget[k] = g.falling ? -g.target : g.target;
        lanes.output[k] = g.output;
    }
    lanes.value = Float4::Load(value);
    lanes.target = Float4::Load(target);
    lanes.aim = Float4::Load(aim);
    lanes.coefficient = Float4::Load(coefficient);
    lanes.sign = Float4::Load(sign);
    lanes.signedTarget = Float4::Load(signedTarget);
    lanes.moving = Float4::Broadcast(0.0f);
    return lanes;
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
        // smoothed on its own) is computed here.
        if (steppedCount > 0 && glide.count != slice.count)
        {
            smoother->StepPending();
            continue;
        }
        if (!std::isfinite(glide.aim - glide.current))
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
