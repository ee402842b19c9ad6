#include "services/ServiceDispatcher.h"

#include <cmath>

namespace Kestrune
{

ServiceDispatcher::ServiceDispatcher() = default;

ServiceDispatcher::~ServiceDispatcher() = default;

void ServiceDispatcher::AddResettable(IResettable* resettable)
{
    resettables.Add(resettable);
}

void ServiceDispatcher::RemoveResettable(IResettable* resettable)
{
    resettables.Remove(resettable);
}

void ServiceDispatcher::AddSampleRateObserver(ISampleRateObserver* observer)
{
    sampleRateObservers.Add(observer);
}

void ServiceDispatcher::RemoveSampleRateObserver(ISampleRateObserver* observer)
{
    sampleRateObservers.Remove(observer);
}

void ServiceDispatcher::AddSmoothable(ISmoothable* smoothable)
{
    smoothables.Add(smoothable);
}

void ServiceDispatcher::RemoveSmoothable(ISmoothable* smoothable)
{
    smoothables.Remove(smoothable);
}

void ServiceDispatcher::AddTempoObserver(ITempoObserver* observer)
{
    tempoObservers.Add(observer);
}

void ServiceDispatcher::RemoveTempoObserver(ITempoObserver* observer)
{
    tempoObservers.Remove(observer);
}

void ServiceDispatcher::AddPpqnPositionObserver(IPpqnPositionObserver* observer)
{
    ppqnPositionObservers.Add(observer);
}

void ServiceDispatcher::RemovePpqnPositionObserver(IPpqnPositionObserver* observer)
{
    ppqnPositionObservers.Remove(observer);
}

void ServiceDispatcher::SetSampleRate(float rate)
{
    if (!std::isfinite(rate) || rate <= 0.0f || rate == sampleRate)
        return;
    sampleRate = rate;
    sampleRateObservers.ForEach([rate](ISampleRateObserver* o) { o->OnSampleRateChanged(rate); });
}

void ServiceDispatcher::SetTempo(float bpm)
{
    if (!std::isfinite(bpm) || bpm == tempo)
        return;
    tempo = bpm;
    tempoObservers.ForEach([bpm](ITempoObserver* o) { o->OnTempoChanged(bpm); });
}

void ServiceDispatcher::SetPpqnPosition(float position)
{
    if (!std::isfinite(position) || position == ppqnPosition)
        return;
    ppqnPosition = position;
    ppqnPositionObservers.ForEach([position](IPpqnPositionObserver* o)
                                  { o->OnPpqnPositionChanged(position); });
}

void ServiceDispatcher::Reset()
{
    resettables.ForEach([](IResettable* o) { o->Reset(); });
}

void ServiceDispatcher::Smooth(std::int32_t sampleCount)
{
    smoothables.ForEach([sampleCount](ISmoothable* o) { o->Smooth(sampleCount); });
}

} // namespace Kestrune
