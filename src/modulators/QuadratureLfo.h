#pragma once

#include "dsp/Buffers.h"
#include "dsp/CoupledOscillator.h"
#include "modulators/SynchableLfo.h"

namespace Kestrune::Modulators
{

// The sweep oscillator: a coupled-form sine/cosine recurrence filling an in-phase and a
// quadrature output (a quarter cycle ahead, or a copy of the in-phase output) per slice.
//
// Process [audio] runs under the model's lock; Reset and OnSampleRateChanged come from the
// service provider while processing is stopped.
class QuadratureLfo : public SynchableLfo, public IResettable, public ISampleRateObserver
{
public:
    template <int ProgramCount> class ParameterGroup;

    // Limit of the phase increment in radians per sample (about a sixth of the sample rate):
    // the recurrence turns unstable towards 2, and no sweep rate comes near it.
    static constexpr float kMaxIncrement = 1.0f;
    // The fastest sweep: one cycle per 32 samples (1378 Hz at 44100 Hz, 250 Hz at 8000 Hz) at
    // full depth, slower in proportion for a sweep deeper than one octave (stored values above
    // 1), but never below the free-running maximum of 20 Hz. What runs the cascade away is how
    // fast the sweep moves, in octaves per sample: at full depth with feedback 0.95 it does from
    // 9.5 samples per cycle at 8000 Hz, 17 at 44100 Hz and 20 at 96000 Hz and above (over every
    // stage count and centre frequency; bench SweepRunaway), so this keeps a margin of 1.6 or
    // more while every tempo sync up to 1/32 at 999 bpm (133 Hz) runs at its own rate from
    // 4263 Hz upwards.
    static constexpr float kMinSamplesPerCycle = 32.0f;
    static constexpr float kDeepestSweep = 30.0f;           // octaves: the phaser uses no more
    static constexpr float kAlwaysAllowedFrequency = 20.0f; // Hz

    explicit QuadratureLfo(IServiceProvider* serviceProvider);
    ~QuadratureLfo() override;

    // Running frequency in Hz, swept at most at the fastest sweep rate; non-finite values are
    // ignored.
    void ApplyFrequency(float hz) override;
    // Phase in cycles; non-finite values are ignored.
    void SetPhase(float cycles) override;
    // The sweep limit at the provider's sample rate.
    float MaxFrequency() const override;
    void SetQuadMode(bool on) { quadMode = on; }
    // [audio] The depth in octaves the phaser sweeps with (the deepest it may reach in the next
    // slice): beyond one octave the fastest sweep is slower in proportion.
    void SetSweepDepth(float octaves);

    // [audio] Fills output[0..count-1] (count clamped to 0..16384), scaled by the MIDI source.
    void Process(int count);
    // [audio] The slice for a caller that steps the recurrence itself (the phaser, inside its
    // cascade loop): set up to fill the outputs from index 0, MIDI scaling included. Stepping it
    // over 0..count-1 and handing it to FinishSlice is Process(count), bit for bit.
    CoupledOscillator StartSlice();
    // [audio] Keeps the phase the slice reached.
    void FinishSlice(const CoupledOscillator& slice);
    const float* GetInPhaseOutput() const { return inPhase; }
    const float* GetQuadratureOutput() const { return quadrature; }

    // Phase back to zero (sine 0, cosine 1); frequency, sync and MIDI values stay.
    void Reset() override;
    // Keeps the frequency in Hz; non-finite or non-positive rates are ignored.
    void OnSampleRateChanged(float sampleRate) override;

    float GetFrequency() const { return frequency; }
    float GetIncrement() const { return increment; }
    bool IsQuadMode() const { return quadMode; }
    float GetSine() const { return sine; }
    float GetCosine() const { return cosine; }

private:
    void ComputeIncrement();
    void ApplyLimit();

    float frequency = 1.0f;
    bool quadMode = true;
    float increment = 0.0f;  // radians per sample
    float sweepDepth = 1.0f; // octaves, 1 to 30
    float sine = 0.0f;
    float cosine = 1.0f;
    alignas(64) float inPhase[kMaxBlockSize] = {};
    alignas(64) float quadrature[kMaxBlockSize] = {};
    IServiceProvider* provider;
};

} // namespace Kestrune::Modulators
