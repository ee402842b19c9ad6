#if defined(CORVANE_HAVE_X11)

// The X server's Xft.dpi, read as desktop toolkits read it: the resource-manager string of the
// first screen's root window, looked up with Xrm.

#include "platform/UiScale.h"

#include <cstring>

#include <X11/Xlib.h>
#include <X11/Xresource.h>

namespace Kestrune::Platform
{

std::optional<std::string> XftDpiOfResources(const char* resources)
{
    if (resources == nullptr)
        return std::nullopt;
    XrmInitialize();
    XrmDatabase database = XrmGetStringDatabase(resources);
    if (database == nullptr)
        return std::nullopt;
    char* type = nullptr;
    XrmValue value{};
    std::optional<std::string> dpi;
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) != 0 && value.addr != nullptr)
        dpi = std::string(value.addr, strnlen(value.addr, value.size));
    XrmDestroyDatabase(database);
    return dpi;
}

std::optional<std::string> ServerXftDpi()
{
    // Not the backend's connection: the factor is needed before the first surface (the host asks
    // for the editor's size first), and a fresh connection sees the resources as they are now.
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return std::nullopt;
    std::optional<std::string> dpi = XftDpiOfResources(XResourceManagerString(display));
    XCloseDisplay(display);
    return dpi;
}

} // namespace Kestrune::Platform

#endif
