#include "midi/MessageDispatcher.h"

namespace Kestrune::Midi
{

MessageDispatcher::~MessageDispatcher()
{
    noteOnObservers.Clear();
    noteOffObservers.Clear();
    polyPressureObservers.Clear();
    controllerObservers.Clear();
    programChangeObservers.Clear();
    channelPressureObservers.Clear();
    pitchBendObservers.Clear();
}

void MessageDispatcher::AttachNoteObserver(INoteObserver* observer)
{
    noteOnObservers.Add(observer);
    noteOffObservers.Add(observer);
}

void MessageDispatcher::DetachNoteObserver(INoteObserver* observer)
{
    noteOnObservers.Remove(observer);
    noteOffObservers.Remove(observer);
}

void MessageDispatcher::AttachPolyPressureObserver(IPolyPressureObserver* observer)
{
    polyPressureObservers.Add(observer);
}

void MessageDispatcher::DetachPolyPressureObserver(IPolyPressureObserver* observer)
{
    polyPressureObservers.Remove(observer);
}

void MessageDispatcher::AttachControllerObserver(IControllerObserver* observer)
{
    controllerObservers.Add(observer);
}

void MessageDispatcher::DetachControllerObserver(IControllerObserver* observer)
{
    controllerObservers.Remove(observer);
}

void MessageDispatcher::AttachProgramChangeObserver(IProgramChangeObserver* observer)
{
    programChangeObservers.Add(observer);
}

void MessageDispatcher::DetachProgramChangeObserver(IProgramChangeObserver* observer)
{
    programChangeObservers.Remove(observer);
}

void MessageDispatcher::AttachChannelPressureObserver(IChannelPressureObserver* observer)
{
    channelPressureObservers.Add(observer);
}

void MessageDispatcher::DetachChannelPressureObserver(IChannelPressureObserver* observer)
{
    channelPressureObservers.Remove(observer);
}

void MessageDispatcher::AttachPitchBendObserver(IPitchBendObserver* observer)
{
    pitchBendObservers.Add(observer);
}

void MessageDispatcher::DetachPitchBendObserver(IPitchBendObserver* observer)
{
    pitchBendObservers.Remove(observer);
}

void MessageDispatcher::NoteOn(std::uint8_t channel, std::uint8_t note, std::uint8_t velocity)
{
    noteOnObservers.ForEach([&](INoteObserver* o) { o->OnNoteOn(channel, note, velocity); });
}

void MessageDispatcher::NoteOff(std::uint8_t channel, std::uint8_t note, std::uint8_t velocity)
{
    noteOffObservers.ForEach([&](INoteObserver* o) { o->OnNoteOff(channel, note, velocity); });
}

void MessageDispatcher::PolyPressure(std::uint8_t channel, std::uint8_t note, std::uint8_t pressure)
{
    polyPressureObservers.ForEach([&](IPolyPressureObserver* o)
                                  { o->OnPolyPressure(channel, note, pressure); });
}

void MessageDispatcher::ControlChange(std::uint8_t channel, std::uint8_t controller,
                                      std::uint8_t value)
{
    controllerObservers.ForEach([&](IControllerObserver* o)
                                { o->OnControlChange(channel, controller, value); });
}

void MessageDispatcher::ProgramChange(std::uint8_t channel, std::uint8_t program)
{
    programChangeObservers.ForEach([&](IProgramChangeObserver* o)
                                   { o->OnProgramChange(channel, program); });
}

void MessageDispatcher::ChannelPressure(std::uint8_t channel, std::uint8_t pressure)
{
    channelPressureObservers.ForEach([&](IChannelPressureObserver* o)
                                     { o->OnChannelPressure(channel, pressure); });
}

void MessageDispatcher::PitchBend(std::uint8_t channel, std::uint16_t value)
{
    pitchBendObservers.ForEach([&](IPitchBendObserver* o) { o->OnPitchBend(channel, value); });
}

void MessageDispatcher::Dispatch(std::uint8_t status, std::uint8_t data1, std::uint8_t data2)
{
    if (status < 0x80 || status >= 0xF0)
        return;
    const auto channel = static_cast<std::uint8_t>(status & 0x0F);
    switch (status & 0xF0)
    {
    case 0x80:
        NoteOff(channel, data1, data2);
        break;
    case 0x90:
        // Velocity 0 is the running-status idiom for note off.
        if (data2 > 0)
            NoteOn(channel, data1, data2);
        else
            NoteOff(channel, data1, data2);
        break;
    case 0xA0:
        PolyPressure(channel, data1, data2);
        break;
    case 0xB0:
        ControlChange(channel, data1, data2);
        break;
    case 0xC0:
        ProgramChange(channel, data1);
        break;
    case 0xD0:
        ChannelPressure(channel, data1);
        break;
    default: // 0xE0: 14-bit value, data2 the high seven bits; 8192 is the centre
        PitchBend(channel, static_cast<std::uint16_t>((data2 << 7) | data1));
        break;
    }
}

} // namespace Kestrune::Midi
