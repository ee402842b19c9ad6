#include "midi/ControllerDispatcher.h"
#include "midi/MessageDispatcher.h"

#include "midi/MidiRecorder.h"

#include <gtest/gtest.h>

using Kestrune::Midi::ControllerDispatcher;
using Kestrune::Midi::MessageDispatcher;
using MidiTests::Log;
using MidiTests::Recorder;

namespace
{

void AttachToEveryMeaning(ControllerDispatcher& d, Recorder* r)
{
    d.AttachModulationWheelObserver(r);
    d.AttachVolumeObserver(r);
    d.AttachExpressionPedalObserver(r);
    d.AttachHoldPedalObserver(r);
    d.AttachAllSoundOffObserver(r);
    d.AttachResetAllControllersObserver(r);
    d.AttachAllNotesOffObserver(r);
    d.AttachOmniModeObserver(r);
}

void DetachFromEveryMeaning(ControllerDispatcher& d, Recorder* r)
{
    d.DetachModulationWheelObserver(r);
    d.DetachVolumeObserver(r);
    d.DetachExpressionPedalObserver(r);
    d.DetachHoldPedalObserver(r);
    d.DetachAllSoundOffObserver(r);
    d.DetachResetAllControllersObserver(r);
    d.DetachAllNotesOffObserver(r);
    d.DetachOmniModeObserver(r);
}

class ControllerDispatcherTest : public ::testing::Test
{
protected:
    void ControlChange(std::uint8_t channel, std::uint8_t controller, std::uint8_t value)
    {
        messages.Dispatch(static_cast<std::uint8_t>(0xB0 | channel), controller, value);
    }

    Log log;
    Recorder a{log, "a"};
    MessageDispatcher messages;
    ControllerDispatcher controllers{&messages};
};

} // namespace

// The hold pedal is on from 64; omni off and on ignore the value, as do the channel-mode messages.
TEST_F(ControllerDispatcherTest, RoutesEveryControllerWithAMeaning)
{
    AttachToEveryMeaning(controllers, &a);
    const struct
    {
        std::uint8_t channel, controller, value;
        const char* heard;
    } cases[] = {{0, 1, 10, "a:Wheel 0 10"},   {1, 33, 11, "a:WheelFine 1 11"},
                 {2, 7, 12, "a:Volume 2 12"},  {3, 39, 13, "a:VolumeFine 3 13"},
                 {4, 11, 14, "a:Expr 4 14"},   {5, 43, 15, "a:ExprFine 5 15"},
                 {6, 120, 99, "a:SoundOff 6"}, {7, 121, 99, "a:ResetAll 7"},
                 {8, 123, 99, "a:NotesOff 8"}, {9, 64, 0, "a:Hold 9 0"},
                 {9, 64, 63, "a:Hold 9 0"},    {9, 64, 64, "a:Hold 9 1"},
                 {9, 64, 127, "a:Hold 9 1"},   {15, 124, 127, "a:Omni 15 0"},
                 {15, 125, 0, "a:Omni 15 1"}};
    for (const auto& c : cases)
    {
        log.clear();
        ControlChange(c.channel, c.controller, c.value);
        EXPECT_EQ(log, Log{c.heard}) << "controller " << int(c.controller);
    }
}

TEST_F(ControllerDispatcherTest, UnknownControllersReachOnlyControllerObservers)
{
    AttachToEveryMeaning(controllers, &a);
    Recorder raw{log, "raw"};
    messages.AttachControllerObserver(&raw); // like the model, after the controller dispatcher
    for (int controller : {0, 2, 32, 63, 65, 122, 126, 127})
        ControlChange(0, static_cast<std::uint8_t>(controller), 5);
    EXPECT_EQ(log, (Log{"raw:CC 0 0 5", "raw:CC 0 2 5", "raw:CC 0 32 5", "raw:CC 0 63 5",
                        "raw:CC 0 65 5", "raw:CC 0 122 5", "raw:CC 0 126 5", "raw:CC 0 127 5"}));

    log.clear();
    ControlChange(3, 1, 100); // the dispatcher attached first, so it is told first
    EXPECT_EQ(log, (Log{"a:Wheel 3 100", "raw:CC 3 1 100"}));
    messages.DetachControllerObserver(&raw);
}

// One attach puts a paired kind on its coarse and its fine list; coarse and fine arrive
// separately, in arrival order; one detach takes every occurrence off both lists.
TEST_F(ControllerDispatcherTest, PairedKindsKeepAttachOrderOnBothLists)
{
    Recorder b{log, "b"};
    controllers.AttachModulationWheelObserver(&a);
    controllers.AttachModulationWheelObserver(&b);
    controllers.AttachModulationWheelObserver(&a);
    ControlChange(0, 1, 64);
    ControlChange(0, 33, 5);
    EXPECT_EQ(log, (Log{"a:Wheel 0 64", "b:Wheel 0 64", "a:Wheel 0 64", "a:WheelFine 0 5",
                        "b:WheelFine 0 5", "a:WheelFine 0 5"}));

    log.clear();
    controllers.DetachModulationWheelObserver(&a);
    ControlChange(0, 1, 1);
    ControlChange(0, 33, 2);
    EXPECT_EQ(log, (Log{"b:Wheel 0 1", "b:WheelFine 0 2"}));
}

TEST_F(ControllerDispatcherTest, DetachStopsEveryMeaning)
{
    AttachToEveryMeaning(controllers, &a);
    DetachFromEveryMeaning(controllers, &a);
    for (int controller : {1, 7, 11, 33, 39, 43, 64, 120, 121, 123, 124, 125})
        ControlChange(0, static_cast<std::uint8_t>(controller), 127);
    EXPECT_TRUE(log.empty());
}

TEST(ControllerDispatcherLifetime, AttachesToTheMessageProviderUntilDestroyed)
{
    Log log;
    Recorder a{log, "a"};
    MessageDispatcher messages;
    {
        ControllerDispatcher controllers{&messages};
        controllers.AttachModulationWheelObserver(&a);
        messages.Dispatch(0xB0, 1, 3);
        EXPECT_EQ(log, Log{"a:Wheel 0 3"});
        controllers.DetachModulationWheelObserver(&a);
    }
    // The destroyed dispatcher is no longer on the list: this would touch freed memory.
    messages.Dispatch(0xB0, 1, 4);
    EXPECT_EQ(log, Log{"a:Wheel 0 3"});
}
