#include "dsp/GlideSet.h"

#include <algorithm>
#include <cmath>

namespace Kestrune::Parameters
{

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
        slice.lanes[v] = GlideLanes::Pack(glides + 4 * v, std::min(4, steppedCount - 4 * v));
    return slice;
}

void GlideSet::StepAlone()
{
    for (int k = 0; k < steppedCount; ++k)
        stepped[static_cast<std::size_t>(k)]->StepPending();
    steppedCount = 0;
}

void GlideSet::Finish(const Slice& slice)
{
    for (int v = 0; v < slice.vectors; ++v)
    {
        for (int k = 0; k < 4 && 4 * v + k < steppedCount; ++k)
        {
            float reached = 0.0f;
            bool stopped = false;
            slice.lanes[v].Result(k, slice.count, reached, stopped);
            stepped[static_cast<std::size_t>(4 * v + k)]->FinishGlide(reached, stopped);
        }
    }
    steppedCount = 0;
}

} // namespace Kestrune::Parameters
