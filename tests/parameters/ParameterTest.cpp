#include "parameters/Parameter.h"
#include "parameters/Displays.h"
#include "parameters/Labels.h"
#include "parameters/SmoothParameter.h"
#include "parameters/Transforms.h"
#include "support/FakeServiceProvider.h"
#include "support/RecordingOwner.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using namespace Kestrune::Parameters;
using TestSupport::RecordingOwner;
using Calls = std::vector<std::string>;

namespace
{

// Counts Format calls so that tests can tell a reformat from a kept text.
struct CountingDisplay
{
    static inline int formats = 0;
    static void Format(float setting, char* text, std::size_t size)
    {
        ++formats;
        FloatDisplay::Format(setting, text, size);
    }
};

struct CountingEnabledDisplay
{
    static inline int formats = 0;
    static void Format(bool setting, char* text, std::size_t size)
    {
        ++formats;
        EnabledDisplay::Format(setting, text, size);
    }
};

using LevelLabel = UnitLabel<"Level">;
using EnabledLabel = UnitLabel<"On/Off">;
using ModeLabel = UnitLabel<"Mode">;
using DepthLabel = UnitLabel<"Depth">;
using Level = Parameter<RecordingOwner, 32, LinearTransform, CountingDisplay, LevelLabel>;
using Flag = Parameter<RecordingOwner, 32, BooleanTransform, CountingEnabledDisplay, EnabledLabel>;
using Gain = Parameter<RecordingOwner, 32, LinearTransform, DecibelDisplay, LevelLabel>;
using Choice = Parameter<RecordingOwner, 32, SelectionTransform<4>, FloatDisplay, ModeLabel>;
using Squared = Parameter<RecordingOwner, 32, ExponentialTransform, FloatDisplay, DepthLabel>;
using Smooth =
    SmoothParameter<RecordingOwner, 32, ExponentialTransform, ScaledFloatDisplay, DepthLabel>;

class ParameterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CountingDisplay::formats = 0;
        CountingEnabledDisplay::formats = 0;
    }
    RecordingOwner owner;
};

} // namespace

TEST_F(ParameterTest, NewParameterHoldsItsDefaultEverywhereAndItsDisplayText)
{
    Level level("Lvl", "Level", 0.25f, &RecordingOwner::SetLevel);
    EXPECT_EQ(level.GetProgramCount(), 32);
    EXPECT_EQ(level.GetProgram(), 0);
    for (int p = 0; p < 32; ++p)
        EXPECT_EQ(level.GetProgramValue(p), 0.25f) << "program " << p;
    EXPECT_EQ(level.GetValue(), 0.25f);
    EXPECT_STREQ(level.GetDisplay(), "0.250");
    EXPECT_STREQ(level.GetLabel(), "Level");
    EXPECT_EQ(CountingDisplay::formats, 1) << "the default is applied exactly once";
}

TEST_F(ParameterTest, DefaultTextIsFormattedEvenWhenTheSettingIsZeroFalseOrFirst)
{
    Flag flag("F", "Flag", 0.0f, &RecordingOwner::SetFlag);
    Gain gain("G", "Gain", 0.0f, &RecordingOwner::SetLevel);
    Choice choice("C", "Choice", 0.0f, &RecordingOwner::SetChoice);
    Level level("L", "Level", 0.0f, &RecordingOwner::SetLevel);
    EXPECT_STREQ(flag.GetDisplay(), "Off");
    EXPECT_FALSE(flag.GetSetting());
    EXPECT_STREQ(gain.GetDisplay(), "-oo");
    EXPECT_STREQ(choice.GetDisplay(), "0.000");
    EXPECT_EQ(choice.GetSetting(), 0);
    EXPECT_STREQ(level.GetDisplay(), "0.000");
    EXPECT_EQ(CountingEnabledDisplay::formats, 1);
    EXPECT_EQ(CountingDisplay::formats, 1);
}

