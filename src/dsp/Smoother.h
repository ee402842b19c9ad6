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

    // [any] Non-finite targets are ignored.
    void SetTarget(float value);
    // Constant for the object's life.
    const float* GetBuffer() const { return output; }

    // current := target, whole buffer := target, settled.
    void Reset() override;
    void OnSampleRateChanged(float sampleRate) override;
    // [audio] Fills output[0..sampleCount-1]; sampleCount is clamped to 0..16384.
    void Smooth(std::int32_t sampleCount) override;

    float GetTarget() const { return requested.load(std::memory_order_relaxed); }
    float GetCurrent() const { return current; }
    float GetCoefficient() const { return coefficient; }
    State GetState() const { return state; }

private:
    void TakePendingTarget();
    void ComputeCoefficient();
    void Fill(int from, int to, float value);

    std::atomic<float> requested{0.0f};
    std::atomic<bool> pending{false};

    float target = 0.0f;
    float smoothingTime = 0.1f; // seconds
    State state = Settled;
    std::int32_t falling = 0; // 1 falling, 0 rising
    float coefficient = 0.0f; // fraction of the remaining distance covered per sample
    float current = 0.0f;
    float aim = 0.0f; // 0.0001 beyond the target so the glide arrives in finite time
    alignas(64) float output[kMaxBlockSize];
    IServiceProvider* provider;
};

} // namespace Kestrune::Parameters
