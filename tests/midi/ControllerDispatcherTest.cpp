#include "midi/ControllerDispatcher.h"
#include "midi/MessageDispatcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Kestrune::Midi::ControllerDispatcher;
using Kestrune::Midi::MessageDispatcher;

namespace
{

using Log = std::vector<std::string>;

class Recorder : public Kestrune::Midi::IModulationWheelObserver,
                 public Kestrune::Midi::IVolumeObserver,
                 public Kestrune::Midi::IExpressionPedalObserver,
                 public Kestrune::Midi::IHoldPedalObserver,
                 public Kestrune::Midi::IAllSoundOffObserver,
                 public Kestrune::Midi::IResetAllControllersObserver,
                 public Kestrune::Midi::IAllNotesOffObserver,
                 public Kestrune::Midi::IOmniModeObserver,
                 public Kestrune::Midi::IControllerObserver
{
public:
    Recorder(Log& sharedLog, std::string tag) : log(sharedLog), name(std::move(tag)) {}

    void OnModulationWheel(std::uint8_t c, std::uint8_t v) override { Add("Wheel", c, v); }
    void OnModulationWheelFine(std::uint8_t c, std::uint8_t v) override { Add("WheelFine", c, v); }
    void OnVolume(std::uint8_t c, std::uint8_t v) override { Add("Volume", c, v); }
    void OnVolumeFine(std::uint8_t c, std::uint8_t v) override { Add("VolumeFine", c, v); }
    void OnExpressionPedal(std::uint8_t c, std::uint8_t v) override { Add("Expr", c, v); }
    void OnExpressionPedalFine(std::uint8_t c, std::uint8_t v) override { Add("ExprFine", c, v); }
    void OnHoldPedal(std::uint8_t c, bool on) override { Add("Hold", c, on); }
    void OnAllSoundOff(std::uint8_t c) override { Add("SoundOff", c); }
    void OnResetAllControllers(std::uint8_t c) override { Add("ResetAll", c); }
    void OnAllNotesOff(std::uint8_t c) override { Add("NotesOff", c); }
    void OnOmniMode(std::uint8_t c, bool on) override { Add("Omni", c, on); }
    void OnControlChange(std::uint8_t c, std::uint8_t n, std::uint8_t v) override
    {
        Add("CC", c, n, v);
    }

    void AttachToEveryMeaning(ControllerDispatcher& d)
    {
        d.AttachModulationWheelObserver(this);
        d.AttachVolumeObserver(this);
        d.AttachExpressionPedalObserver(this);
        d.AttachHoldPedalObserver(this);
        d.AttachAllSoundOffObserver(this);
        d.AttachResetAllControllersObserver(this);
        d.AttachAllNotesOffObserver(this);
        d.AttachOmniModeObserver(this);
    }

    void DetachFromEveryMeaning(ControllerDispatcher& d)
    {
        d.DetachModulationWheelObserver(this);
        d.DetachVolumeObserver(this);
        d.DetachExpressionPedalObserver(this);
        d.DetachHoldPedalObserver(this);
        d.DetachAllSoundOffObserver(this);
        d.DetachResetAllControllersObserver(this);
        d.DetachAllNotesOffObserver(this);
        d.DetachOmniModeObserver(this);
    }

private:
    template <typename... Args> void Add(const char* what, Args... args)
    {
        // Appended piece by piece: gcc 12 warns falsely on chained string concatenation.
        std::string entry = name;
        entry += ':';
        entry += what;
        ((entry += ' ', entry += std::to_string(static_cast<int>(args))), ...);
        log.push_back(entry);
    }

    Log& log;
    std::string name;
};

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

TEST_F(ControllerDispatcherTest, RoutesEveryControllerWithAMeaning)
{
    a.AttachToEveryMeaning(controllers);
    ControlChange(0, 1, 10);
    ControlChange(1, 33, 11);
    ControlChange(2, 7, 12);
    ControlChange(3, 39, 13);
    ControlChange(4, 11, 14);
    ControlChange(5, 43, 15);
    ControlChange(6, 120, 99);
    ControlChange(7, 121, 99);
    ControlChange(8, 123, 99);
    EXPECT_EQ(log, (Log{"a:Wheel 0 10", "a:WheelFine 1 11", "a:Volume 2 12", "a:VolumeFine 3 13",
                        "a:Expr 4 14", "a:ExprFine 5 15", "a:SoundOff 6", "a:ResetAll 7",
                        "a:NotesOff 8"}));
}

TEST_F(ControllerDispatcherTest, HoldPedalIsOnFrom64)
{
    a.AttachToEveryMeaning(controllers);
    ControlChange(9, 64, 0);
    ControlChange(9, 64, 63);
    ControlChange(9, 64, 64);
    ControlChange(9, 64, 127);
    EXPECT_EQ(log, (Log{"a:Hold 9 0", "a:Hold 9 0", "a:Hold 9 1", "a:Hold 9 1"}));
}

TEST_F(ControllerDispatcherTest, OmniOffAndOnIgnoreTheValue)
{
    a.AttachToEveryMeaning(controllers);
    ControlChange(15, 124, 127);
    ControlChange(15, 125, 0);
    EXPECT_EQ(log, (Log{"a:Omni 15 0", "a:Omni 15 1"}));
}

TEST_F(ControllerDispatcherTest, UnknownControllersReachOnlyControllerObservers)
{
    a.AttachToEveryMeaning(controllers);
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

TEST_F(ControllerDispatcherTest, AttachedTwiceIsCalledTwiceAndOneDetachRemovesBoth)
{
    controllers.AttachModulationWheelObserver(&a);
    controllers.AttachModulationWheelObserver(&a);
    ControlChange(0, 1, 1);
    ControlChange(0, 33, 2);
    EXPECT_EQ(log, (Log{"a:Wheel 0 1", "a:Wheel 0 1", "a:WheelFine 0 2", "a:WheelFine 0 2"}));

    log.clear();
    controllers.DetachModulationWheelObserver(&a);
    ControlChange(0, 1, 1);
    ControlChange(0, 33, 2);
    EXPECT_TRUE(log.empty());
}

TEST_F(ControllerDispatcherTest, CoarseAndFineArriveSeparatelyInArrivalOrder)
{
    Recorder b{log, "b"};
    controllers.AttachModulationWheelObserver(&a);
    controllers.AttachModulationWheelObserver(&b);
    ControlChange(0, 1, 64);
    ControlChange(0, 33, 5);
    ControlChange(0, 1, 65);
    EXPECT_EQ(log, (Log{"a:Wheel 0 64", "b:Wheel 0 64", "a:WheelFine 0 5", "b:WheelFine 0 5",
                        "a:Wheel 0 65", "b:Wheel 0 65"}));
}

TEST_F(ControllerDispatcherTest, DetachStopsEveryMeaning)
{
    a.AttachToEveryMeaning(controllers);
    a.DetachFromEveryMeaning(controllers);
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