TEST_F(ParameterTest, NamesAreCutToSevenAnd127Characters)
{
    const std::string longName(200, 'n');
    Level level("ABCDEFGHIJ", longName.c_str(), 0.0f, &RecordingOwner::SetLevel);
    EXPECT_STREQ(level.GetShortName(), "ABCDEFG");
    EXPECT_EQ(std::string(level.GetName()), std::string(127, 'n'));
}

TEST_F(ParameterTest, OwnerIsCalledAndTextFormattedOnlyWhenTheSettingChanges)
{
    Flag flag("F", "Flag", 0.0f, &RecordingOwner::SetFlag);
    flag.Attach(&owner);
    EXPECT_EQ(owner.calls, Calls{"owner.flag=false"}) << "attach hands over the setting";
    flag.SetValue(0.6f);
    flag.SetValue(0.7f); // still true
    flag.SetValue(0.5f); // still true
    EXPECT_EQ(owner.calls, (Calls{"owner.flag=false", "owner.flag=true"}));
    EXPECT_EQ(CountingEnabledDisplay::formats, 2);
    EXPECT_STREQ(flag.GetDisplay(), "On");
    EXPECT_EQ(flag.GetValue(), 0.5f) << "the value is stored even when the setting stays";
}

TEST_F(ParameterTest, ValueForAnotherProgramIsStoredAndAppliedOnSwitch)
{
    Level level("L", "Level", 0.5f, &RecordingOwner::SetLevel);
    level.Attach(&owner);
    owner.calls.clear();
    level.SetProgramValue(3, 0.75f);
    EXPECT_TRUE(owner.calls.empty());
    EXPECT_EQ(level.GetProgramValue(3), 0.75f);
    EXPECT_EQ(level.GetValue(), 0.5f);
    EXPECT_STREQ(level.GetDisplay(), "0.500");

    level.SetProgram(3);
    EXPECT_EQ(level.GetProgram(), 3);
    EXPECT_EQ(owner.calls, Calls{"owner.level=0.750000"});
    EXPECT_STREQ(level.GetDisplay(), "0.750");

    level.SetProgramValue(3, 0.125f); // current program: applied at once
    EXPECT_EQ(owner.calls.back(), "owner.level=0.125000");

    owner.calls.clear();
    level.SetProgram(4); // holds the default 0.5
    level.SetProgram(5); // same setting: nobody is called
    EXPECT_EQ(owner.calls, Calls{"owner.level=0.500000"});
}

TEST_F(ParameterTest, ResetReturnsToTheDefault)
{
    Level level("L", "Level", 0.5f, &RecordingOwner::SetLevel);
    level.SetValue(0.9f);
    level.Reset();
    EXPECT_EQ(level.GetValue(), 0.5f);
    EXPECT_STREQ(level.GetDisplay(), "0.500");
}

TEST_F(ParameterTest, AttachingTwiceCallsTwiceAndOneDetachRemovesBoth)
{
    RecordingOwner other("other");
    Level level("L", "Level", 0.0f, &RecordingOwner::SetLevel);
    level.Attach(&owner);
    level.Attach(&other);
    level.Attach(&owner);
    owner.calls.clear();
    other.calls.clear();
    level.SetValue(1.0f);
    EXPECT_EQ(owner.calls, (Calls{"owner.level=1.000000", "owner.level=1.000000"}));
    EXPECT_EQ(other.calls, Calls{"other.level=1.000000"});

    level.Detach(&owner);
    EXPECT_EQ(owner.calls.size(), 2u) << "detach does not call the owner";
    level.SetValue(0.0f);
    EXPECT_EQ(owner.calls.size(), 2u);
    EXPECT_EQ(other.calls.back(), "other.level=0.000000");
}

TEST_F(ParameterTest, AttachHandsOverTheCurrentSettingWithoutRecomputing)
{
    Level level("L", "Level", 0.0f, &RecordingOwner::SetLevel);
    level.SetValue(0.25f);
    const int formats = CountingDisplay::formats;
    level.Attach(&owner);
    level.Attach(&owner); // called again even though it already holds the value
    EXPECT_EQ(owner.calls, (Calls{"owner.level=0.250000", "owner.level=0.250000"}));
    EXPECT_EQ(CountingDisplay::formats, formats);
}

