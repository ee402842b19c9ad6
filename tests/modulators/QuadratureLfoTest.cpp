#include "modulators/QuadratureLfo.h"

#include "dsp/DisplayChecks.h"
#include "modulators/FakeMidiProviders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

using Kestrune::Modulators::LfoBase;
using Kestrune::Modulators::QuadratureLfo;
using Kestrune::Modulators::SynchableLfo;

namespace
{

struct Rig : ModulatorTests::MidiRig
{
    std::unique_ptr<QuadratureLfo> lfo = std::make_unique<QuadratureLfo>(&provider);

    std::vector<float> InPhase(int count) const
    {
        return {lfo->GetInPhaseOutput(), lfo->GetInPhaseOutput() + count};
    }
    std::vector<float> Quadrature(int count) const
    {
        return {lfo->GetQuadratureOutput(), lfo->GetQuadratureOutput() + count};
    }
};

float ExpectedIncrement(float hz, float rate)
{
    return (hz * 6.283185f) / rate;
}

} // namespace

TEST(LfoPolicies, FrequencyTransformAndTableTexts)
{
    EXPECT_FLOAT_EQ(LfoBase::FrequencyTransform::Convert(0.2f), 0.8f);
    EXPECT_FLOAT_EQ(LfoBase::FrequencyTransform::Convert(1.0f), 20.0f);
    EXPECT_EQ(LfoBase::FrequencyTransform::Convert(0.0f), 0.0f);

    DspTests::ExpectTableTexts<LfoBase::MidiSourceDisplay>({"None", "ModWh", "ChPress", "ExpPd"});
    DspTests::ExpectTableTexts<SynchableLfo::SyncResolutionDisplay>(
        {"1/32", "1/16", "1/12", "1/8", "1/4", "1/2", "1/1", "2/1", "4/1", "8/1", "16/1"});
}

TEST(LfoLifecycle, RegistersInOrderAndUnregistersEverything)
{
    Rig rig;
    QuadratureLfo* lfo = rig.lfo.get();
    ASSERT_EQ(rig.messages.pressureObservers.size(), 1u);
    ASSERT_EQ(rig.controllers.observers.size(), 2u);
    // Wheel first, then pedal, through their interface pointers.
    EXPECT_EQ(rig.controllers.observers[0],
              static_cast<Kestrune::Midi::IModulationWheelObserver*>(lfo));
    EXPECT_EQ(rig.controllers.observers[1],
              static_cast<Kestrune::Midi::IExpressionPedalObserver*>(lfo));
    ASSERT_EQ(rig.provider.tempoObservers.size(), 1u);
    ASSERT_EQ(rig.provider.positionObservers.size(), 1u);
    ASSERT_EQ(rig.provider.resettables.size(), 1u);
    ASSERT_EQ(rig.provider.sampleRateObservers.size(), 1u);

    EXPECT_EQ(lfo->GetFrequency(), 1.0f);
    EXPECT_TRUE(lfo->IsQuadMode());
    EXPECT_EQ(lfo->GetIncrement(), ExpectedIncrement(1.0f, 44100.0f));
    EXPECT_EQ(lfo->GetSine(), 0.0f);
    EXPECT_EQ(lfo->GetCosine(), 1.0f);

    rig.lfo.reset();
    EXPECT_TRUE(rig.messages.pressureObservers.empty());
    EXPECT_TRUE(rig.controllers.observers.empty());
    EXPECT_TRUE(rig.provider.tempoObservers.empty());
    EXPECT_TRUE(rig.provider.positionObservers.empty());
    EXPECT_TRUE(rig.provider.resettables.empty());
    EXPECT_TRUE(rig.provider.sampleRateObservers.empty());
}

TEST(LfoLifecycle, WorksWithoutMidiProviders)
{
    TestSupport::FakeServiceProvider provider;
    auto lfo = std::make_unique<QuadratureLfo>(&provider);
    lfo->Process(16);
    EXPECT_GT(lfo->GetInPhaseOutput()[15], 0.0f);
}

