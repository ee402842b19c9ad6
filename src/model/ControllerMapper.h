#pragma once

#include <cstdint>

namespace Kestrune::Midi
{

// MIDI controller number (0 to 127) to flat parameter index; -1 means not mapped.
class ControllerMapper
{
public:
    ControllerMapper();

    bool IsMapped(std::uint8_t controller) const;
    int GetMappedParameter(std::uint8_t controller) const;
    // Controllers above 127 are refused.
    void MapController(std::uint8_t controller, int parameterIndex);

private:
    std::int32_t table[128];
};

} // namespace Kestrune::Midi
