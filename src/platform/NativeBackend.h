#pragma once

// The backend that shows panels inside a host's native window: X11 on Linux.

#include "platform/Backend.h"

#include <memory>

namespace Kestrune::Platform
{

// [ui] Null where the platform has none (the window system then keeps embedded panels on the
// current backend). Creating it opens no connection: that waits for the first surface.
std::unique_ptr<Backend> CreateNativeBackend();

} // namespace Kestrune::Platform