TEST(LfoOscillator, FirstSampleIsTheIncrementAfterReset)
{
    Rig rig;
    rig.lfo->SetFrequency(0.8f);
    const float increment = rig.lfo->GetIncrement();
    EXPECT_EQ(increment, ExpectedIncrement(0.8f, 44100.0f));
    rig.lfo->Process(1);
    EXPECT_EQ(rig.lfo->GetInPhaseOutput()[0], increment);
    // The cosine uses the new sine.
    EXPECT_FLOAT_EQ(rig.lfo->GetQuadratureOutput()[0], 1.0f - increment * increment);

    rig.lfo->Process(5000);
    rig.provider.ResetAll();
    EXPECT_EQ(rig.lfo->GetSine(), 0.0f);
    EXPECT_EQ(rig.lfo->GetCosine(), 1.0f);
    EXPECT_EQ(rig.lfo->GetFrequency(), 0.8f);
    rig.lfo->Process(1);
    EXPECT_EQ(rig.lfo->GetInPhaseOutput()[0], increment);
}

TEST(LfoOscillator, QuadModeOffGivesIdenticalOutputs)
{
    Rig rig;
    rig.lfo->SetFrequency(5.0f);
    rig.lfo->Process(2000);
    EXPECT_NE(rig.InPhase(2000), rig.Quadrature(2000));
    rig.lfo->SetQuadMode(false);
    rig.lfo->Process(2000);
    EXPECT_EQ(rig.InPhase(2000), rig.Quadrature(2000));
}

// The recurrence and the MIDI layer's separate multiply pass, written out in the test: every
// output bit and the state reached, over slices of several lengths, with and without scaling.
TEST(LfoOscillator, OutputsAreTheRecurrenceThenTheMidiScaleBitForBit)
{
    Rig rig;
    rig.lfo->SetFrequency(7.3f);
    rig.Control(0, 1, 93);
    float sine = 0.0f, cosine = 1.0f;
    const float e = rig.lfo->GetIncrement();
    int slice = 0;
    for (const int count : {1, 3, 512, 17, 4096})
    {
        SCOPED_TRACE(count);
        const bool quad = slice % 2 == 0;
        const bool scaled = slice % 3 != 0;
        ++slice;
        rig.lfo->SetQuadMode(quad);
        rig.lfo->SetMidiSource(scaled ? LfoBase::kWheelSource : LfoBase::kNoMidiSource);
        rig.lfo->Process(count);
        const float gain = scaled ? static_cast<float>(93) * 0.007874016f : 1.0f;
        for (int i = 0; i < count; ++i)
        {
            sine = sine + cosine * e;
            cosine = cosine - sine * e;
            float inPhase = sine, quadrature = quad ? cosine : sine;
            if (scaled)
            {
                inPhase *= gain;
                quadrature *= gain;
            }
            ASSERT_EQ(rig.lfo->GetInPhaseOutput()[i], inPhase) << i;
            ASSERT_EQ(rig.lfo->GetQuadratureOutput()[i], quadrature) << i;
        }
        EXPECT_EQ(rig.lfo->GetSine(), sine);
        EXPECT_EQ(rig.lfo->GetCosine(), cosine);
    }
}

// A caller that steps the slice itself (the phaser does) gets what Process gives, and only the
// samples it steps are written.
TEST(LfoOscillator, SliceSteppedByTheCallerEqualsProcess)
{
    Rig processed, stepped;
    for (Rig* rig : {&processed, &stepped})
    {
        rig->lfo->SetFrequency(11.0f);
        rig->lfo->SetMidiSource(LfoBase::kPressureSource);
        rig->Pressure(0, 50);
    }
    for (const int count : {0, 5, 300, 16384})
    {
        SCOPED_TRACE(count);
        stepped.lfo->Process(16384);
        processed.lfo->Process(16384);
        const auto before = stepped.InPhase(16384);
        processed.lfo->Process(count);
        Kestrune::Modulators::CoupledOscillator slice = stepped.lfo->StartSlice();
        for (int i = 0; i < count; ++i)
            slice.Step(i);
        stepped.lfo->FinishSlice(slice);
        const QuadratureLfo& a = *stepped.lfo;
        const QuadratureLfo& b = *processed.lfo;
        EXPECT_TRUE(
            std::equal(a.GetInPhaseOutput(), a.GetInPhaseOutput() + count, b.GetInPhaseOutput()));
        EXPECT_TRUE(std::equal(a.GetQuadratureOutput(), a.GetQuadratureOutput() + count,
                               b.GetQuadratureOutput()));
        EXPECT_EQ(stepped.lfo->GetSine(), processed.lfo->GetSine());
        EXPECT_EQ(stepped.lfo->GetCosine(), processed.lfo->GetCosine());
        const auto after = stepped.InPhase(16384);
        EXPECT_TRUE(std::equal(after.begin() + count, after.end(), before.begin() + count));
    }
}

