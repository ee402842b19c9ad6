#include "dsp/Smoother.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace Kestrune::Parameters
{

namespace
{
constexpr float kOvershoot = 0.0001f;
} // namespace

Smoother::Smoother(IServiceProvider* serviceProvider) : provider(serviceProvider)
{
    provider->AddResettable(this);
    provider->AddSampleRateObserver(this);
    provider->AddSmoothable(this);
    ComputeCoefficient();
    Reset();
}

Smoother::~Smoother()
{
    provider->RemoveResettable(this);
    provider->RemoveSampleRateObserver(this);
    provider->RemoveSmoothable(this);
}

void Smoother::SetTarget(float value)
{
    // Settings reach it only finite: an overflowing transform never applies.
    assert(std::isfinite(value));
    requested.store(value, std::memory_order_relaxed);
    pending.store(true, std::memory_order_release);
}

void Smoother::TakePendingTarget()
{
    // The plain load first: the exchange is a locked instruction, and most slices find nothing.
    if (!pending.load(std::memory_order_relaxed) ||
        !pending.exchange(false, std::memory_order_acquire))
        return;
    target = requested.load(std::memory_order_relaxed);
    if (target < current)
    {
        falling = 1;
        aim = target - kOvershoot;
    }
    else
    {
        falling = 0;
        aim = target + kOvershoot;
    }
    state = Moving;
}

void Smoother::Reset()
{
    owed = 0;
    TakePendingTarget();
    current = target;
    Fill(0, kMaxBlockSize, target);
    falling = 0;
    state = Settled;
}

void Smoother::OnSampleRateChanged(float)
{
    StepPending();
    ComputeCoefficient();
}

void Smoother::ComputeCoefficient()
{
    const double samples =
        static_cast<double>(provider->GetSampleRate()) * static_cast<double>(smoothingTime) + 1.0;
    coefficient = samples > 0.0 ? static_cast<float>(1.0 - std::exp(-1.0 / samples)) : 1.0f;
}

void Smoother::Fill(int from, int to, float value)
{
    std::fill(output + from, output + to, value);
}

void Smoother::Smooth(std::int32_t sampleCount)
{
    StepPending();
    TakePendingTarget();
    const int n = std::clamp<std::int32_t>(sampleCount, 0, kMaxBlockSize);
    if (state == Settled)
        return;
    if (state == Arrived)
    {
        Reset();
        return;
    }
    owed = n;
    if (!deferred)
        StepPending();
}

void Smoother::StepPending()
{
    const int n = owed;
    owed = 0;
    const int wide = StepWide(n);
    if (wide == n)
        return;
    Glide glide{current, target, aim, coefficient, falling != 0, output + wide, n - wide};
    GlideLanes lanes = GlideLanes::Pack(&glide, 1);
    for (int i = 0; i < glide.count; ++i)
        lanes.Step(i);
    float reached = 0.0f;
    bool stopped = false;
    lanes.Result(0, glide.count, reached, stopped);
    FinishGlide(reached, stopped);
}

void Smoother::FinishGlide(float value, bool stopped)
{
    owed = 0;
    current = value;
    if (stopped)
        state = Arrived;
}

// While the float difference to the aim overflows, a step in float would turn the glide
// infinite and then NaN: those steps are taken in double. Answers the samples written.
int Smoother::StepWide(int n)
{
    const bool down = falling != 0;
    int i = 0;
    for (; i < n && !std::isfinite(aim - current) && (down ? current > target : current < target);
         ++i)
    {
        current += static_cast<float>((static_cast<double>(aim) - static_cast<double>(current)) *
                                      static_cast<double>(coefficient));
        output[i] = down ? std::max(current, target) : std::min(current, target);
    }
    return i;
}

} // namespace Kestrune::Parameters
