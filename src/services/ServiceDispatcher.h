#pragma once

#include "base/NotifyingLists.h"
#include "midi/ControllerDispatcher.h"
#include "midi/MessageDispatcher.h"
#include "services/ServiceInterfaces.h"

#include <cstddef>
#include <cstdint>
#include <limits>

namespace Kestrune
{

// The one place through which the host's global conditions (sample rate, tempo, song position,
// reset, smoothing step) reach the processing objects; owns the two MIDI dispatchers.
//
// Setters store first and notify only on change, in insertion order, so an observer reads the
// new value back through the getter. Non-finite values, and sample rates of 0 or below, are
// ignored: the previous value stays and nobody is told.
//
// No lock. Threads: [audio] SetTempo, SetPpqnPosition, Smooth, GetMessageDispatcher;
// [control, processing stopped] SetSampleRate, Reset. Add and remove only while the object
// graph is built or torn down.
class ServiceDispatcher : public IServiceProvider
{
public:
    static constexpr float kDefaultSampleRate = 44100.0f;
    static constexpr float kDefaultTempo = 120.0f;
    static constexpr double kDefaultPpqnPosition = 0.0;

    // The sample rates the CLAP and LV2 front ends take from a host (activate, instantiate): from
    // 1 Hz (at least a sample a second) to the largest float, the engine's type for the rate.
    // Real hosts' rates (8 kHz to 768 kHz) are far inside; NaN, 0, negative rates, rates that
    // would round to 0 or to infinity as a float are refused, never run at another rate.
    static constexpr double kLowestSampleRate = 1.0;
    static constexpr double kHighestSampleRate = std::numeric_limits<float>::max();
    static bool IsRunnableSampleRate(double rate)
    {
        return rate >= kLowestSampleRate && rate <= kHighestSampleRate;
    }
    // The line a front end logs when it refuses rate: the rate and the range that runs.
    static void DescribeRefusedSampleRate(double rate, char* text, std::size_t size);

    ServiceDispatcher();
    ~ServiceDispatcher() override;
    ServiceDispatcher(const ServiceDispatcher&) = delete;
    ServiceDispatcher& operator=(const ServiceDispatcher&) = delete;

    float GetSampleRate() override { return sampleRate; }
    float GetTempo() override { return tempo; }
    double GetPpqnPosition() override { return ppqnPosition; }
    Midi::IMessageProvider* GetMessageProvider() override { return &messageDispatcher; }
    Midi::IControllerProvider* GetControllerProvider() override { return &controllerDispatcher; }

    void AddResettable(IResettable* resettable) override;
    void RemoveResettable(IResettable* resettable) override;
    void AddSampleRateObserver(ISampleRateObserver* observer) override;
    void RemoveSampleRateObserver(ISampleRateObserver* observer) override;
    void AddSmoothable(ISmoothable* smoothable) override;
    void RemoveSmoothable(ISmoothable* smoothable) override;
    void AddTempoObserver(ITempoObserver* observer) override;
    void RemoveTempoObserver(ITempoObserver* observer) override;
    void AddPpqnPositionObserver(IPpqnPositionObserver* observer) override;
    void RemovePpqnPositionObserver(IPpqnPositionObserver* observer) override;

    void SetSampleRate(float sampleRate);  // samples per second
    void SetTempo(float tempo);            // beats per minute
    void SetPpqnPosition(double position); // quarter notes
    void Reset();                          // every resettable
    void Smooth(std::int32_t sampleCount); // every smoothable, count unchanged

    Midi::MessageDispatcher* GetMessageDispatcher() { return &messageDispatcher; }
    Midi::ControllerDispatcher* GetControllerDispatcher() { return &controllerDispatcher; }

private:
    float sampleRate = kDefaultSampleRate;
    float tempo = kDefaultTempo;
    double ppqnPosition = kDefaultPpqnPosition;
    NotifyingLists<&IResettable::Reset, &ISampleRateObserver::OnSampleRateChanged,
                   &ISmoothable::Smooth, &ITempoObserver::OnTempoChanged,
                   &IPpqnPositionObserver::OnPpqnPositionChanged>
        observers;
    // Declared in this order: the controller dispatcher attaches to the message dispatcher and
    // is destroyed first.
    Midi::MessageDispatcher messageDispatcher;
    Midi::ControllerDispatcher controllerDispatcher{&messageDispatcher};
};

} // namespace Kestrune
