#include "midi/MessageDispatcher.h"

namespace Kestrune::Midi
{

void MessageDispatcher::AttachNoteObserver(INoteObserver* observer)
{
    observers.Attach(observer);
}

void MessageDispatcher::DetachNoteObserver(INoteObserver* observer)
{
    observers.Detach(observer);
}

void MessageDispatcher::AttachPolyPressureObserver(IPolyPressureObserver* observer)
{
    observers.Attach(observer);
}

void MessageDispatcher::DetachPolyPressureObserver(IPolyPressureObserver* observer)
{
    observers.Detach(observer);
}

void MessageDispatcher::AttachControllerObserver(IControllerObserver* observer)
{
    observers.Attach(observer);
}

void MessageDispatcher::DetachControllerObserver(IControllerObserver* observer)
{
    observers.Detach(observer);
}

void MessageDispatcher::AttachProgramChangeObserver(IProgramChangeObserver* observer)
{
    observers.Attach(observer);
}

void MessageDispatcher::DetachProgramChangeObserver(IProgramChangeObserver* observer)
{
    observers.Detach(observer);
}

void MessageDispatcher::AttachChannelPressureObserver(IChannelPressureObserver* observer)
{
    observers.Attach(observer);
}

void MessageDispatcher::DetachChannelPressureObserver(IChannelPressureObserver* observer)
{
    observers.Detach(observer);
}

void MessageDispatcher::AttachPitchBendObserver(IPitchBendObserver* observer)
{
    observers.Attach(observer);
}

void MessageDispatcher::DetachPitchBendObserver(IPitchBendObserver* observer)
{
    observers.Detach(observer);
}

void MessageDispatcher::NoteOn(std::uint8_t channel, std::uint8_t note, std::uint8_t velocity)
{
    observers.Notify<&INoteObserver::OnNoteOn>(channel, note, velocity);
}

void MessageDispatcher::NoteOff(std::uint8_t channel, std::uint8_t note, std::uint8_t velocity)
{
    observers.Notify<&INoteObserver::OnNoteOff>(channel, note, velocity);
}

void MessageDispatcher::PolyPressure(std::uint8_t channel, std::uint8_t note, std::uint8_t pressure)
{
    observers.Notify<&IPolyPressureObserver::OnPolyPressure>(channel, note, pressure);
}

void MessageDispatcher::ControlChange(std::uint8_t channel, std::uint8_t controller,
                                      std::uint8_t value)
{
    observers.Notify<&IControllerObserver::OnControlChange>(channel, controller, value);
}

void MessageDispatcher::ProgramChange(std::uint8_t channel, std::uint8_t program)
{
    observers.Notify<&IProgramChangeObserver::OnProgramChange>(channel, program);
}

void MessageDispatcher::ChannelPressure(std::uint8_t channel, std::uint8_t pressure)
{
    observers.Notify<&IChannelPressureObserver::OnChannelPressure>(channel, pressure);
}

void MessageDispatcher::PitchBend(std::uint8_t channel, std::uint16_t value)
{
    observers.Notify<&IPitchBendObserver::OnPitchBend>(channel, value);
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
