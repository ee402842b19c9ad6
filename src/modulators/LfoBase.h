#pragma once

#include "midi/ControllerObservers.h"
#include "midi/MessageObservers.h"
#include "services/ServiceInterfaces.h"

#include <cstddef>
#include <cstdint>

namespace Kestrune::Modulators
{

// The oscillator's MIDI layer: keeps the last modulation wheel, channel pressure and expression
// pedal values and scales the oscillator's output by the one chosen as MIDI source.
//
// The MIDI notifications arrive [audio] between slices, outside the model's lock; SetMidiSource
// comes from the parameter under the model's lock.
class LfoBase : public Midi::IModulationWheelObserver,
                public Midi::IChannelPressureObserver,
                public Midi::IExpressionPedalObserver
{
public:
    // MIDI source indices; any other value means no scaling.
    static constexpr int kNoMidiSource = 0;
    static constexpr int kWheelSource = 1;
    static constexpr int kPressureSource = 2;
    static constexpr int kPedalSource = 3;

    // Normalised value to free-running frequency in Hz: 20 v^2.
    struct FrequencyTransform
    {
        using Value = float;
        static float Convert(float value);
    };

    // "None", "ModWh", "ChPress", "ExpPd"; indices outside the table are clamped.
    struct MidiSourceDisplay
    {
        static void Format(int source, char* text, std::size_t size);
    };

    // Attaches to the message provider (channel pressure) and the controller provider
    // (wheel, then pedal) that the service provider hands out.
    explicit LfoBase(IServiceProvider* serviceProvider);
    ~LfoBase() override;
    LfoBase(const LfoBase&) = delete;
    LfoBase& operator=(const LfoBase&) = delete;

    void OnModulationWheel(std::uint8_t channel, std::uint8_t value) override;
    void OnModulationWheelFine(std::uint8_t channel, std::uint8_t value) override;
    // Free-running frequency in Hz; the tempo-synchronisable layer decides when it applies.
    virtual void SetFrequency(float hz) = 0;

    void OnChannelPressure(std::uint8_t channel, std::uint8_t pressure) override;
    void OnExpressionPedal(std::uint8_t channel, std::uint8_t value) override;
    void OnExpressionPedalFine(std::uint8_t channel, std::uint8_t value) override;

    void SetMidiSource(int source) { midiSource = source; }
    int GetMidiSource() const { return midiSource; }

    // [audio] Multiplies buffer[0..count-1] by the chosen control's last raw value / 127.
    void ScaleByMidiSource(float* buffer, int count) const;

private:
    int midiSource = kNoMidiSource;
    std::uint8_t wheelValue = 0;
    std::uint8_t pressureValue = 0;
    std::uint8_t pedalValue = 0;
    IServiceProvider* provider;
};

} // namespace Kestrune::Modulators
