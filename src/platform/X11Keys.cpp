#if defined(CORVANE_HAVE_X11)

#include "platform/X11Keys.h"

#include <X11/keysym.h>

namespace Kestrune::Platform
{

UINT VirtualKeyOfKeySym(unsigned long keySym)
{
    if (keySym >= XK_a && keySym <= XK_z)
        return static_cast<UINT>('A' + (keySym - XK_a));
    if (keySym >= XK_A && keySym <= XK_Z)
        return static_cast<UINT>('A' + (keySym - XK_A));
    if (keySym >= XK_0 && keySym <= XK_9)
        return static_cast<UINT>('0' + (keySym - XK_0));
    if (keySym >= XK_KP_0 && keySym <= XK_KP_9)
        return static_cast<UINT>(0x60 + (keySym - XK_KP_0)); // VK_NUMPAD0 onwards
    if (keySym >= XK_F1 && keySym <= XK_F12)
        return static_cast<UINT>(0x70 + (keySym - XK_F1)); // VK_F1 onwards
    switch (keySym)
    {
    case XK_BackSpace:
        return VK_BACK;
    case XK_Tab:
    case XK_ISO_Left_Tab:
    case XK_KP_Tab:
        return VK_TAB;
    case XK_Return:
    case XK_KP_Enter:
        return VK_RETURN;
    case XK_Shift_L:
    case XK_Shift_R:
        return VK_SHIFT;
    case XK_Control_L:
    case XK_Control_R:
        return VK_CONTROL;
    case XK_Alt_L:
    case XK_Alt_R:
    case XK_Meta_L:
    case XK_Meta_R:
        return VK_MENU;
    case XK_Escape:
        return VK_ESCAPE;
    case XK_space:
    case XK_KP_Space:
        return VK_SPACE;
    case XK_Prior:
    case XK_KP_Prior:
        return VK_PRIOR;
    case XK_Next:
    case XK_KP_Next:
        return VK_NEXT;
    case XK_End:
    case XK_KP_End:
        return VK_END;
    case XK_Home:
    case XK_KP_Home:
        return VK_HOME;
    case XK_Left:
    case XK_KP_Left:
        return VK_LEFT;
    case XK_Up:
    case XK_KP_Up:
        return VK_UP;
    case XK_Right:
    case XK_KP_Right:
        return VK_RIGHT;
    case XK_Down:
    case XK_KP_Down:
        return VK_DOWN;
    case XK_Delete:
    case XK_KP_Delete:
        return VK_DELETE;
    case XK_Insert:
    case XK_KP_Insert:
        return 0x2D; // VK_INSERT
    default:
        return 0;
    }
}

} // namespace Kestrune::Platform

#endif