TEST_F(ParameterTest, VirtualSetterReachesTheDerivedOverride)
{
    struct Derived : RecordingOwner
    {
        void SetLevel(float value) override { Record("derived", std::to_string(value)); }
    } derived;
    Level level("L", "Level", 0.5f, &RecordingOwner::SetLevel);
    level.Attach(&derived);
    EXPECT_EQ(derived.calls, Calls{"owner.derived=0.500000"});
}

TEST_F(ParameterTest, ValuesOutsideZeroToOneAreKeptButAnInfiniteSettingNeverReachesOwners)
{
    Squared squared("S", "Squared", 0.5f, &RecordingOwner::SetLevel);
    squared.Attach(&owner);
    owner.calls.clear();
    squared.SetValue(2.0f);
    EXPECT_EQ(owner.calls, Calls{"owner.level=4.000000"});
    squared.SetValue(1e30f); // squares to infinity in single precision
    EXPECT_EQ(squared.GetValue(), 1e30f);
    EXPECT_EQ(owner.calls.size(), 1u);
    EXPECT_EQ(squared.GetSetting(), 4.0f);
    EXPECT_STREQ(squared.GetDisplay(), "4.000");
}

TEST_F(ParameterTest, SmoothParameterAimsItsSmootherAndHandsOutTheBufferOnce)
{
    TestSupport::FakeServiceProvider services;
    Smooth depth("D", "Depth", 0.25f, &RecordingOwner::SetBuffer, &services);
    EXPECT_STREQ(depth.GetDisplay(), "6");
    EXPECT_EQ(depth.GetSetting(), 0.0625f);
    EXPECT_EQ(depth.GetSmoother().GetTarget(), 0.0625f);
    EXPECT_EQ(services.smoothables.size(), 1u) << "the smoother registers itself";

    depth.Attach(&owner);
    EXPECT_EQ(owner.calls, Calls{"owner.buffer=set"});
    EXPECT_EQ(owner.lastBuffer, depth.GetSmoother().GetBuffer());

    depth.SetValue(1.0f);
    EXPECT_EQ(owner.calls.size(), 1u) << "changes move the target, never call the owner";
    EXPECT_EQ(depth.GetSmoother().GetTarget(), 1.0f);
    EXPECT_STREQ(depth.GetDisplay(), "100");

    services.ResetAll();
    EXPECT_EQ(owner.lastBuffer[0], 1.0f);
    EXPECT_EQ(owner.lastBuffer[16383], 1.0f);
}

TEST_F(ParameterTest, SmoothParameterDetachPassesNullOnlyToAnAttachedOwner)
{
    TestSupport::FakeServiceProvider services;
    RecordingOwner stranger("stranger");
    Smooth depth("D", "Depth", 0.25f, &RecordingOwner::SetBuffer, &services);
    depth.Detach(&stranger);
    EXPECT_TRUE(stranger.calls.empty());

    depth.Attach(&owner);
    depth.Attach(&owner);
    depth.Detach(&owner);
    EXPECT_EQ(owner.calls, (Calls{"owner.buffer=set", "owner.buffer=set", "owner.buffer=null"}));
    EXPECT_EQ(owner.lastBuffer, nullptr);
    depth.Detach(&owner); // already gone
    EXPECT_EQ(owner.calls.size(), 3u);
}

TEST_F(ParameterTest, SmoothParameterUnregistersItsSmootherWhenDestroyed)
{
    TestSupport::FakeServiceProvider services;
    {
        Smooth depth("D", "Depth", 0.25f, &RecordingOwner::SetBuffer, &services);
        depth.Attach(&owner);
        owner.calls.clear();
    }
    EXPECT_TRUE(services.smoothables.empty());
    EXPECT_TRUE(services.resettables.empty());
    EXPECT_TRUE(owner.calls.empty()) << "destruction calls no owner";
}
