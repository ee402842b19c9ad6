#include "midi/MessageDispatcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Kestrune::Midi::MessageDispatcher;

namespace
{

// Logs every notification as text, tagged with the observer's name.
class Recorder : public Kestrune::Midi::INoteObserver,
                 public Kestrune::Midi::IPolyPressureObserver,
                 public Kestrune::Midi::IControllerObserver,
                 public Kestrune::Midi::IProgramChangeObserver,
                 public Kestrune::Midi::IChannelPressureObserver,
                 public Kestrune::Midi::IPitchBendObserver
{
public:
    Recorder(std::vector<std::string>& sharedLog, std::string tag)
        : log(sharedLog), name(std::move(tag))
    {
    }

    void OnNoteOn(std::uint8_t c, std::uint8_t n, std::uint8_t v) override
    {
        Add("NoteOn", c, n, v);
    }
    void OnNoteOff(std::uint8_t c, std::uint8_t n, std::uint8_t v) override
    {
        Add("NoteOff", c, n, v);
    }
    void OnPolyPressure(std::uint8_t c, std::uint8_t n, std::uint8_t p) override
    {
        Add("PolyPressure", c, n, p);
    }
    void OnControlChange(std::uint8_t c, std::uint8_t n, std::uint8_t v) override
    {
        Add("ControlChange", c, n, v);
    }
    void OnProgramChange(std::uint8_t c, std::uint8_t p) override { Add("ProgramChange", c, p); }
    void OnChannelPressure(std::uint8_t c, std::uint8_t p) override
    {
        Add("ChannelPressure", c, p);
    }
    void OnPitchBend(std::uint8_t c, std::uint16_t v) override { Add("PitchBend", c, v); }

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

    std::vector<std::string>& log;
    std::string name;
};

class MessageDispatcherTest : public ::testing::Test
{
protected:
    void AttachToAll(Recorder& r)
    {
        dispatcher.AttachNoteObserver(&r);
        dispatcher.AttachPolyPressureObserver(&r);
        dispatcher.AttachControllerObserver(&r);
        dispatcher.AttachProgramChangeObserver(&r);
        dispatcher.AttachChannelPressureObserver(&r);
        dispatcher.AttachPitchBendObserver(&r);
    }

    std::vector<std::string> log;
    Recorder a{log, "a"};
    MessageDispatcher dispatcher;
};

using Log = std::vector<std::string>;

} // namespace

TEST_F(MessageDispatcherTest, DecodesEveryChannelMessageKind)
{
    AttachToAll(a);
    dispatcher.Dispatch(0x80, 60, 64);
    dispatcher.Dispatch(0x91, 60, 100);
    dispatcher.Dispatch(0xA2, 61, 30);
    dispatcher.Dispatch(0xB3, 1, 100);
    dispatcher.Dispatch(0xC4, 7, 99);  // third byte ignored
    dispatcher.Dispatch(0xDF, 88, 77); // third byte ignored
    dispatcher.Dispatch(0xE0, 0x00, 0x40);
    dispatcher.Dispatch(0xE0, 0x7F, 0x7F);
    dispatcher.Dispatch(0xE9, 0x01, 0x00);
    EXPECT_EQ(log, (Log{"a:NoteOff 0 60 64", "a:NoteOn 1 60 100", "a:PolyPressure 2 61 30",
                        "a:ControlChange 3 1 100", "a:ProgramChange 4 7", "a:ChannelPressure 15 88",
                        "a:PitchBend 0 8192", "a:PitchBend 0 16383", "a:PitchBend 9 1"}));
}

TEST_F(MessageDispatcherTest, NoteOnWithVelocityZeroIsNoteOff)
{
    AttachToAll(a);
    dispatcher.Dispatch(0x95, 60, 0);
    EXPECT_EQ(log, Log{"a:NoteOff 5 60 0"});
}

TEST_F(MessageDispatcherTest, IgnoresDataBytesAndSystemMessages)
{
    AttachToAll(a);
    for (int status : {0x00, 0x45, 0x7F, 0xF0, 0xF7, 0xF8, 0xFE, 0xFF})
        dispatcher.Dispatch(static_cast<std::uint8_t>(status), 1, 2);
    EXPECT_TRUE(log.empty());
}

TEST_F(MessageDispatcherTest, OneNoteAttachReceivesBothNoteOnAndNoteOff)
{
    dispatcher.AttachNoteObserver(&a);
    dispatcher.Dispatch(0x90, 64, 1);
    dispatcher.Dispatch(0x80, 64, 0);
    dispatcher.Dispatch(0xB0, 1, 1); // not a note observer for controllers
    EXPECT_EQ(log, (Log{"a:NoteOn 0 64 1", "a:NoteOff 0 64 0"}));

    log.clear();
    dispatcher.DetachNoteObserver(&a);
    dispatcher.Dispatch(0x90, 64, 1);
    dispatcher.Dispatch(0x80, 64, 0);
    EXPECT_TRUE(log.empty());
}

TEST_F(MessageDispatcherTest, NotifiesInAttachOrderAndTwiceWhenAttachedTwice)
{
    Recorder b{log, "b"};
    dispatcher.AttachControllerObserver(&a);
    dispatcher.AttachControllerObserver(&b);
    dispatcher.AttachControllerObserver(&a);
    dispatcher.Dispatch(0xB0, 7, 1);
    EXPECT_EQ(log,
              (Log{"a:ControlChange 0 7 1", "b:ControlChange 0 7 1", "a:ControlChange 0 7 1"}));

    log.clear();
    dispatcher.DetachControllerObserver(&a); // one detach takes out every occurrence
    dispatcher.Dispatch(0xB0, 7, 2);
    EXPECT_EQ(log, Log{"b:ControlChange 0 7 2"});
}

TEST_F(MessageDispatcherTest, EachKindHasItsOwnList)
{
    dispatcher.AttachChannelPressureObserver(&a);
    dispatcher.AttachPitchBendObserver(&a);
    dispatcher.Dispatch(0xD0, 10, 0);
    dispatcher.DetachChannelPressureObserver(&a);
    dispatcher.DetachPolyPressureObserver(&a); // not attached there: ignored
    dispatcher.Dispatch(0xD0, 11, 0);
    dispatcher.Dispatch(0xE0, 0, 0);
    dispatcher.Dispatch(0xA0, 0, 0);
    dispatcher.Dispatch(0xC0, 0, 0);
    EXPECT_EQ(log, (Log{"a:ChannelPressure 0 10", "a:PitchBend 0 0"}));
}

TEST_F(MessageDispatcherTest, NullObserversAreNotAttached)
{
    dispatcher.AttachControllerObserver(nullptr);
    dispatcher.AttachNoteObserver(nullptr);
    dispatcher.AttachControllerObserver(&a);
    dispatcher.Dispatch(0xB0, 1, 1); // a null entry would crash here
    dispatcher.Dispatch(0x90, 1, 1);
    EXPECT_EQ(log, Log{"a:ControlChange 0 1 1"});
}

TEST_F(MessageDispatcherTest, NotifiersAreVirtualSoADerivedClassCanIntercept)
{
    struct Filtering : MessageDispatcher
    {
        int intercepted = 0;
        void ControlChange(std::uint8_t, std::uint8_t, std::uint8_t) override { ++intercepted; }
    } filtering;
    filtering.AttachControllerObserver(&a);
    filtering.Dispatch(0xB0, 1, 1);
    EXPECT_EQ(filtering.intercepted, 1);
    EXPECT_TRUE(log.empty());
}
