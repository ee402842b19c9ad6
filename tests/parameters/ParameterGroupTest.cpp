#include "parameters/Displays.h"
#include "parameters/Labels.h"
#include "parameters/Parameter.h"
#include "parameters/ParameterGroupBase.h"
#include "parameters/SmoothParameter.h"
#include "parameters/Transforms.h"
#include "support/FakeServiceProvider.h"
#include "support/RecordingOwner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

using namespace Kestrune::Parameters;
using TestSupport::RecordingOwner;
using Calls = std::vector<std::string>;

namespace
{

using LevelLabel = UnitLabel<"Level">;
using EnabledLabel = UnitLabel<"On/Off">;
using WetDryLabel = UnitLabel<"Dry/Wet">;
using Level = Parameter<RecordingOwner, 32, LinearTransform, FloatDisplay, LevelLabel>;
using Flag = Parameter<RecordingOwner, 32, BooleanTransform, EnabledDisplay, EnabledLabel>;
using Smooth = SmoothParameter<RecordingOwner, 32, LinearTransform, WetDryDisplay, WetDryLabel>;

class TestGroup : public ParameterGroupBase<RecordingOwner, 32>
{
public:
    explicit TestGroup(TestSupport::FakeServiceProvider* services) : ParameterGroupBase("T", "Test")
    {
        AddParameter<Level>("Lvl", "Level", 0.5f, &RecordingOwner::SetLevel);
        AddParameter<Flag>("On", "Enabled", 1.0f, &RecordingOwner::SetFlag);
        AddParameter<Smooth>("Mix", "Mix", 0.5f, &RecordingOwner::SetBuffer, services);
    }
};

class EmptyGroup : public ParameterGroupBase<RecordingOwner, 32>
{
public:
    EmptyGroup() : ParameterGroupBase("E", "Empty") {}
};

class ParameterGroupTest : public ::testing::Test
{
protected:
    TestSupport::FakeServiceProvider services;
    TestGroup group{&services};
    RecordingOwner owner;
};

} // namespace

TEST_F(ParameterGroupTest, AnswersForEachParameterByItsIndex)
{
    EXPECT_STREQ(group.GetShortName(), "T");
    EXPECT_STREQ(group.GetName(), "Test");
    EXPECT_EQ(group.GetParameterCount(), 3);
    EXPECT_EQ(group.GetProgramCount(), 32);
    EXPECT_EQ(group.GetProgram(), 0);
    EXPECT_STREQ(group.GetParameterShortName(1), "On");
    EXPECT_STREQ(group.GetParameterName(2), "Mix");
    EXPECT_STREQ(group.GetParameterLabel(0), "Level");
    EXPECT_STREQ(group.GetParameterDisplay(0), "0.500");
    EXPECT_STREQ(group.GetParameterDisplay(1), "On");
    EXPECT_STREQ(group.GetParameterDisplay(2), "0");

    group.SetParameterValue(0, 0.25f);
    group.SetParameterProgramValue(7, 2, 1.0f);
    EXPECT_EQ(group.GetParameterValue(0), 0.25f);
    EXPECT_EQ(group.GetParameterProgramValue(7, 2), 1.0f);
    EXPECT_EQ(group.GetParameterValue(2), 0.5f);
    group.ResetParameter(0);
    EXPECT_EQ(group.GetParameterValue(0), 0.5f);
}

TEST_F(ParameterGroupTest, AttachAllHandsEverySettingInOrder)
{
    group.AttachAll(&owner);
    EXPECT_EQ(owner.calls, (Calls{"owner.level=0.500000", "owner.flag=true", "owner.buffer=set"}));
}

TEST_F(ParameterGroupTest, SetProgramMovesEveryParameterAndCallsOnlyChangedSettings)
{
    group.AttachAll(&owner);
    owner.calls.clear();
    group.SetParameterProgramValue(5, 0, 0.75f); // level changes
    group.SetParameterProgramValue(5, 1, 0.9f);  // flag stays true
    group.SetParameterProgramValue(5, 2, 0.0f);  // smoothed: target only
    auto* mix = static_cast<Smooth*>(group.GetParameter(2));
    EXPECT_TRUE(owner.calls.empty());

    group.SetProgram(5);
    EXPECT_EQ(group.GetProgram(), 5);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(group.GetParameter(i)->GetProgram(), 5);
    EXPECT_EQ(owner.calls, Calls{"owner.level=0.750000"});
    EXPECT_EQ(mix->GetSmoother().GetTarget(), 0.0f);
    EXPECT_STREQ(group.GetParameterDisplay(2), "-100");
}

TEST(EmptyParameterGroup, CountsZeroAndOnlyStoresTheProgram)
{
    EmptyGroup group;
    EXPECT_EQ(group.GetParameterCount(), 0);
    group.SetProgram(9);
    EXPECT_EQ(group.GetProgram(), 9);
    RecordingOwner owner;
    group.AttachAll(&owner);
    EXPECT_TRUE(owner.calls.empty());
}

TEST(ParameterGroupLifetime, DestroyingTheGroupUnregistersSmoothersAndCallsNoOwner)
{
    TestSupport::FakeServiceProvider services;
    RecordingOwner owner;
    {
        TestGroup group{&services};
        group.AttachAll(&owner);
        EXPECT_EQ(services.smoothables.size(), 1u);
        owner.calls.clear();
    }
    EXPECT_TRUE(services.smoothables.empty());
    EXPECT_TRUE(owner.calls.empty());
}

// Readers on other threads see whole display texts and stored values while a writer changes
// them; the thread sanitizer build checks that these reads need no lock.
TEST(ParameterConcurrency, DisplayAndValueReadsAreWholeWithoutALock)
{
    TestSupport::FakeServiceProvider services;
    TestGroup group{&services};
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    group.SetParameterValue(0, 0.125f);
    std::thread reader(
        [&]
        {
            while (!done.load())
            {
                const std::string text = group.GetParameterDisplay(0);
                const float value = group.GetParameterValue(0);
                if (text != "0.125" && text != "0.875")
                    ++torn;
                if (value != 0.125f && value != 0.875f)
                    ++torn;
            }
        });
    for (int i = 0; i < 20000; ++i)
        group.SetParameterValue(0, (i % 2) != 0 ? 0.125f : 0.875f);
    done = true;
    reader.join();
    EXPECT_EQ(torn.load(), 0);
}
