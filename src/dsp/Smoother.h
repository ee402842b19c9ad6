#pragma once

#include "dsp/Buffers.h"
#include "dsp/GlideLanes.h"
#include "services/ServiceInterfaces.h"

#include <atomic>
#include <cstdint>

namespace Kestrune::Parameters
{

// Turns stepped values into a per-sample exponential glide (time constant 0.1 s) written into
// a 16384-sample buffer that consumers read directly.
//
// SetTarget [any, under the model's lock] only posts the new target; Smooth [audio] takes it
// over at its start, so the glide state is only ever changed by one thread and never tears.
//
// Smooth leaves a moving slice's samples pending; GlideLanes computes them, in the smoother's
// own loop (StepPending) or, for a smoother whose steps are deferred (DeferSteps), in the loop
// that processes the slice, which steps several glides together (GlideSet): PendingGlide tells
// it what to compute, FinishGlide takes the result back.
class Smoother : public IResettable, public ISampleRateObserver, public ISmoothable
{
public:
    enum State : std::int32_t
    {
        Moving = 0,
        Arrived = 1,
        Settled = 2
    };

    explicit Smoother(IServiceProvider* provider);
    ~Smoother() override;
    Smoother(const Smoother&) = delete;
    Smoother& operator=(const Smoother&) = delete;

    // [any] value is finite.
    void SetTarget(float value);
    // Constant for the object's life.
    const float* GetBuffer() const { return output; }

    // current := target, whole buffer := target, settled.
    void Reset() override;
    void OnSampleRateChanged(float sampleRate) override;
    // [audio] Fills output[0..sampleCount-1]; sampleCount is clamped to 0..16384.
    void Smooth(std::int32_t sampleCount) override;

    // A moving slice's glide; count 0: nothing to compute.
    using Glide = Parameters::Glide;

    // [construction] From now on Smooth leaves a moving slice's samples to another loop.
    void DeferSteps() { deferred = true; }
    // [audio] The samples the last Smooth left pending (count 0 when none).
    Glide PendingGlide() { return {current, target, aim, coefficient, falling != 0, output, owed}; }
    // [audio] Computes the pending samples in this smoother's own loop. Smooth and a rate change
    // do it first themselves, so a glide never loses a sample; Reset drops them, as it overwrites
    // all they would change. A glide whose float distance to its aim overflows (targets across
    // most of the float range) takes its first steps in double until the distance fits.
    void StepPending();
    // [audio] After the pending samples were computed elsewhere: the value they reached, and
    // whether the glide stopped before the last of them (the smoother has then arrived).
    void FinishGlide(float value, bool stopped);

    float GetTarget() const { return requested.load(std::memory_order_relaxed); }
    float GetCurrent() const { return current; }
    float GetCoefficient() const { return coefficient; }
    State GetState() const { return state; }

private:
    void TakePendingTarget();
    void ComputeCoefficient();
    void Fill(int from, int to, float value);
    int StepWide(int count);

    std::atomic<float> requested{0.0f};
    std::atomic<bool> pending{false};

    float target = 0.0f;
    float smoothingTime = 0.1f; // seconds
    State state = Settled;
    std::int32_t falling = 0; // 1 falling, 0 rising
    float coefficient = 0.0f; // fraction of the remaining distance covered per sample
    float current = 0.0f;
    float aim = 0.0f; // 0.0001 beyond the target so the glide arrives in finite time
    bool deferred = false;
    std::int32_t owed = 0; // samples of a deferred slice not yet computed
    alignas(64) float output[kMaxBlockSize];
    IServiceProvider* provider;
};

} // namespace Kestrune::Parameters
