#if defined(CORVANE_HAVE_X11)

// The X windows behind the surfaces: a child of the host's window for a panel, a transient
// top-level for a dialog, an override-redirect window for a pop-up list. Called under an
// X11ErrorGuard by X11Backend.

#include "platform/X11Backend.h"

#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace Kestrune::Platform
{
namespace
{

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            KeyPressMask | KeyReleaseMask | FocusChangeMask | StructureNotifyMask;

} // namespace

bool X11Backend::CreateWindowFor(Surface& surface, const SurfaceDescription& description)
{
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None; // every pixel is painted: no flash of another colour
    attributes.border_pixel = 0;
    attributes.event_mask = kEventMask;
    const auto width = static_cast<unsigned>(surface.width);
    const auto height = static_cast<unsigned>(surface.height);

    if (description.kind == SurfaceKind::Embedded)
    {
        XWindowAttributes parent{};
        const auto parentWindow = static_cast<::Window>(description.nativeParent);
        if (parentWindow == 0 || XGetWindowAttributes(display, parentWindow, &parent) == 0)
            return false;
        surface.nativeParent = parentWindow;
        surface.root = parent.root;
        surface.visual = parent.visual;
        surface.window = XCreateWindow(display, parentWindow, surface.x, surface.y, width, height,
                                       0, CopyFromParent, InputOutput, CopyFromParent,
                                       CWBackPixmap | CWBorderPixel | CWEventMask, &attributes);
        // Learns when the host destroys its window, even before ours is reported.
        XSelectInput(display, parentWindow, StructureNotifyMask);
        surface.hostTopLevel = HostTopLevel(parentWindow);
        return surface.window != 0;
    }

    const auto owner = surfaces.find(description.owner);
    surface.root =
        owner != surfaces.end() ? owner->second.root : RootWindow(display, DefaultScreen(display));
    int screen = DefaultScreen(display);
    for (int index = 0; index < ScreenCount(display); ++index)
        if (RootWindow(display, index) == surface.root)
            screen = index;
    surface.visual = DefaultVisual(display, screen);
    attributes.colormap = DefaultColormap(display, screen);
    unsigned long mask = CWBackPixmap | CWBorderPixel | CWEventMask | CWColormap;
    if (description.kind == SurfaceKind::Popup)
    {
        attributes.override_redirect = True;
        attributes.save_under = True;
        mask |= CWOverrideRedirect | CWSaveUnder;
    }
    int x = 0;
    int y = 0;
    NativePosition(surface, x, y);
    surface.rootX = x;
    surface.rootY = y;
    surface.window =
        XCreateWindow(display, surface.root, x, y, width, height, 0, DefaultDepth(display, screen),
                      InputOutput, DefaultVisual(display, screen), mask, &attributes);
    if (surface.window == 0)
        return false;
    if (owner != surfaces.end())
    {
        const Surface& ownerSurface = owner->second;
        const ::Window transientFor =
            ownerSurface.hostTopLevel != 0 ? ownerSurface.hostTopLevel : ownerSurface.window;
        XSetTransientForHint(display, surface.window, transientFor);
    }
    if (description.kind == SurfaceKind::Popup)
    {
        const auto type = static_cast<Atom>(atoms.typeDropDown);
        XChangeProperty(display, surface.window, atoms.windowType, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&type), 1);
    }
    return true;
}

void X11Backend::SetDialogProperties(const Surface& surface, const std::string& title)
{
    const ::Window window = surface.window;
    XStoreName(display, window, title.c_str());
    XChangeProperty(display, window, atoms.netName, atoms.utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()),
                    static_cast<int>(title.size()));

    // The close button asks through WM_DELETE_WINDOW; the window system decides what it does.
    Atom deleteWindow = atoms.deleteWindow;
    XSetWMProtocols(display, window, &deleteWindow, 1);

    XSizeHints size{};
    size.flags = PPosition | PSize | PMinSize | PMaxSize;
    int x = 0;
    int y = 0;
    NativePosition(surface, x, y);
    size.x = x;
    size.y = y;
    size.width = size.min_width = size.max_width = surface.width;
    size.height = size.min_height = size.max_height = surface.height;
    XSetWMNormalHints(display, window, &size);

    XWMHints hints{};
    hints.flags = InputHint | StateHint;
    hints.input = True;
    hints.initial_state = NormalState;
    XSetWMHints(display, window, &hints);

    char name[] = "corvane-phaser";
    char className[] = "CorvanePhaser";
    XClassHint classHint{name, className};
    XSetClassHint(display, window, &classHint);

    const auto type = static_cast<Atom>(atoms.typeDialog);
    XChangeProperty(display, window, atoms.windowType, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&type), 1);
    if (surface.owner != nullptr)
    {
        const auto modal = static_cast<Atom>(atoms.stateModal);
        XChangeProperty(display, window, atoms.state, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&modal), 1);
    }
}

// Owned surfaces keep their offset from the owner's origin, wherever the owner lies on the
// screen; the others take their coordinates as they are.
void X11Backend::NativePosition(const Surface& surface, int& x, int& y)
{
    x = surface.x;
    y = surface.y;
    if (surface.kind == SurfaceKind::Embedded)
        return;
    const auto owner = surfaces.find(surface.owner);
    if (owner == surfaces.end() || owner->second.gone)
        return;
    int ownerX = 0;
    int ownerY = 0;
    ::Window child = 0;
    if (XTranslateCoordinates(display, owner->second.window, owner->second.root, 0, 0, &ownerX,
                              &ownerY, &child) != 0)
    {
        x = ownerX + surface.x - owner->second.x;
        y = ownerY + surface.y - owner->second.y;
    }
}

// The host's top-level window around `window`: the nearest ancestor a window manager marked as
// a client (WM_STATE), else the ancestor just below the root.
unsigned long X11Backend::HostTopLevel(unsigned long window)
{
    ::Window current = window;
    ::Window belowRoot = window;
    for (int depth = 0; depth < 64 && current != 0; ++depth)
    {
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, current, atoms.wmState, 0, 0, False, AnyPropertyType, &type,
                               &format, &count, &remaining, &data) == Success)
        {
            XFree(data);
            if (type != None)
                return current;
        }
        ::Window root = 0;
        ::Window parent = 0;
        ::Window* children = nullptr;
        unsigned childCount = 0;
        if (XQueryTree(display, current, &root, &parent, &children, &childCount) == 0)
            break;
        XFree(children);
        belowRoot = current;
        if (parent == root)
            break;
        current = parent;
    }
    return belowRoot;
}

} // namespace Kestrune::Platform

#endif