// Rising zero crossings of the in-phase output, interpolated, over five seconds.
TEST(LfoOscillator, FrequencyMeasuredFromZeroCrossings)
{
    for (float hz : {0.8f, 3.7f, 20.0f})
    {
        Rig rig;
        rig.lfo->SetFrequency(hz);
        const int slice = 512;
        std::vector<double> crossings;
        float previous = 0.0f;
        long n = 0;
        for (int s = 0; s < 5 * 44100 / slice; ++s)
        {
            rig.lfo->Process(slice);
            for (int i = 0; i < slice; ++i, ++n)
            {
                const float x = rig.lfo->GetInPhaseOutput()[i];
                if (previous < 0.0f && x >= 0.0f)
                    crossings.push_back(static_cast<double>(n - 1) + previous / (previous - x));
                previous = x;
            }
        }
        ASSERT_GE(crossings.size(), 3u) << hz;
        const double periods = static_cast<double>(crossings.size() - 1);
        const double measured = periods * 44100.0 / (crossings.back() - crossings.front());
        EXPECT_NEAR(measured, hz, hz * 1e-4) << hz;
        // The amplitude stays at 1 without renormalisation.
        EXPECT_NEAR(std::hypot(rig.lfo->GetSine(), rig.lfo->GetCosine()), 1.0, 1e-3) << hz;
    }
}

TEST(LfoOscillator, QuadratureLeadsByAQuarterCycle)
{
    Rig rig;
    rig.lfo->SetFrequency(2.0f);
    const int quarter = 44100 / 8; // samples in a quarter cycle at 2 Hz
    rig.lfo->Process(quarter);
    EXPECT_NEAR(rig.lfo->GetInPhaseOutput()[quarter - 1], 1.0f, 1e-6f);
    EXPECT_NEAR(rig.lfo->GetQuadratureOutput()[quarter - 1], 0.0f, 2e-3f);
}

TEST(LfoOscillator, SampleRateChangeKeepsHertz)
{
    Rig rig;
    rig.lfo->SetFrequency(4.0f);
    rig.provider.ChangeSampleRate(96000.0f);
    EXPECT_EQ(rig.lfo->GetFrequency(), 4.0f);
    EXPECT_EQ(rig.lfo->GetIncrement(), ExpectedIncrement(4.0f, 96000.0f));
    rig.provider.ChangeSampleRate(0.0f);
    EXPECT_EQ(rig.lfo->GetIncrement(), ExpectedIncrement(4.0f, 96000.0f));
}

TEST(LfoOscillator, AbsurdFrequenciesKeepTheStateFinite)
{
    Rig rig;
    rig.lfo->SetFrequency(1.0e9f);
    EXPECT_FLOAT_EQ(rig.lfo->GetIncrement(), 6.283185f / 32.0f) << "fastest sweep";
    rig.lfo->SetFrequency(std::nanf(""));
    EXPECT_EQ(rig.lfo->GetFreeFrequency(), 1.0e9f);
    rig.lfo->SetPhase(std::nanf(""));
    for (int s = 0; s < 200; ++s)
        rig.lfo->Process(Kestrune::kMaxBlockSize);
    EXPECT_LT(std::fabs(rig.lfo->GetSine()), 2.0f);
    EXPECT_LT(std::fabs(rig.lfo->GetCosine()), 2.0f);
    const float* out = rig.lfo->GetQuadratureOutput();
    EXPECT_TRUE(
        std::all_of(out, out + Kestrune::kMaxBlockSize, [](float x) { return std::isfinite(x); }));
}

