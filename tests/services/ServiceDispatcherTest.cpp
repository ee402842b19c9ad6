#include "services/ServiceDispatcher.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

using Kestrune::ServiceDispatcher;

namespace
{

using Log = std::vector<std::string>;

// Records each notification together with what the provider's getter answered at that moment.
class Listener : public Kestrune::IResettable,
                 public Kestrune::ISampleRateObserver,
                 public Kestrune::ITempoObserver,
                 public Kestrune::IPpqnPositionObserver,
                 public Kestrune::ISmoothable
{
public:
    Listener(Log& sharedLog, std::string tag, ServiceDispatcher& provider)
        : log(sharedLog), name(std::move(tag)), services(provider)
    {
    }

    void Reset() override { Add("Reset"); }
    void OnSampleRateChanged(float rate) override
    {
        Add("Rate " + Number(rate) + " get " + Number(services.GetSampleRate()));
    }
    void OnTempoChanged(float bpm) override
    {
        Add("Tempo " + Number(bpm) + " get " + Number(services.GetTempo()));
    }
    void OnPpqnPositionChanged(double ppq) override
    {
        Add("Ppq " + Number(ppq) + " get " + Number(services.GetPpqnPosition()));
    }
    void Smooth(std::int32_t count) override { Add("Smooth " + std::to_string(count)); }

    void AddToAll()
    {
        services.AddResettable(this);
        services.AddSampleRateObserver(this);
        services.AddTempoObserver(this);
        services.AddPpqnPositionObserver(this);
        services.AddSmoothable(this);
    }

    void RemoveFromAll()
    {
        services.RemoveResettable(this);
        services.RemoveSampleRateObserver(this);
        services.RemoveTempoObserver(this);
        services.RemovePpqnPositionObserver(this);
        services.RemoveSmoothable(this);
    }

private:
    static std::string Number(double value) { return std::to_string(value); }
    void Add(const std::string& what)
    {
        std::string entry = name;
        entry += ':';
        entry += what;
        log.push_back(entry);
    }

    Log& log;
    std::string name;
    ServiceDispatcher& services;
};

class ServiceDispatcherTest : public ::testing::Test
{
protected:
    Log log;
    ServiceDispatcher services;
    Listener a{log, "a", services};
    Listener b{log, "b", services};
};

} // namespace

TEST_F(ServiceDispatcherTest, StartsAt44100Hz120BpmAndPositionZeroAndTheseNotifyNobody)
{
    EXPECT_EQ(services.GetSampleRate(), 44100.0f);
    EXPECT_EQ(services.GetTempo(), 120.0f);
    EXPECT_EQ(services.GetPpqnPosition(), 0.0f);
    a.AddToAll();
    services.SetSampleRate(44100.0f);
    services.SetTempo(120.0f);
    services.SetPpqnPosition(0.0f);
    EXPECT_TRUE(log.empty());
}

TEST_F(ServiceDispatcherTest, NotifiesOnlyOnChangeAndGetterAnswersTheNewValueInside)
{
    a.AddToAll();
    services.SetSampleRate(48000.0f);
    services.SetSampleRate(48000.0f);
    services.SetTempo(90.0f);
    services.SetTempo(90.0f);
    services.SetPpqnPosition(4.5f);
    services.SetPpqnPosition(4.5f);
    EXPECT_EQ(log, (Log{"a:Rate 48000.000000 get 48000.000000", "a:Tempo 90.000000 get 90.000000",
                        "a:Ppq 4.500000 get 4.500000"}));
    EXPECT_EQ(services.GetSampleRate(), 48000.0f);
    EXPECT_EQ(services.GetTempo(), 90.0f);
    EXPECT_EQ(services.GetPpqnPosition(), 4.5f);
}

