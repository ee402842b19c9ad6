#include "dsp/Smoother.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace Kestrune::Parameters
{

namespace
{
constexpr float kOvershoot = 0.0001f;

// (aim - value) x coefficient; in double when the float difference would overflow (a glide
// across most of the float range), so the glide never turns infinite and then NaN.
inline float Step(float aim, float value, float coefficient)
{
    const float step = (aim - value) * coefficient;
    if (std::isfinite(step))
        return step;
    return static_cast<float>((static_cast<double>(aim) - static_cast<double>(value)) *
                              static_cast<double>(coefficient));
}
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
    if (deferred)
        owed = n;
    else
        RunGlide(n);
}

void Smoother::StepPending()
{
    const int n = owed;
    owed = 0;
    if (n > 0)
        RunGlide(n);
}

void Smoother::FinishGlide(float value, bool stopped)
{
    owed = 0;
    current = value;
    if (stopped)
        state = Arrived;
}

void Smoother::RunGlide(int n)
{
    int i = 0;
    float value = current;
    if (falling == 0)
    {
        for (; i < n && value < target; ++i)
        {
            value += Step(aim, value, coefficient);
            output[i] = std::min(value, target);
        }
    }
    else
    {
        for (; i < n && value > target; ++i)
        {
            value += Step(aim, value, coefficient);
            output[i] = std::max(value, target);
        }
    }
    current = value;
    if (i < n)
    {
        Fill(i, n, target);
        state = Arrived;
    }
}

} // namespace Kestrune::Parameters
