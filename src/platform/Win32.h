#pragma once

// The one window-system header the editor code includes. On Windows it is the platform's own;
// elsewhere the same names are declared here and provided by the project's small window system
// (see Backend.h), with the effects the editor relies on.

#if defined(_WIN32)
#include <windows.h>

#include <commctrl.h>
#else
#include "platform/Win32Constants.h"
#include "platform/Win32Functions.h"
#include "platform/Win32Types.h"
#endif
