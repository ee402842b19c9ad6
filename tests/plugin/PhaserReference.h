// An independent double-precision model of the plug-in's signal chain, written from the
// product's description rather than from its code: the quadrature oscillator (coupled-form
// recurrence, tempo sync), the four parameter smoothers, the source choice and the all-pass
// cascade with feedback and mix. MIDI is not modelled (no MIDI scaling, the MIDI sources stay
// at 0). It is driven the way the plug-in core drives the model: parameters between blocks,
// then per block the host's tempo and position, the smoothing step and the processing.
#pragma once

#include "phaser/Product.h"

#include <array>

namespace Reference
{

// Exponential glide toward a target, heading 0.0001 beyond it, never passing it.
class Glide
{
public:
    void Configure(double sampleRate);
    void SetTarget(double value);
    void Jump(); // current := target, settled
    // Fills out[0..count-1].
    void Run(double* out, int count);

private:
    double target = 0.0;
    double current = 0.0;
    double aim = 0.0;
    double coefficient = 0.0;
    bool falling = false;
    bool moving = false;
};

class PhaserModel
{
public:
    static constexpr int kParameterCount = Kestrune::Product::kParameterCount;
    static constexpr int kMaxBlock = 16384;

    explicit PhaserModel(double sampleRate);

    // A host parameter change between blocks (normalised value).
    void SetParameter(int index, float value);
    // What a resume or program change does: phases, filter memories and glides start over.
    void Reset();
    // One block: the host's tempo and song position first, then count samples.
    void Process(double tempo, double ppq, const float* inL, const float* inR, double* outL,
                 double* outR, int count);

    // Scales the feedback setting, to check that a comparison can tell a wrong setting.
    double feedbackScale = 1.0;

private:
    void ApplySetting(int index);
    void ApplyLfoFrequency(double hz);
    void SetPhase(double cycles);
    double SyncFrequency() const;
    double SyncPhase() const;

    double sampleRate;
    std::array<float, kParameterCount> values{};

    // Oscillator.
    double sine = 0.0;
    double cosine = 1.0;
    double increment = 0.0;
    double freeFrequency = 0.0;
    bool syncOn = false;
    int syncIndex = 0;
    bool quadMode = true;
    float tempo = 120.0f;  // as the plug-in keeps it
    double position = 0.0; // quarter notes, as the plug-in keeps it

    // Phaser.
    bool enabled = true;
    double feedback = 0.0;
    int stages = 4;
    int source = 1; // 0 none, 1 oscillator, 2 and 3 MIDI sources (0 here)
    std::array<double, 16> left{};
    std::array<double, 16> right{};
    double lastLeft = 0.0;
    double lastRight = 0.0;
    Glide depth, leftFrequency, rightFrequency, mix;
    std::array<double, kMaxBlock> depthBuffer{}, leftBuffer{}, rightBuffer{}, mixBuffer{};
};

} // namespace Reference
