#include "midi/MessageDispatcher.h"

#include "midi/MidiRecorder.h"

#include <gtest/gtest.h>

using Kestrune::Midi::MessageDispatcher;
using MidiTests::Log;
using MidiTests::Recorder;

namespace
{

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

    Log log;
    Recorder a{log, "a"};
    MessageDispatcher dispatcher;
};

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
                        "a:CC 3 1 100", "a:ProgramChange 4 7", "a:ChannelPressure 15 88",
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
    EXPECT_EQ(log, (Log{"a:CC 0 7 1", "b:CC 0 7 1", "a:CC 0 7 1"}));

    log.clear();
    dispatcher.DetachControllerObserver(&a); // one detach takes out every occurrence
    dispatcher.Dispatch(0xB0, 7, 2);
    EXPECT_EQ(log, Log{"b:CC 0 7 2"});
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
    EXPECT_EQ(log, Log{"a:CC 0 1 1"});
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
