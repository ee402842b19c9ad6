// The host library's one failure type: its text is a single line that names what is wrong.
#pragma once

#include <stdexcept>

namespace HostKit
{

struct Error : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

} // namespace HostKit