TEST(LfoMidiScaling, ScalesByTheChosenControl)
{
    Rig rig, plain;
    rig.lfo->SetFrequency(3.0f);
    plain.lfo->SetFrequency(3.0f);

    rig.lfo->SetMidiSource(LfoBase::kWheelSource);
    rig.lfo->Process(256);
    plain.lfo->Process(256);
    // No wheel message yet: value 0, no sweep at all.
    EXPECT_TRUE(std::all_of(rig.lfo->GetInPhaseOutput(), rig.lfo->GetInPhaseOutput() + 256,
                            [](float x) { return x == 0.0f; }));
    EXPECT_TRUE(std::all_of(rig.lfo->GetQuadratureOutput(), rig.lfo->GetQuadratureOutput() + 256,
                            [](float x) { return x == 0.0f; }));

    // Any channel; 127 is full amplitude.
    rig.Control(9, 1, 127);
    rig.lfo->Process(256);
    plain.lfo->Process(256);
    for (int i = 0; i < 256; ++i)
    {
        EXPECT_FLOAT_EQ(rig.lfo->GetInPhaseOutput()[i], plain.lfo->GetInPhaseOutput()[i]);
        EXPECT_FLOAT_EQ(rig.lfo->GetQuadratureOutput()[i], plain.lfo->GetQuadratureOutput()[i]);
    }

    // Wheel fine (33) changes nothing.
    rig.Control(0, 33, 0);
    rig.lfo->Process(256);
    plain.lfo->Process(256);
    EXPECT_FLOAT_EQ(rig.lfo->GetInPhaseOutput()[100], plain.lfo->GetInPhaseOutput()[100]);

    // The expression pedal scales the same way, by value x 0.007874016.
    rig.Control(0, 11, 64);
    rig.lfo->SetMidiSource(LfoBase::kPedalSource);
    rig.lfo->Process(256);
    plain.lfo->Process(256);
    EXPECT_FLOAT_EQ(rig.lfo->GetInPhaseOutput()[100],
                    plain.lfo->GetInPhaseOutput()[100] * 64.0f * 0.007874016f);
    rig.Control(0, 43, 127);
    rig.lfo->Process(256);
    plain.lfo->Process(256);
    EXPECT_FLOAT_EQ(rig.lfo->GetQuadratureOutput()[7],
                    plain.lfo->GetQuadratureOutput()[7] * 64.0f * 0.007874016f);

    rig.Pressure(3, 32);
    rig.lfo->SetMidiSource(LfoBase::kPressureSource);
    rig.lfo->Process(256);
    plain.lfo->Process(256);
    EXPECT_FLOAT_EQ(rig.lfo->GetInPhaseOutput()[50],
                    plain.lfo->GetInPhaseOutput()[50] * 32.0f * 0.007874016f);

    // Values other than 1 to 3 mean no scaling.
    rig.lfo->SetMidiSource(7);
    rig.lfo->Process(256);
    plain.lfo->Process(256);
    EXPECT_EQ(rig.InPhase(256), plain.InPhase(256));
}