TEST_F(ServiceDispatcherTest, NotifiesInInsertionOrderTwiceForDuplicates)
{
    services.AddTempoObserver(&b);
    services.AddTempoObserver(&a);
    services.AddTempoObserver(&b);
    services.SetTempo(100.0f);
    EXPECT_EQ(log, (Log{"b:Tempo 100.000000 get 100.000000", "a:Tempo 100.000000 get 100.000000",
                        "b:Tempo 100.000000 get 100.000000"}));

    log.clear();
    services.RemoveTempoObserver(&b); // every occurrence
    services.SetTempo(101.0f);
    EXPECT_EQ(log, Log{"a:Tempo 101.000000 get 101.000000"});
}

TEST_F(ServiceDispatcherTest, ResetAndSmoothReachEveryMemberInOrder)
{
    a.AddToAll();
    b.AddToAll();
    services.Reset();
    services.Smooth(0);
    services.Smooth(16384);
    EXPECT_EQ(log, (Log{"a:Reset", "b:Reset", "a:Smooth 0", "b:Smooth 0", "a:Smooth 16384",
                        "b:Smooth 16384"}));
}

TEST_F(ServiceDispatcherTest, RemovedObserversAreNoLongerTold)
{
    a.AddToAll();
    b.AddToAll();
    a.RemoveFromAll();
    a.RemoveFromAll(); // not in the lists any more: nothing happens
    services.Reset();
    services.Smooth(1);
    services.SetSampleRate(22050.0f);
    services.SetTempo(60.0f);
    services.SetPpqnPosition(1.0f);
    EXPECT_EQ(log, (Log{"b:Reset", "b:Smooth 1", "b:Rate 22050.000000 get 22050.000000",
                        "b:Tempo 60.000000 get 60.000000", "b:Ppq 1.000000 get 1.000000"}));
}

TEST_F(ServiceDispatcherTest, NonFiniteValuesAndSampleRatesOfZeroOrBelowAreIgnored)
{
    a.AddToAll();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    services.SetTempo(133.0f);
    services.SetPpqnPosition(8.0f);
    log.clear();
    for (float bad : {nan, inf, -inf})
    {
        services.SetSampleRate(bad);
        services.SetTempo(bad);
        services.SetPpqnPosition(bad);
    }
    for (float rate : {0.0f, -0.0f, -48000.0f})
        services.SetSampleRate(rate);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(services.GetSampleRate(), 44100.0f);
    EXPECT_EQ(services.GetTempo(), 133.0f);
    EXPECT_EQ(services.GetPpqnPosition(), 8.0f);
}

TEST_F(ServiceDispatcherTest, NegativeSongPositionIsPassedOn)
{
    a.AddToAll();
    services.SetPpqnPosition(-1.0f); // pre-roll
    EXPECT_EQ(log, Log{"a:Ppq -1.000000 get -1.000000"});
}

TEST_F(ServiceDispatcherTest, ObjectBuiltAfterAChangeReadsTheRateAndIsNotNotified)
{
    services.SetSampleRate(96000.0f);
    Listener late{log, "late", services};
    late.AddToAll();
    EXPECT_EQ(services.GetSampleRate(), 96000.0f);
    services.SetSampleRate(96000.0f);
    EXPECT_TRUE(log.empty());
}

TEST_F(ServiceDispatcherTest, OwnsTheMidiDispatchersAndWiresThemTogether)
{
    EXPECT_EQ(services.GetMessageProvider(), services.GetMessageDispatcher());
    EXPECT_EQ(services.GetControllerProvider(), services.GetControllerDispatcher());

    struct Wheel : Kestrune::Midi::IModulationWheelObserver
    {
        int coarse = -1;
        void OnModulationWheel(std::uint8_t, std::uint8_t value) override { coarse = value; }
        void OnModulationWheelFine(std::uint8_t, std::uint8_t) override {}
    } wheel;
    services.GetControllerProvider()->AttachModulationWheelObserver(&wheel);
    services.GetMessageDispatcher()->Dispatch(0xB2, 1, 77);
    EXPECT_EQ(wheel.coarse, 77);
    services.GetControllerProvider()->DetachModulationWheelObserver(&wheel);
}
