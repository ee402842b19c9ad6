#if defined(CORVANE_HAVE_X11)

// Connection and surfaces of the X11 backend; events are in X11Events.cpp, window creation in
// X11Windows.cpp.

#include "platform/X11Backend.h"

#include "platform/NativeBackend.h"
#include "platform/X11ErrorGuard.h"

#include <algorithm>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <cairo-xlib.h>

namespace Kestrune::Platform
{

std::unique_ptr<Backend> CreateNativeBackend()
{
    return std::make_unique<X11Backend>();
}

X11Backend::~X11Backend()
{
    if (display == nullptr)
        return;
    {
        X11ErrorGuard guard(display);
        for (auto& entry : surfaces)
        {
            ReleaseTarget(entry.second);
            cairo_surface_destroy(entry.second.image);
            if (!entry.second.gone)
                XDestroyWindow(display, entry.second.window);
        }
    }
    surfaces.clear();
    byWindow.clear();
    pumping = 0;
    DisconnectIfUnused();
}

bool X11Backend::Connect()
{
    if (display != nullptr)
        return true;
    // The host's connection, if it passed one, is never used: its events are the host's.
    display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return false;
    X11ErrorGuard guard(display);
    // Held keys repeat as presses only, as on Windows.
    XkbSetDetectableAutoRepeat(display, True, nullptr);
    const char* names[] = {"WM_PROTOCOLS",
                           "WM_DELETE_WINDOW",
                           "_NET_WM_NAME",
                           "UTF8_STRING",
                           "_NET_WM_WINDOW_TYPE",
                           "_NET_WM_WINDOW_TYPE_DIALOG",
                           "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU",
                           "_NET_WM_STATE",
                           "_NET_WM_STATE_MODAL",
                           "WM_STATE"};
    Atom values[std::size(names)] = {};
    XInternAtoms(display, const_cast<char**>(names), static_cast<int>(std::size(names)), False,
                 values);
    atoms = Atoms{values[0], values[1], values[2], values[3], values[4],
                  values[5], values[6], values[7], values[8], values[9]};
    return true;
}

void X11Backend::DisconnectIfUnused()
{
    if (display == nullptr || !surfaces.empty() || pumping > 0)
        return;
    X11ErrorGuard guard(display);
    guard.Detach();
    // cairo forgets the connection through its close hook.
    XCloseDisplay(display);
    display = nullptr;
}

bool X11Backend::CreateSurface(const SurfaceDescription& description)
{
    DestroySurface(description.window);
    if (!Connect())
        return false;
    Surface surface;
    surface.kind = description.kind;
    surface.owner = description.owner;
    surface.x = description.x;
    surface.y = description.y;
    surface.width = std::max(description.width, 1);
    surface.height = std::max(description.height, 1);
    bool created = false;
    {
        X11ErrorGuard guard(display);
        created = CreateWindowFor(surface, description);
        if (created && description.kind == SurfaceKind::TopLevel)
            SetDialogProperties(surface, description.title != nullptr ? description.title : "");
        if (guard.Failed())
        {
            // The host's window was not one (or went away while we asked).
            if (surface.window != 0)
                XDestroyWindow(display, surface.window);
            created = false;
        }
    }
    if (created)
    {
        surface.image =
            cairo_image_surface_create(CAIRO_FORMAT_RGB24, surface.width, surface.height);
        created = cairo_surface_status(surface.image) == CAIRO_STATUS_SUCCESS;
    }
    if (!created)
    {
        cairo_surface_destroy(surface.image);
        DisconnectIfUnused();
        return false;
    }
    {
        X11ErrorGuard guard(display);
        surface.target =
            cairo_xlib_surface_create(display, surface.window, static_cast<Visual*>(surface.visual),
                                      surface.width, surface.height);
    }
    byWindow[surface.window] = description.window;
    surfaces[description.window] = surface;
    return true;
}

void X11Backend::ReleaseTarget(Surface& surface)
{
    if (surface.target != nullptr)
    {
        cairo_surface_finish(surface.target);
        cairo_surface_destroy(surface.target);
        surface.target = nullptr;
    }
}

void X11Backend::DestroySurface(HWND window)
{
    const auto found = surfaces.find(window);
    if (found == surfaces.end())
        return;
    Surface surface = found->second;
    surfaces.erase(found);
    byWindow.erase(surface.window);
    {
        X11ErrorGuard guard(display);
        ReleaseTarget(surface);
        if (!surface.gone)
        {
            if (surface.grabbing)
                XUngrabPointer(display, CurrentTime);
            // A closing dialog hands the keyboard back to the window it came from.
            const auto owner = surfaces.find(surface.owner);
            if (surface.kind == SurfaceKind::TopLevel && owner != surfaces.end() &&
                !owner->second.gone)
            {
                ::Window focus = 0;
                int revert = 0;
                XGetInputFocus(display, &focus, &revert);
                if (focus == surface.window)
                    XSetInputFocus(display, owner->second.window, RevertToParent, CurrentTime);
            }
            XDestroyWindow(display, surface.window);
            const bool parentInUse =
                std::any_of(surfaces.begin(), surfaces.end(),
                            [&surface](const auto& entry)
                            { return entry.second.nativeParent == surface.nativeParent; });
            if (surface.nativeParent != 0 && !parentInUse)
                XSelectInput(display, surface.nativeParent, NoEventMask);
        }
    }
    cairo_surface_destroy(surface.image);
    DisconnectIfUnused();
}

void X11Backend::ShowSurface(HWND window, bool visible)
{
    const auto found = surfaces.find(window);
    if (found == surfaces.end() || found->second.gone)
        return;
    Surface& surface = found->second;
    X11ErrorGuard guard(display);
    if (visible)
    {
        XMapRaised(display, surface.window);
        if (surface.kind == SurfaceKind::Popup && !surface.grabbing)
        {
            // A click anywhere else reaches the pop-up (and closes it), as on Windows.
            const unsigned mask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
            surface.grabbing = XGrabPointer(display, surface.window, True, mask, GrabModeAsync,
                                            GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
        }
    }
    else
    {
        if (surface.grabbing)
        {
            XUngrabPointer(display, CurrentTime);
            surface.grabbing = false;
        }
        XUnmapWindow(display, surface.window);
    }
    XFlush(display);
}

void X11Backend::MoveSurface(HWND window, int x, int y, int width, int height)
{
    const auto found = surfaces.find(window);
    if (found == surfaces.end())
        return;
    Surface& surface = found->second;
    cairo_surface_t* image =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(width, 1), std::max(height, 1));
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS)
    {
        cairo_surface_destroy(image);
        return;
    }
    cairo_surface_destroy(surface.image);
    surface.image = image;
    surface.x = x;
    surface.y = y;
    surface.width = std::max(width, 1);
    surface.height = std::max(height, 1);
    if (surface.gone)
        return;
    X11ErrorGuard guard(display);
    int nativeX = 0;
    int nativeY = 0;
    NativePosition(surface, nativeX, nativeY);
    if (surface.kind != SurfaceKind::Embedded)
    {
        surface.rootX = nativeX;
        surface.rootY = nativeY;
    }
    XMoveResizeWindow(display, surface.window, nativeX, nativeY,
                      static_cast<unsigned>(surface.width), static_cast<unsigned>(surface.height));
    cairo_xlib_surface_set_size(surface.target, surface.width, surface.height);
}

