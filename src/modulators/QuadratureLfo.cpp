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

float QuadratureLfo::MaxFrequency() const
{
    const float rate = provider->GetSampleRate();
    if (!std::isfinite(rate) || !(rate > 0.0f))
        return kAlwaysAllowedFrequency;
    return std::max(kAlwaysAllowedFrequency, rate / kMinSamplesPerCycle / sweepDepth);
}

void QuadratureLfo::SetSweepDepth(float octaves)
{
    const float depth =
        std::isnan(octaves) ? kDeepestSweep : std::clamp(std::fabs(octaves), 1.0f, kDeepestSweep);
    if (depth == sweepDepth)
        return;
    sweepDepth = depth;
    ApplyLimit();
}

void QuadratureLfo::ComputeIncrement()
{
    const float rate = provider->GetSampleRate();
    if (!std::isfinite(rate) || !(rate > 0.0f))
        return;
    const float limit = MaxFrequency();
    float step = (std::clamp(frequency, -limit, limit) * kTwoPi) / rate;
    // The recurrence turns by 2 asin(increment / 2) a sample, a little more than its increment
    // (by increment^3 / 24). A synchronised sweep must arrive where the host's next block
    // re-aligns it, so it takes the increment whose turn is exact.
    if (IsSyncEnabled())
        step = static_cast<float>(2.0 * std::sin(static_cast<double>(step) * 0.5));
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
    // The recurrence's cosine runs half a sample's turn ahead of its sine; started there, the
    // sine is exactly sin(phase + n turns), and a phase set again where the run arrived (as the
    // host's next block does) changes nothing.
    const double radians = static_cast<double>(cycles) * static_cast<double>(kTwoPi);
    const double halfTurn = std::asin(static_cast<double>(increment) * 0.5);
    cosine = static_cast<float>(std::cos(radians + halfTurn));
    sine = static_cast<float>(std::sin(radians));
}

void QuadratureLfo::Reset()
{
    sine = 0.0f;
    cosine = 1.0f;
}

void QuadratureLfo::OnSampleRateChanged(float)
{
    ApplyLimit();
}

void QuadratureLfo::ApplyLimit()
{
    // The limit moves with the rate and the depth, and with it the note length a synchronised
    // sweep runs.
    if (IsSyncEnabled())
        ApplySynchronisedFrequency();
    else
        ComputeIncrement();
}

CoupledOscillator QuadratureLfo::StartSlice()
{
    // The MIDI layer's factor (1 without a MIDI source), read by scaling 1: each output sample
    // times it is exactly what the layer's own pass over the buffer gives.
    float gain = 1.0f;
    ScaleByMidiSource(&gain, 1);
    return {sine, cosine, increment, gain, quadMode, inPhase, quadrature};
}

void QuadratureLfo::FinishSlice(const CoupledOscillator& slice)
{
    sine = slice.sine;
    cosine = slice.cosine;
}

void QuadratureLfo::Process(int count)
{
    count = std::clamp(count, 0, kMaxBlockSize);
    CoupledOscillator slice = StartSlice();
    for (int i = 0; i < count; ++i)
        slice.Step(i);
    FinishSlice(slice);
}

} // namespace Kestrune::Modulators
