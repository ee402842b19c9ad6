#pragma once

#include "phaser/Product.h"

#include <cstddef>

namespace Kestrune::Lv2
{

// The LV2 edition's control ports, one per parameter in flat-index order (port index ==
// parameter index). Each port carries the setting the DSP runs on, in the parameter's own unit,
// so that a port value names exactly one setting:
// - continuous parameters: the transform's output (Hz, octaves, feedback gain, wet proportion);
// - selections: the entry's index, or for the stage mode the number of stages, with the
//   display texts as scale points;
// - on/off: a toggle (above 0 is on).
// Values cross to the model's normalised values here and nowhere else.
enum class PortKind
{
    kContinuous,
    kSelection,
    kToggle,
};

struct ControlPort
{
    const char* symbol;  // stable: sessions and presets refer to ports by it
    const char* comment; // what hosts show as the port's help: what it does, its unit
    PortKind kind;
    const char* unit; // LV2 units local name ("hz"), or null
    int entries;      // selections: how many
    float firstEntry; // selections: port value of entry 0
    float entryStep;  // selections: port value between entries
    float (*toPort)(float normalised);
    // The normalised value whose setting is nearest to the port value (clamped into the
    // port's range first). Non-finite input answers NaN.
    float (*toNormalised)(float portValue);
    // Entry texts of selections; index clamped into the table.
    void (*entryText)(int index, char* text, std::size_t size);
};

inline constexpr int kControlPortCount = Product::kParameterCount;
// Indices after the control ports.
inline constexpr int kAudioInLeft = kControlPortCount;
inline constexpr int kAudioInRight = kAudioInLeft + 1;
inline constexpr int kAudioOutLeft = kAudioInLeft + 2;
inline constexpr int kAudioOutRight = kAudioInLeft + 3;
inline constexpr int kEventsIn = kAudioInLeft + 4;
inline constexpr int kPortCount = kEventsIn + 1;
// The lv2:enabled designation: hosts bypass through it.
inline constexpr int kEnabledPort = Product::kEnabled;

// Made from the product's parameter table. index: 0..kControlPortCount-1.
const ControlPort& GetControlPort(int index);
float PortMinimum(const ControlPort& port);
float PortMaximum(const ControlPort& port);

} // namespace Kestrune::Lv2