TEST(LfoSync, LocksToTempoAndSongPosition)
{
    Rig rig;
    rig.provider.tempo = 120.0f;
    rig.provider.position = 1.5f;
    rig.lfo->SetSyncResolution(4); // "1/4"
    rig.lfo->SetSyncEnabled(true);
    EXPECT_FLOAT_EQ(rig.lfo->GetFrequency(), 2.0f);
    EXPECT_NEAR(rig.lfo->GetSine(), 0.0f, 1e-6f);
    EXPECT_NEAR(rig.lfo->GetCosine(), -1.0f, 1e-6f);

    // Tempo moves only the frequency; position only the phase.
    rig.provider.ChangeTempo(90.0f);
    EXPECT_FLOAT_EQ(rig.lfo->GetFrequency(), 1.5f);
    EXPECT_NEAR(rig.lfo->GetCosine(), -1.0f, 1e-6f);
    rig.provider.ChangePosition(2.25f);
    EXPECT_NEAR(rig.lfo->GetSine(), 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(rig.lfo->GetFrequency(), 1.5f);

    // A new resolution applies both at once.
    rig.lfo->SetSyncResolution(6); // "1/1": 2.25 quarter notes are 0.5625 cycles
    EXPECT_FLOAT_EQ(rig.lfo->GetFrequency(), 0.375f);
    EXPECT_NEAR(rig.lfo->GetSine(), std::sin(0.5625 * 2.0 * 3.14159265358979), 1e-6);
}

TEST(LfoSync, FrequencyTableAt120Bpm)
{
    EXPECT_FLOAT_EQ(SynchableLfo::SynchronisedFrequency(120.0f, 4), 2.0f);
    EXPECT_FLOAT_EQ(SynchableLfo::SynchronisedFrequency(120.0f, 6), 0.5f);
    EXPECT_FLOAT_EQ(SynchableLfo::SynchronisedFrequency(120.0f, 10), 0.03125f);
    EXPECT_FLOAT_EQ(SynchableLfo::SynchronisedFrequency(120.0f, 0), 16.0f);
    EXPECT_FLOAT_EQ(SynchableLfo::SynchronisedFrequency(120.0f, 2), 6.0f); // triplet eighths
    EXPECT_EQ(SynchableLfo::QuarterNotesPerCycle(2), 0.33333334f);

    EXPECT_FLOAT_EQ(SynchableLfo::SynchronisedPhase(1.5f, 4), 0.5f);
    EXPECT_FLOAT_EQ(SynchableLfo::SynchronisedPhase(9.0f, 5), 0.5f);
    EXPECT_FLOAT_EQ(SynchableLfo::SynchronisedPhase(-1.5f, 4), -0.5f);

    Rig rig;
    rig.lfo->SetSyncEnabled(true);
    const int indices[] = {0, 6, 10};
    const float expected[] = {16.0f, 0.5f, 0.03125f};
    for (int k = 0; k < 3; ++k)
    {
        rig.lfo->SetSyncResolution(indices[k]);
        EXPECT_FLOAT_EQ(rig.lfo->GetFrequency(), expected[k]);
    }
    rig.lfo->SetSyncResolution(42);
    EXPECT_EQ(rig.lfo->GetSyncResolution(), 10);
    rig.lfo->SetSyncResolution(-3);
    EXPECT_EQ(rig.lfo->GetSyncResolution(), 0);
}

TEST(LfoSync, FreeFrequencyWaitsUntilSyncIsOff)
{
    Rig rig;
    rig.lfo->SetFrequency(0.8f);
    rig.lfo->SetSyncResolution(4);
    rig.lfo->SetSyncEnabled(true);
    ASSERT_FLOAT_EQ(rig.lfo->GetFrequency(), 2.0f);
    rig.lfo->SetFrequency(7.0f);
    EXPECT_FLOAT_EQ(rig.lfo->GetFrequency(), 2.0f);

    rig.lfo->Process(1000);
    const float sine = rig.lfo->GetSine();
    rig.lfo->SetSyncEnabled(false);
    EXPECT_EQ(rig.lfo->GetFrequency(), 7.0f);
    EXPECT_EQ(rig.lfo->GetSine(), sine); // the phase runs on

    // Unsynchronised, tempo and position are not followed.
    rig.provider.ChangeTempo(60.0f);
    rig.provider.ChangePosition(3.0f);
    EXPECT_EQ(rig.lfo->GetFrequency(), 7.0f);
    EXPECT_EQ(rig.lfo->GetSine(), sine);
}

TEST(LfoSync, NonFiniteOrNonPositiveTempoIsHandled)
{
    Rig rig;
    rig.lfo->SetSyncResolution(4);
    rig.lfo->SetSyncEnabled(true);
    rig.lfo->Process(300);
    const float sine = rig.lfo->GetSine();

    rig.provider.ChangeTempo(std::nanf(""));
    EXPECT_FLOAT_EQ(rig.lfo->GetFrequency(), 2.0f);
    rig.provider.ChangePosition(INFINITY);
    EXPECT_EQ(rig.lfo->GetSine(), sine);
    rig.lfo->SetSyncResolution(6); // the tempo is still NaN: the rate stays
    EXPECT_FLOAT_EQ(rig.lfo->GetFrequency(), 2.0f);
    rig.lfo->Process(300);
    EXPECT_TRUE(std::isfinite(rig.lfo->GetSine()));
    EXPECT_TRUE(std::isfinite(rig.lfo->GetCosine()));

    // Tempo 0 or below: the oscillator stands still at its phase.
    rig.provider.ChangePosition(1.0f);
    rig.provider.ChangeTempo(-30.0f);
    EXPECT_EQ(rig.lfo->GetFrequency(), 0.0f);
    const float still = rig.lfo->GetSine();
    rig.lfo->Process(300);
    EXPECT_EQ(rig.lfo->GetSine(), still);
    EXPECT_EQ(rig.lfo->GetInPhaseOutput()[299], still);
}
