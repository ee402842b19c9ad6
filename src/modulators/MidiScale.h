#pragma once

#include <cstdint>

namespace Kestrune::Modulators
{

// 1/127 as a 32-bit float: a 7-bit MIDI value to 0..1.
inline constexpr float kMidiScale = 0.007874016f;

// A 7-bit value placed in [minimum, minimum + range].
inline float MidiToRange(std::uint8_t value, float minimum, float range)
{
    return static_cast<float>(value) * kMidiScale * range + minimum;
}

} // namespace Kestrune::Modulators
