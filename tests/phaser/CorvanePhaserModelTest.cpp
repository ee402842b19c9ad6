// The plug-in's concrete model: its parameters as the host and the editor see them, and
// the wiring between parameters, owners and the processing chain.
#include "phaser/CorvanePhaserModel.h"
#include "phaser/ParameterTable.h"
#include "phaser/Product.h"
#include "services/ServiceDispatcher.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace
{
using namespace Kestrune::Product;

struct Expected
{
    const char* hostName;
    const char* name;
    const char* display;
    const char* label;
    float value;
};

// Host name (group short name + parameter short name), full name, default text, unit.
const Expected kTable[kParameterCount] = {
    {"LFreq", "Frequency", "0.800", "Hz", 0.2f},
    {"LMS", "MIDI Source", "None", "Source", 0.0f},
    {"LSOn", "Sync Enabled", "Off", "On/Off", 0.0f},
    {"LSRes", "Sync Resolution", "1/2", "Res", 0.5f},
    {"LQM", "Quad Mode", "On", "On/Off", 1.0f},
    {"POn", "Enabled", "On", "On/Off", 1.0f},
    {"PFB", "Feedback Level", "-oo", "Level", 0.0f},
    {"PModD", "Modulation Depth", "6", "Depth", 0.25f},
    {"PLFreq", "Left Frequency", "2500.00", "Hz", 0.5f},
    {"PRFreq", "Right Frequency", "2500.00", "Hz", 0.5f},
    {"PSM", "Stage Mode", "4", "Mode", 0.0f},
    {"PMix", "Wet/Dry Mix", "0", "Dry/Wet", 0.5f},
    {"PMS", "Modulation Source", "LFO", "Source", 0.25f},
};

class CorvanePhaserModelTest : public ::testing::Test
{
protected:
    Kestrune::ServiceDispatcher services;
    std::unique_ptr<CorvanePhaserModel> model = std::make_unique<CorvanePhaserModel>(
        "Corvane Phaser", "Corvane Sound Design", "Corvane Phaser", 1000, &services);

    // As the audio thread before its next slice: the engine takes the changed settings.
    void Set(int index, float value)
    {
        model->SetParameterValue(index, value);
        Deliver();
    }
    void Deliver()
    {
        std::lock_guard<Kestrune::RecursiveLock> guard(model->GetLock());
        model->DeliverLocked();
    }

    std::string HostName(int i)
    {
        return std::string(model->GetGroupShortName(i)) + model->GetParameterShortName(i);
    }
};

TEST_F(CorvanePhaserModelTest, EveryParameterWithItsNameTextAndUnitInEveryProgram)
{
    // The parameters without the engine (the LV2 editor's) answer as the plug-in's model does.
    std::unique_ptr<Kestrune::Model> mirror = Kestrune::Product::CreateParameters(&services);
    for (Kestrune::Model* each : {static_cast<Kestrune::Model*>(model.get()), mirror.get()})
    {
        ASSERT_EQ(each->GetParameterCount(), kParameterCount);
        for (int program = 0; program < 32; ++program)
        {
            each->SetProgram(program);
            for (int i = 0; i < kParameterCount; ++i)
            {
                SCOPED_TRACE("program " + std::to_string(program) + " parameter " +
                             std::to_string(i));
                const std::string hostName =
                    std::string(each->GetGroupShortName(i)) + each->GetParameterShortName(i);
                EXPECT_EQ(hostName, kTable[i].hostName);
                EXPECT_STREQ(each->GetParameterName(i), kTable[i].name);
                EXPECT_STREQ(each->GetParameterDisplay(i), kTable[i].display);
                EXPECT_STREQ(each->GetParameterLabel(i), kTable[i].label);
                EXPECT_EQ(each->GetParameterValue(i), kTable[i].value);
                EXPECT_LE(hostName.size(), 6u);
            }
        }
        EXPECT_STREQ(each->GetGroupName(kLfoFrequency), "LFO");
        EXPECT_STREQ(each->GetGroupName(kEnabled), "Phaser");
        EXPECT_STREQ(each->GetGroupName(kSweepSource), "Phaser");
    }
}

TEST_F(CorvanePhaserModelTest, TheMirrorShowsWhatTheModelShowsAtAnyValue)
{
    std::unique_ptr<Kestrune::Model> mirror = Kestrune::Product::CreateParameters(&services);
    for (float value : {0.0f, 0.013f, 0.37f, 0.5f, 0.91f, 1.0f})
    {
        for (int i = 0; i < kParameterCount; ++i)
        {
            model->SetParameterValue(i, value);
            mirror->SetParameterValue(i, value);
            EXPECT_STREQ(mirror->GetParameterDisplay(i), model->GetParameterDisplay(i))
                << "parameter " << i << " at " << value;
        }
    }
}

TEST_F(CorvanePhaserModelTest, OscillatorFrequencyHostNameEqualsLeftFrequencyShortName)
{
    EXPECT_EQ(HostName(kLfoFrequency), std::string(model->GetParameterShortName(kLeftFrequency)));
}

TEST_F(CorvanePhaserModelTest, DefaultsReachTheOwners)
{
    auto& engine = model->GetEngine();
    EXPECT_TRUE(engine.GetPhaser().IsEnabled());
    EXPECT_EQ(engine.GetPhaser().GetFeedback(), 0.0f);
    EXPECT_EQ(engine.GetPhaser().GetStageMode(), 0);
    EXPECT_EQ(engine.GetLfo().GetFreeFrequency(), 0.8f);
    EXPECT_EQ(engine.GetLfo().GetSyncResolution(), 5);
    EXPECT_EQ(engine.GetPhaser().GetLeftModulationSource(), engine.GetLfo().GetInPhaseOutput());
    EXPECT_EQ(engine.GetPhaser().GetRightModulationSource(), engine.GetLfo().GetQuadratureOutput());
}

TEST_F(CorvanePhaserModelTest, TheTwoSourceParametersDriveDifferentOwners)
{
    auto& engine = model->GetEngine();
    Set(kLfoMidiSource, 1.0f); // MIDI Source: ExpPd
    EXPECT_STREQ(model->GetParameterDisplay(kLfoMidiSource), "ExpPd");
    EXPECT_EQ(engine.GetLfo().GetMidiSource(), 3);
    EXPECT_EQ(engine.GetPhaser().GetLeftModulationSource(), engine.GetLfo().GetInPhaseOutput());

    Set(kSweepSource, 0.0f); // Modulation Source: None
    EXPECT_STREQ(model->GetParameterDisplay(kSweepSource), "None");
    EXPECT_EQ(engine.GetLfo().GetMidiSource(), 3);
    const float* left = engine.GetPhaser().GetLeftModulationSource();
    for (int i = 0; i < 16384; ++i)
        ASSERT_EQ(left[i], 0.0f);
}

TEST_F(CorvanePhaserModelTest, SelectionAndFeedbackStayInRangeWhateverTheValue)
{
    Set(kStageMode, 7.0f);
    EXPECT_EQ(model->GetEngine().GetPhaser().GetStageMode(), 6);
    EXPECT_STREQ(model->GetParameterDisplay(kStageMode), "16");
    Set(kFeedback, 3.0f);
    EXPECT_LE(model->GetEngine().GetPhaser().GetFeedback(), 0.95f);
    Set(kLfoSyncResolution, -2.0f);
    EXPECT_EQ(model->GetEngine().GetLfo().GetSyncResolution(), 0);
}

TEST_F(CorvanePhaserModelTest, DisabledPassesAudioThroughBitForBitAndFreezesTheOscillator)
{
    services.Reset();
    std::vector<float> inL(512), inR(512), outL(512), outR(512);
    for (int i = 0; i < 512; ++i)
    {
        inL[i] = static_cast<float>(i % 17) / 17.0f - 0.4f;
        inR[i] = -inL[i] * 0.3f;
    }
    float* in[2] = {inL.data(), inR.data()};
    float* out[2] = {outL.data(), outR.data()};
    model->SetParameterValue(kEnabled, 0.0f);
    const float sine = model->GetEngine().GetLfo().GetSine();
    const auto process = [&]
    {
        Deliver();
        services.Smooth(512);
        model->Process(in, out, 512);
    };
    process();
    EXPECT_EQ(outL, inL);
    EXPECT_EQ(outR, inR);
    EXPECT_EQ(model->GetEngine().GetLfo().GetSine(), sine);

    model->SetParameterValue(kEnabled, 1.0f);
    process();
    EXPECT_NE(model->GetEngine().GetLfo().GetSine(), sine);
    EXPECT_NE(outL, inL);
}

} // namespace
