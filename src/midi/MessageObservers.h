// Observers of decoded MIDI channel messages. Channel 0 to 15; data bytes as received.
#pragma once

#include <cstdint>

namespace Kestrune::Midi
{

class INoteObserver
{
public:
    virtual ~INoteObserver() = default;
    virtual void OnNoteOn(std::uint8_t channel, std::uint8_t note, std::uint8_t velocity) = 0;
    virtual void OnNoteOff(std::uint8_t channel, std::uint8_t note, std::uint8_t velocity) = 0;
};

class IPolyPressureObserver
{
public:
    virtual ~IPolyPressureObserver() = default;
    virtual void OnPolyPressure(std::uint8_t channel, std::uint8_t note,
                                std::uint8_t pressure) = 0;
};

class IControllerObserver
{
public:
    virtual ~IControllerObserver() = default;
    virtual void OnControlChange(std::uint8_t channel, std::uint8_t controller,
                                 std::uint8_t value) = 0;
};

class IProgramChangeObserver
{
public:
    virtual ~IProgramChangeObserver() = default;
    virtual void OnProgramChange(std::uint8_t channel, std::uint8_t program) = 0;
};

class IChannelPressureObserver
{
public:
    virtual ~IChannelPressureObserver() = default;
    virtual void OnChannelPressure(std::uint8_t channel, std::uint8_t pressure) = 0;
};

class IPitchBendObserver
{
public:
    virtual ~IPitchBendObserver() = default;
    // value 0 to 16383, centre 8192
    virtual void OnPitchBend(std::uint8_t channel, std::uint16_t value) = 0;
};

class IMessageProvider
{
public:
    virtual ~IMessageProvider() = default;
    virtual void AttachNoteObserver(INoteObserver* observer) = 0;
    virtual void DetachNoteObserver(INoteObserver* observer) = 0;
    virtual void AttachPolyPressureObserver(IPolyPressureObserver* observer) = 0;
    virtual void DetachPolyPressureObserver(IPolyPressureObserver* observer) = 0;
    virtual void AttachControllerObserver(IControllerObserver* observer) = 0;
    virtual void DetachControllerObserver(IControllerObserver* observer) = 0;
    virtual void AttachProgramChangeObserver(IProgramChangeObserver* observer) = 0;
    virtual void DetachProgramChangeObserver(IProgramChangeObserver* observer) = 0;
    virtual void AttachChannelPressureObserver(IChannelPressureObserver* observer) = 0;
    virtual void DetachChannelPressureObserver(IChannelPressureObserver* observer) = 0;
    virtual void AttachPitchBendObserver(IPitchBendObserver* observer) = 0;
    virtual void DetachPitchBendObserver(IPitchBendObserver* observer) = 0;
};

} // namespace Kestrune::Midi
