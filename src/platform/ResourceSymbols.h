#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace Kestrune::Platform
{

// Value of a constant that the system headers of a resource script define (windows.h, commctrl.h):
// window, dialog and control styles, IDOK and the like.
std::optional<std::int64_t> LookUpResourceSymbol(std::string_view name);

} // namespace Kestrune::Platform
