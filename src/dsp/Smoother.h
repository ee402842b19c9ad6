#pragma once

#include "dsp/Buffers.h"
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
// A smoother whose steps are deferred (DeferSteps) leaves the samples of a moving slice to the
// loop that processes the slice, which steps several glides together (GlideSet): Smooth then
// takes the target over and changes the state, PendingGlide tells the processing loop what to
// compute, FinishGlide takes the result back. The outputs are the same bits either way.
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

    // A moving slice's glide as Smooth computes it: from current towards aim, output[i] for i in
    // 0..count-1 bounded by target. count 0: nothing to compute.
    struct Glide
    {
        float current;
        float target;
        float aim;
        float coefficient;
        bool falling;
        float* output;
        int count;
    };

    // [construction] From now on Smooth leaves a moving slice's samples pending.
    void DeferSteps() { deferred = true; }
    // [audio] The samples the last Smooth left pending (count 0 when none).
    Glide PendingGlide() { return {current, target, aim, coefficient, falling != 0, output, owed}; }
    // [audio] Computes the pending samples in this smoother's own loop. Smooth and a rate change
    // do it first themselves, so a glide never loses a sample; Reset drops them, as it overwrites
    // all they would change.
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
    void RunGlide(int count);

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
