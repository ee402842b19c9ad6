// The contract between the service provider (host conditions, MIDI providers) and the objects
// it serves. Objects read starting values through the getters in their constructor, add
// themselves to the lists they need and remove themselves in their destructor.
#pragma once

#include <cstdint>

namespace Kestrune
{
namespace Midi
{
class IMessageProvider;
class IControllerProvider;
} // namespace Midi

class IResettable
{
public:
    virtual ~IResettable() = default;
    // Return to the initial state (phases, filter memory; smoothers jump to their target).
    virtual void Reset() = 0;
};

class ISampleRateObserver
{
public:
    virtual ~ISampleRateObserver() = default;
    // [control] Samples per second; the provider's getter already answers the new rate.
    virtual void OnSampleRateChanged(float sampleRate) = 0;
};

class ITempoObserver
{
public:
    virtual ~ITempoObserver() = default;
    // [audio] Beats per minute.
    virtual void OnTempoChanged(float tempo) = 0;
};

class IPpqnPositionObserver
{
public:
    virtual ~IPpqnPositionObserver() = default;
    // [audio] Song position in quarter notes. A double: a float's step at beat 10000 is a
    // thousandth of a beat, an eighth of a 1/32 note's cycle.
    virtual void OnPpqnPositionChanged(double position) = 0;
};

class ISmoothable
{
public:
    virtual ~ISmoothable() = default;
    // [audio] Compute the next sampleCount values (0 to 16384) into the object's buffer.
    virtual void Smooth(std::int32_t sampleCount) = 0;
};

class IServiceProvider
{
public:
    virtual ~IServiceProvider() = default;
    virtual float GetSampleRate() = 0;
    virtual float GetTempo() = 0;
    virtual double GetPpqnPosition() = 0;
    virtual Midi::IMessageProvider* GetMessageProvider() = 0;
    virtual Midi::IControllerProvider* GetControllerProvider() = 0;
    virtual void AddResettable(IResettable* resettable) = 0;
    virtual void RemoveResettable(IResettable* resettable) = 0;
    virtual void AddSampleRateObserver(ISampleRateObserver* observer) = 0;
    virtual void RemoveSampleRateObserver(ISampleRateObserver* observer) = 0;
    virtual void AddSmoothable(ISmoothable* smoothable) = 0;
    virtual void RemoveSmoothable(ISmoothable* smoothable) = 0;
    virtual void AddTempoObserver(ITempoObserver* observer) = 0;
    virtual void RemoveTempoObserver(ITempoObserver* observer) = 0;
    virtual void AddPpqnPositionObserver(IPpqnPositionObserver* observer) = 0;
    virtual void RemovePpqnPositionObserver(IPpqnPositionObserver* observer) = 0;
};

} // namespace Kestrune
