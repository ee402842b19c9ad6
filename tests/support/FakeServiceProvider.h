// A service provider for unit tests: stores values, keeps the five lists, and hands out
// whatever MIDI providers a test installs (null by default).
#pragma once

#include "services/ServiceInterfaces.h"

#include <algorithm>
#include <vector>

namespace TestSupport
{

class FakeServiceProvider : public Kestrune::IServiceProvider
{
public:
    float sampleRate = 44100.0f;
    float tempo = 120.0f;
    double position = 0.0;
    Kestrune::Midi::IMessageProvider* messageProvider = nullptr;
    Kestrune::Midi::IControllerProvider* controllerProvider = nullptr;

    std::vector<Kestrune::IResettable*> resettables;
    std::vector<Kestrune::ISampleRateObserver*> sampleRateObservers;
    std::vector<Kestrune::ISmoothable*> smoothables;
    std::vector<Kestrune::ITempoObserver*> tempoObservers;
    std::vector<Kestrune::IPpqnPositionObserver*> positionObservers;

    float GetSampleRate() override { return sampleRate; }
    float GetTempo() override { return tempo; }
    double GetPpqnPosition() override { return position; }
    Kestrune::Midi::IMessageProvider* GetMessageProvider() override { return messageProvider; }
    Kestrune::Midi::IControllerProvider* GetControllerProvider() override
    {
        return controllerProvider;
    }

    void AddResettable(Kestrune::IResettable* p) override { resettables.push_back(p); }
    void RemoveResettable(Kestrune::IResettable* p) override { Erase(resettables, p); }
    void AddSampleRateObserver(Kestrune::ISampleRateObserver* p) override
    {
        sampleRateObservers.push_back(p);
    }
    void RemoveSampleRateObserver(Kestrune::ISampleRateObserver* p) override
    {
        Erase(sampleRateObservers, p);
    }
    void AddSmoothable(Kestrune::ISmoothable* p) override { smoothables.push_back(p); }
    void RemoveSmoothable(Kestrune::ISmoothable* p) override { Erase(smoothables, p); }
    void AddTempoObserver(Kestrune::ITempoObserver* p) override { tempoObservers.push_back(p); }
    void RemoveTempoObserver(Kestrune::ITempoObserver* p) override { Erase(tempoObservers, p); }
    void AddPpqnPositionObserver(Kestrune::IPpqnPositionObserver* p) override
    {
        positionObservers.push_back(p);
    }
    void RemovePpqnPositionObserver(Kestrune::IPpqnPositionObserver* p) override
    {
        Erase(positionObservers, p);
    }

    // Helpers that drive the lists the way the service dispatcher does.
    void ChangeSampleRate(float rate)
    {
        sampleRate = rate;
        for (auto* o : sampleRateObservers)
            o->OnSampleRateChanged(rate);
    }
    void ChangeTempo(float bpm)
    {
        tempo = bpm;
        for (auto* o : tempoObservers)
            o->OnTempoChanged(bpm);
    }
    void ChangePosition(double ppq)
    {
        position = ppq;
        for (auto* o : positionObservers)
            o->OnPpqnPositionChanged(ppq);
    }
    void ResetAll()
    {
        for (auto* o : resettables)
            o->Reset();
    }
    void SmoothAll(int count)
    {
        for (auto* o : smoothables)
            o->Smooth(count);
    }

private:
    template <typename T> static void Erase(std::vector<T*>& list, T* p)
    {
        list.erase(std::remove(list.begin(), list.end(), p), list.end());
    }
};

} // namespace TestSupport
