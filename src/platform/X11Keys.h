#pragma once

// X11 key symbols as the window system's virtual keys. [any]

#include "platform/Win32.h"

namespace Kestrune::Platform
{

// The virtual key of an unshifted key symbol (an X11 KeySym), or 0 for keys the window system
// does not know. Letters give 'A' to 'Z', digits '0' to '9', like Windows.
UINT VirtualKeyOfKeySym(unsigned long keySym);

} // namespace Kestrune::Platform