cairo_t* X11Backend::BeginDraw(HWND window)
{
    const auto found = surfaces.find(window);
    if (found == surfaces.end() || found->second.gone)
        return nullptr;
    return cairo_create(found->second.image);
}

void X11Backend::Present(HWND window, cairo_t* context)
{
    cairo_destroy(context);
    const auto found = surfaces.find(window);
    if (found == surfaces.end() || found->second.gone || found->second.target == nullptr)
        return;
    Surface& surface = found->second;
    cairo_surface_flush(surface.image);
    X11ErrorGuard guard(display);
    cairo_t* copy = cairo_create(surface.target);
    cairo_set_operator(copy, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(copy, surface.image, 0, 0);
    cairo_paint(copy);
    cairo_destroy(copy);
    cairo_surface_flush(surface.target);
    XFlush(display);
}

unsigned long X11Backend::NativeWindow(HWND window) const
{
    const auto found = surfaces.find(window);
    return found != surfaces.end() && !found->second.gone ? found->second.window : 0;
}

int X11Backend::ConnectionFd() const
{
    return display != nullptr ? ConnectionNumber(display) : -1;
}

HWND X11Backend::SurfaceOf(unsigned long window) const
{
    const auto found = byWindow.find(window);
    return found != byWindow.end() ? found->second : nullptr;
}

HWND X11Backend::GrabbingSurface() const
{
    for (const auto& entry : surfaces)
        if (entry.second.grabbing && !entry.second.gone)
            return entry.first;
    return nullptr;
}

} // namespace Kestrune::Platform

#endif
