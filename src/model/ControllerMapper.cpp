#include "model/ControllerMapper.h"

namespace Kestrune::Midi
{

ControllerMapper::ControllerMapper()
{
    for (auto& entry : table)
        entry = -1;
}

bool ControllerMapper::IsMapped(std::uint8_t controller) const
{
    return controller < 128 && table[controller] >= 0;
}

int ControllerMapper::GetMappedParameter(std::uint8_t controller) const
{
    return controller < 128 ? table[controller] : -1;
}

void ControllerMapper::MapController(std::uint8_t controller, int parameterIndex)
{
    if (controller < 128)
        table[controller] = parameterIndex < 0 ? -1 : parameterIndex;
}

} // namespace Kestrune::Midi
