#include "services/ServiceDispatcher.h"

#include <cmath>
#include <cstdio>

namespace Kestrune
{

ServiceDispatcher::ServiceDispatcher() = default;

ServiceDispatcher::~ServiceDispatcher() = default;

void ServiceDispatcher::DescribeRefusedSampleRate(double rate, char* text, std::size_t size)
{
    if (text != nullptr && size > 0)
        std::snprintf(text, size,
                      "Corvane Phaser: sample rate %g Hz refused (it runs from %g Hz to %g Hz)",
                      rate, kLowestSampleRate, kHighestSampleRate);
}

void ServiceDispatcher::AddResettable(IResettable* resettable)
{
    observers.Attach(resettable);
}

void ServiceDispatcher::RemoveResettable(IResettable* resettable)
{
    observers.Detach(resettable);
}

void ServiceDispatcher::AddSampleRateObserver(ISampleRateObserver* observer)
{
    observers.Attach(observer);
}

void ServiceDispatcher::RemoveSampleRateObserver(ISampleRateObserver* observer)
{
    observers.Detach(observer);
}

void ServiceDispatcher::AddSmoothable(ISmoothable* smoothable)
{
    observers.Attach(smoothable);
}

void ServiceDispatcher::RemoveSmoothable(ISmoothable* smoothable)
{
    observers.Detach(smoothable);
}

void ServiceDispatcher::AddTempoObserver(ITempoObserver* observer)
{
    observers.Attach(observer);
}

void ServiceDispatcher::RemoveTempoObserver(ITempoObserver* observer)
{
    observers.Detach(observer);
}

void ServiceDispatcher::AddPpqnPositionObserver(IPpqnPositionObserver* observer)
{
    observers.Attach(observer);
}

void ServiceDispatcher::RemovePpqnPositionObserver(IPpqnPositionObserver* observer)
{
    observers.Detach(observer);
}

void ServiceDispatcher::SetSampleRate(float rate)
{
    if (!std::isfinite(rate) || rate <= 0.0f || rate == sampleRate)
        return;
    sampleRate = rate;
    observers.Notify<&ISampleRateObserver::OnSampleRateChanged>(rate);
}

void ServiceDispatcher::SetTempo(float bpm)
{
    if (!std::isfinite(bpm) || bpm == tempo)
        return;
    tempo = bpm;
    observers.Notify<&ITempoObserver::OnTempoChanged>(bpm);
}

void ServiceDispatcher::SetPpqnPosition(double position)
{
    if (!std::isfinite(position) || position == ppqnPosition)
        return;
    ppqnPosition = position;
    observers.Notify<&IPpqnPositionObserver::OnPpqnPositionChanged>(position);
}

void ServiceDispatcher::Reset()
{
    observers.Notify<&IResettable::Reset>();
}

void ServiceDispatcher::Smooth(std::int32_t sampleCount)
{
    observers.Notify<&ISmoothable::Smooth>(sampleCount);
}

} // namespace Kestrune
