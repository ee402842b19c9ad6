#pragma once

#include "dsp/Buffers.h"
#include "dsp/CoupledOscillator.h"
#include "dsp/GlideSet.h"
#include "services/ServiceInterfaces.h"

#include <cstddef>

namespace Kestrune::Effects
{

// Stereo phaser: per channel a cascade of 4 to 16 first-order all-pass stages with feedback from
// the cascade output to its input and a wet/dry mix. Each sample, every channel's centre
// frequency is moved by depth x source octaves and its coefficients are recomputed.
//
// Continuous inputs are borrowed per-sample buffers (at least as long as the slice processed,
// starting at index 0); a null buffer means silence. No lock of its own: Process [audio] and the
// setters run under the model's lock; Reset and OnSampleRateChanged come from the service
// provider while processing is stopped.
class Phaser : public IResettable, public ISampleRateObserver
{
public:
    static constexpr int kMaxStages = 16;
    static constexpr int kStageModeCount = 7;

    template <int ProgramCount> class ParameterGroup;

    // Normalised value to centre frequency in Hz: 10000 v^2.
    struct FrequencyTransform
    {
        using Value = float;
        static float Convert(float value);
    };

    // Normalised value to feedback gain: 0.95 v, kept within 0 to 0.95 so the loop stays stable.
    struct FeedbackTransform
    {
        using Value = float;
        static float Convert(float value);
    };

    // Stage mode to its number of stages ("4" to "16"); indices outside the table are clamped.
    struct StageModeDisplay
    {
        static void Format(int mode, char* text, std::size_t size);
    };

    explicit Phaser(IServiceProvider* provider);
    ~Phaser() override;
    Phaser(const Phaser&) = delete;
    Phaser& operator=(const Phaser&) = delete;

    // [audio] One slice of count samples (clamped to 0..16384). In place is allowed
    // (outL == inL, outR == inR). Disabled: the input is copied and no state changes.
    void Process(const float* inL, const float* inR, float* outL, float* outR, int count);
    // [audio] Process, stepping the oscillator over samples 0..count-1 of the slice along the
    // way: each of its samples before any modulation input of that sample is read, so its
    // outputs may be this phaser's sources. Disabled: the input is copied, the oscillator stays.
    void Process(const float* inL, const float* inR, float* outL, float* outR, int count,
                 Modulators::CoupledOscillator& oscillator);
    // [audio] Process with the oscillator, stepping the slice's smoother glides along with it,
    // so their buffers may be this phaser's inputs too. glides.count must be count (or 0).
    // Disabled: the input is copied; neither the oscillator nor the glides move.
    void Process(const float* inL, const float* inR, float* outL, float* outR, int count,
                 Modulators::CoupledOscillator& oscillator, Parameters::GlideSet::Slice& glides);

    bool IsEnabled() const { return enabled; }
    void SetEnabled(bool on) { enabled = on; }
    // Kept within -0.95 to 0.95; non-finite levels are ignored.
    void SetFeedback(float level);
    // Depths are used within -30..30 octaves, whatever the buffers hold.
    void SetModulationDepth1(const float* buffer) { depth1 = OrSilence(buffer); }
    void SetModulationDepth2(const float* buffer) { depth2 = OrSilence(buffer); }
    void SetLeftFrequency(const float* buffer) { leftFrequency = OrSilence(buffer); }
    void SetRightFrequency(const float* buffer) { rightFrequency = OrSilence(buffer); }
    // Clamped to 0..6: the index selects from the stage-count table.
    void SetStageMode(int mode);
    // The wet proportion is used within 0 (dry) to 1 (wet), whatever the buffer holds.
    void SetMix(const float* buffer) { mix = OrSilence(buffer); }
    void SetLeftModulationSource(const float* buffer) { primaryLeft = OrSilence(buffer); }
    void SetRightModulationSource(const float* buffer) { primaryRight = OrSilence(buffer); }

    // Clears the stage states and the feedback memory; settings and buffers stay.
    void Reset() override;
    // Non-finite or non-positive rates are ignored.
    void OnSampleRateChanged(float sampleRate) override;

    // Fast 2^x: exact at whole numbers, 1 + f(f + 2)/3 between them, reciprocal for x < 0.
    // |x| is limited to 30 so the power of two stays an exact int shift; NaN gives 1.
    static float Pow2(float x);
    // All-pass stages run in a stage mode (4, 6, ... 16); the mode is clamped to the table.
    static int StageCount(int mode);

    float GetHalfSampleRate() const { return halfSampleRate; }
    float GetFeedback() const { return feedback; }
    int GetStageMode() const { return stageMode; }
    // Stage 0 to 15; other indices answer 0.
    float GetLeftState(int stage) const { return ValidStage(stage) ? leftStates[stage] : 0.0f; }
    float GetRightState(int stage) const { return ValidStage(stage) ? rightStates[stage] : 0.0f; }
    float GetLastLeft() const { return lastLeft; }
    float GetLastRight() const { return lastRight; }
    const float* GetLeftModulationSource() const { return primaryLeft; }
    const float* GetRightModulationSource() const { return primaryRight; }

private:
    template <typename Oscillator>
    void ProcessWith(const float* inL, const float* inR, float* outL, float* outR, int count,
                     Oscillator& oscillator);
    // An enabled slice of 1 to 16384 samples with a fixed stage count.
    template <int Stages, typename Oscillator>
    void Run(const float* inL, const float* inR, float* outL, float* outR, int count,
             Oscillator& oscillator);
    static bool ValidStage(int stage) { return stage >= 0 && stage < kMaxStages; }
    static const float* OrSilence(const float* buffer)
    {
        return buffer != nullptr ? buffer : SilenceBuffer;
    }

    float halfSampleRate;
    bool enabled = false;
    float feedback = 0.0f;
    const float* depth1 = SilenceBuffer;
    const float* depth2 = SilenceBuffer;
    const float* leftFrequency = SilenceBuffer;
    const float* rightFrequency = SilenceBuffer;
    int stageMode = 0;
    float lastLeft = 0.0f;
    float lastRight = 0.0f;
    const float* mix = SilenceBuffer;
    float leftStates[kMaxStages] = {};
    float rightStates[kMaxStages] = {};
    const float* primaryLeft = SilenceBuffer;
    const float* primaryRight = SilenceBuffer;
    // No setter in this plug-in: the second sweep term is always zero.
    const float* secondaryLeft = SilenceBuffer;
    const float* secondaryRight = SilenceBuffer;
    IServiceProvider* provider;
};

} // namespace Kestrune::Effects
