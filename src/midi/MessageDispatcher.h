#pragma once

#include "base/NotifyingLists.h"
#include "midi/MessageObservers.h"

#include <cstdint>

namespace Kestrune::Midi
{

// Decodes MIDI channel messages and delivers each to the observers of its kind, in attachment
// order. No running status, no channel filter.
//
// Threads: [audio] Dispatch and the notifiers (no lock, no allocation). Attach and detach only
// while the object graph is built or torn down, never from inside a notification.
class MessageDispatcher : public IMessageProvider
{
public:
    MessageDispatcher() = default;
    ~MessageDispatcher() override = default;
    MessageDispatcher(const MessageDispatcher&) = delete;
    MessageDispatcher& operator=(const MessageDispatcher&) = delete;

    // One attach puts the observer on both the note-on and the note-off list.
    void AttachNoteObserver(INoteObserver* observer) override;
    void DetachNoteObserver(INoteObserver* observer) override;
    void AttachPolyPressureObserver(IPolyPressureObserver* observer) override;
    void DetachPolyPressureObserver(IPolyPressureObserver* observer) override;
    void AttachControllerObserver(IControllerObserver* observer) override;
    void DetachControllerObserver(IControllerObserver* observer) override;
    void AttachProgramChangeObserver(IProgramChangeObserver* observer) override;
    void DetachProgramChangeObserver(IProgramChangeObserver* observer) override;
    void AttachChannelPressureObserver(IChannelPressureObserver* observer) override;
    void DetachChannelPressureObserver(IChannelPressureObserver* observer) override;
    void AttachPitchBendObserver(IPitchBendObserver* observer) override;
    void DetachPitchBendObserver(IPitchBendObserver* observer) override;

    // Notifiers: arguments pass through unchanged. Virtual so a derived class may intercept.
    virtual void NoteOn(std::uint8_t channel, std::uint8_t note, std::uint8_t velocity);
    virtual void NoteOff(std::uint8_t channel, std::uint8_t note, std::uint8_t velocity);
    virtual void PolyPressure(std::uint8_t channel, std::uint8_t note, std::uint8_t pressure);
    virtual void ControlChange(std::uint8_t channel, std::uint8_t controller, std::uint8_t value);
    virtual void ProgramChange(std::uint8_t channel, std::uint8_t program);
    virtual void ChannelPressure(std::uint8_t channel, std::uint8_t pressure);
    virtual void PitchBend(std::uint8_t channel, std::uint16_t value);

    // [audio] One complete message. Data bytes (below 0x80) and system messages (0xF0 and up)
    // in the status position are ignored.
    void Dispatch(std::uint8_t status, std::uint8_t data1, std::uint8_t data2);

private:
    NotifyingLists<&INoteObserver::OnNoteOn, &INoteObserver::OnNoteOff,
                   &IPolyPressureObserver::OnPolyPressure, &IControllerObserver::OnControlChange,
                   &IProgramChangeObserver::OnProgramChange,
                   &IChannelPressureObserver::OnChannelPressure, &IPitchBendObserver::OnPitchBend>
        observers;
};

} // namespace Kestrune::Midi
