#pragma once

#include "modulators/LfoBase.h"

#include <cstddef>

namespace Kestrune::Modulators
{

// The oscillator's tempo layer: runs either at its own frequency or at a note length of the
// host's tempo, phase-locked to the host's song position.
//
// Tempo and song position are read from the service provider whenever the synchronised rate or
// phase is recomputed. A note length the oscillator cannot run at this tempo (faster than its
// MaxFrequency) runs at twice the length, or four times..., still locked to the song position, so
// the phase goes on without a jump when the host re-aligns it each block; a non-finite value there
// is ignored (the oscillator keeps its rate or phase). Tempo and position notifications arrive
// [audio]; the setters come from the parameters under the model's lock.
class SynchableLfo : public LfoBase, public ITempoObserver, public IPpqnPositionObserver
{
public:
    static constexpr int kSyncResolutionCount = 11;

    // "1/32" to "16/1"; indices outside the table are clamped.
    struct SyncResolutionDisplay
    {
        static void Format(int index, char* text, std::size_t size);
    };

    explicit SynchableLfo(IServiceProvider* serviceProvider);
    ~SynchableLfo() override;

    // Remembers the free frequency and applies it unless synchronised. Non-finite is ignored.
    void SetFrequency(float hz) override;
    // The running frequency in Hz and the phase in cycles of the oscillator layer.
    virtual void ApplyFrequency(float hz) = 0;
    virtual void SetPhase(float cycles) = 0;
    // The fastest rate in Hz the oscillator layer sweeps at.
    virtual float MaxFrequency() const = 0;

    void SetSyncEnabled(bool on);
    // Clamped to 0..10.
    void SetSyncResolution(int index);
    void OnTempoChanged(float tempo) override;
    void OnPpqnPositionChanged(double position) override;

    bool IsSyncEnabled() const { return syncEnabled; }
    float GetFreeFrequency() const { return freeFrequency; }
    int GetSyncResolution() const { return syncResolution; }

    // Quarter notes per oscillator cycle for a sync resolution (clamped to the table).
    static float QuarterNotesPerCycle(int index);
    // Hz at a tempo in beats per minute; a tempo of 0 or below stands still.
    static float SynchronisedFrequency(float tempo, int index);
    // Fraction of the current cycle at a song position in quarter notes (negative before 0),
    // taken in double precision and only then narrowed.
    static float SynchronisedPhase(double position, int index);
    // Quarter notes per cycle run at a tempo: the note length, doubled while its rate would
    // exceed MaxFrequency.
    float CycleAtTempo(float tempo) const;

protected:
    void ApplySynchronisedFrequency();
    void ApplySynchronisedPhase();

private:
    bool syncEnabled = false;
    float freeFrequency = 1.0f;
    int syncResolution = 5;
    IServiceProvider* provider;
};

} // namespace Kestrune::Modulators
