#include "modulators/QuadratureLfo.h"

#include <algorithm>
#include <cmath>

namespace Kestrune::Modulators
{

namespace
{
// 2 pi as a 32-bit float, rounded down.
constexpr float kTwoPi = 6.283185f;
} // namespace

QuadratureLfo::QuadratureLfo(IServiceProvider* serviceProvider)
    : SynchableLfo(serviceProvider), provider(serviceProvider)
{
    provider->AddResettable(this);
    provider->AddSampleRateObserver(this);
    ComputeIncrement();
}

QuadratureLfo::~QuadratureLfo()
{
    provider->RemoveResettable(this);
    provider->RemoveSampleRateObserver(this);
}

void QuadratureLfo::ComputeIncrement()
{
    const float rate = provider->GetSampleRate();
    if (!std::isfinite(rate) || !(rate > 0.0f))
        return;
    const float limit = std::max(kAlwaysAllowedFrequency, rate / kMinSamplesPerCycle);
    const float step = (std::clamp(frequency, -limit, limit) * kTwoPi) / rate;
    increment = std::clamp(step, -kMaxIncrement, kMaxIncrement);
}

void QuadratureLfo::ApplyFrequency(float hz)
{
    if (!std::isfinite(hz))
        return;
    frequency = hz;
    ComputeIncrement();
}

void QuadratureLfo::SetPhase(float cycles)
{
    if (!std::isfinite(cycles))
        return;
    const double radians = static_cast<double>(cycles) * static_cast<double>(kTwoPi);
    cosine = static_cast<float>(std::cos(radians));
    sine = static_cast<float>(std::sin(radians));
}

void QuadratureLfo::Reset()
{
    sine = 0.0f;
    cosine = 1.0f;
}

void QuadratureLfo::OnSampleRateChanged(float)
{
    ComputeIncrement();
}

void QuadratureLfo::Process(int count)
{
    count = std::clamp(count, 0, kMaxBlockSize);
    float s = sine;
    float c = cosine;
    const float e = increment;
    for (int i = 0; i < count; ++i)
    {
        // Coupled form: the cosine update uses the new sine, which keeps the amplitude constant.
        s += c * e;
        c -= s * e;
        inPhase[i] = s;
        quadrature[i] = quadMode ? c : s;
    }
    sine = s;
    cosine = c;
    ScaleByMidiSource(inPhase, count);
    ScaleByMidiSource(quadrature, count);
}

} // namespace Kestrune::Modulators
