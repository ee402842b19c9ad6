#include "modulators/SynchableLfo.h"

#include "base/Text.h"

#include <algorithm>
#include <cmath>

namespace Kestrune::Modulators
{

namespace
{

constexpr float kQuarterNotes[SynchableLfo::kSyncResolutionCount] = {
    0.125f, 0.25f, 0.33333334f, 0.5f, 1.0f, 2.0f, 4.0f, 8.0f, 16.0f, 32.0f, 64.0f};
constexpr const char* kSyncResolutionTexts[SynchableLfo::kSyncResolutionCount] = {
    "1/32", "1/16", "1/12", "1/8", "1/4", "1/2", "1/1", "2/1", "4/1", "8/1", "16/1"};
// 1/60 as a 32-bit float: beats per minute to beats per second.
constexpr float kPerMinute = 0.016666668f;

int ClampResolution(int index)
{
    return std::clamp(index, 0, SynchableLfo::kSyncResolutionCount - 1);
}

float FrequencyOfCycle(float tempo, float beats)
{
    if (!(tempo > 0.0f))
        return 0.0f;
    return static_cast<float>(static_cast<double>(tempo) / static_cast<double>(beats) *
                              static_cast<double>(kPerMinute));
}

float PhaseInCycle(double position, float beats)
{
    const double x = position / static_cast<double>(beats);
    return static_cast<float>(x - std::trunc(x));
}

} // namespace

void SynchableLfo::SyncResolutionDisplay::Format(int index, char* text, std::size_t size)
{
    Base::CopyText(text, size, kSyncResolutionTexts[ClampResolution(index)]);
}

float SynchableLfo::QuarterNotesPerCycle(int index)
{
    return kQuarterNotes[ClampResolution(index)];
}

float SynchableLfo::SynchronisedFrequency(float tempo, int index)
{
    return FrequencyOfCycle(tempo, QuarterNotesPerCycle(index));
}

float SynchableLfo::SynchronisedPhase(double position, int index)
{
    return PhaseInCycle(position, QuarterNotesPerCycle(index));
}

float SynchableLfo::CycleAtTempo(float tempo) const
{
    // 2^100 times the shortest note is slower than any tempo a float holds.
    constexpr int kMostDoublings = 100;
    float beats = QuarterNotesPerCycle(syncResolution);
    const float limit = MaxFrequency();
    for (int i = 0; i < kMostDoublings && FrequencyOfCycle(tempo, beats) > limit; ++i)
        beats *= 2.0f;
    return beats;
}

SynchableLfo::SynchableLfo(IServiceProvider* serviceProvider)
    : LfoBase(serviceProvider), provider(serviceProvider)
{
    provider->AddTempoObserver(this);
    provider->AddPpqnPositionObserver(this);
}

SynchableLfo::~SynchableLfo()
{
    provider->RemoveTempoObserver(this);
    provider->RemovePpqnPositionObserver(this);
}

void SynchableLfo::ApplySynchronisedFrequency()
{
    const float tempo = provider->GetTempo();
    if (std::isfinite(tempo))
        ApplyFrequency(FrequencyOfCycle(tempo, CycleAtTempo(tempo)));
}

void SynchableLfo::ApplySynchronisedPhase()
{
    const double position = provider->GetPpqnPosition();
    const float tempo = provider->GetTempo();
    if (std::isfinite(position))
        SetPhase(PhaseInCycle(position, CycleAtTempo(std::isfinite(tempo) ? tempo : 0.0f)));
}

void SynchableLfo::SetFrequency(float hz)
{
    if (!std::isfinite(hz))
        return;
    freeFrequency = hz;
    if (!syncEnabled)
        ApplyFrequency(hz);
}

void SynchableLfo::SetSyncEnabled(bool on)
{
    syncEnabled = on;
    if (on)
    {
        ApplySynchronisedFrequency();
        ApplySynchronisedPhase();
    }
    else
    {
        // The phase runs on from where it is.
        ApplyFrequency(freeFrequency);
    }
}

void SynchableLfo::SetSyncResolution(int index)
{
    syncResolution = ClampResolution(index);
    if (syncEnabled)
    {
        ApplySynchronisedFrequency();
        ApplySynchronisedPhase();
    }
}

void SynchableLfo::OnTempoChanged(float)
{
    if (syncEnabled)
        ApplySynchronisedFrequency();
}

void SynchableLfo::OnPpqnPositionChanged(double)
{
    if (syncEnabled)
        ApplySynchronisedPhase();
}

} // namespace Kestrune::Modulators
