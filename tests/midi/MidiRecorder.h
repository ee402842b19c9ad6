// An observer of every MIDI kind for the dispatcher tests: it logs each notification as text,
// tagged with its name ("a:NoteOn 1 60 100", "a:Wheel 0 10"), in a log several observers share.
#pragma once

#include "midi/ControllerObservers.h"
#include "midi/MessageObservers.h"

#include <cstdint>
#include <string>
#include <vector>

namespace MidiTests
{

using namespace Kestrune::Midi;
using Log = std::vector<std::string>;

template <typename... Interfaces> class Observes : public Interfaces...
{
};

class Recorder
    : public Observes<INoteObserver, IPolyPressureObserver, IControllerObserver,
                      IProgramChangeObserver, IChannelPressureObserver, IPitchBendObserver,
                      IModulationWheelObserver, IVolumeObserver, IExpressionPedalObserver,
                      IHoldPedalObserver, IAllSoundOffObserver, IResetAllControllersObserver,
                      IAllNotesOffObserver, IOmniModeObserver>
{
public:
    using u8 = std::uint8_t;

    Recorder(Log& sharedLog, std::string tag) : log(sharedLog), name(std::move(tag)) {}

    void OnNoteOn(u8 c, u8 n, u8 v) override { Add("NoteOn", c, n, v); }
    void OnNoteOff(u8 c, u8 n, u8 v) override { Add("NoteOff", c, n, v); }
    void OnPolyPressure(u8 c, u8 n, u8 p) override { Add("PolyPressure", c, n, p); }
    void OnControlChange(u8 c, u8 n, u8 v) override { Add("CC", c, n, v); }
    void OnProgramChange(u8 c, u8 p) override { Add("ProgramChange", c, p); }
    void OnChannelPressure(u8 c, u8 p) override { Add("ChannelPressure", c, p); }
    void OnPitchBend(u8 c, std::uint16_t v) override { Add("PitchBend", c, v); }

    void OnModulationWheel(u8 c, u8 v) override { Add("Wheel", c, v); }
    void OnModulationWheelFine(u8 c, u8 v) override { Add("WheelFine", c, v); }
    void OnVolume(u8 c, u8 v) override { Add("Volume", c, v); }
    void OnVolumeFine(u8 c, u8 v) override { Add("VolumeFine", c, v); }
    void OnExpressionPedal(u8 c, u8 v) override { Add("Expr", c, v); }
    void OnExpressionPedalFine(u8 c, u8 v) override { Add("ExprFine", c, v); }
    void OnHoldPedal(u8 c, bool on) override { Add("Hold", c, on); }
    void OnAllSoundOff(u8 c) override { Add("SoundOff", c); }
    void OnResetAllControllers(u8 c) override { Add("ResetAll", c); }
    void OnAllNotesOff(u8 c) override { Add("NotesOff", c); }
    void OnOmniMode(u8 c, bool on) override { Add("Omni", c, on); }

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

} // namespace MidiTests
