#include "X11TestHost.h"

#include <X11/Xlib.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <atomic>
#include <cstring>
#include <thread>

namespace X11Test
{
namespace
{

std::atomic<int> errorsSeen{0};

int CountError(Display*, XErrorEvent*)
{
    ++errorsSeen;
    return 0;
}

// Before any other Xlib call: the About tests drive the server from a second thread, and the
// counting handler stands where a host's handler would.
const bool kPrepared = []
{
    XInitThreads();
    XSetErrorHandler(&CountError);
    return true;
}();

} // namespace

int ErrorsSeen()
{
    return errorsSeen.load();
}

bool DisplayAvailable()
{
    // Held for the whole run: an X server started without -noreset resets (and drops new
    // connections meanwhile) whenever its last client leaves, as between two tests.
    static Display* const keeper = XOpenDisplay(nullptr);
    return kPrepared && keeper != nullptr;
}

Connection::Connection() : display(XOpenDisplay(nullptr)) {}

Connection::~Connection()
{
    if (display != nullptr)
    {
        XCloseDisplay(display);
    }
}

Window Connection::Root() const
{
    return DefaultRootWindow(display);
}

Window Connection::CreateTopLevel(int x, int y, int width, int height)
{
    const int screen = DefaultScreen(display);
    const Window window = XCreateSimpleWindow(display, Root(), x, y, static_cast<unsigned>(width),
                                              static_cast<unsigned>(height), 0, 0, 0x203040);
    XStoreName(display, window, "Test Host");
    XSelectInput(display, window, StructureNotifyMask);
    XMapRaised(display, window);
    XEvent event;
    do
    {
        XWindowEvent(display, window, StructureNotifyMask, &event);
    } while (event.type != MapNotify);
    (void)screen;
    XSync(display, False);
    return window;
}

Window Connection::CreateChild(Window parent, int x, int y, int width, int height)
{
    const Window window = XCreateSimpleWindow(display, parent, x, y, static_cast<unsigned>(width),
                                              static_cast<unsigned>(height), 0, 0, 0x405060);
    XMapWindow(display, window);
    XSync(display, False);
    return window;
}

void Connection::Destroy(Window window)
{
    XDestroyWindow(display, window);
    XSync(display, False);
}

void Connection::ScreenPosition(Window window, int& x, int& y) const
{
    Window child = 0;
    XTranslateCoordinates(display, window, Root(), 0, 0, &x, &y, &child);
}

std::vector<Window> Connection::Children(Window window) const
{
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    std::vector<Window> result;
    if (XQueryTree(display, window, &root, &parent, &children, &count) != 0)
    {
        result.assign(children, children + count);
        XFree(children);
    }
    return result;
}

bool Connection::Exists(Window window) const
{
    std::vector<Window> pending{Root()};
    while (!pending.empty())
    {
        const Window current = pending.back();
        pending.pop_back();
        for (const Window child : Children(current))
        {
            if (child == window)
            {
                return true;
            }
            pending.push_back(child);
        }
    }
    return false;
}

bool Connection::Viewable(Window window) const
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) != 0 &&
           attributes.map_state == IsViewable;
}

bool Connection::IsOverrideRedirect(Window window) const
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) != 0 &&
           attributes.override_redirect != False;
}

Window Connection::TransientFor(Window window) const
{
    Window owner = 0;
    return XGetTransientForHint(display, window, &owner) != 0 ? owner : 0;
}

std::string Connection::Title(Window window) const
{
    char* name = nullptr;
    std::string title;
    if (XFetchName(display, window, &name) != 0 && name != nullptr)
    {
        title = name;
        XFree(name);
    }
    return title;
}

bool Connection::HasDeleteProtocol(Window window) const
{
    Atom* protocols = nullptr;
    int count = 0;
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    bool found = false;
    if (XGetWMProtocols(display, window, &protocols, &count) != 0)
    {
        for (int i = 0; i < count; ++i)
        {
            found = found || protocols[i] == deleteWindow;
        }
        XFree(protocols);
    }
    return found;
}

void Connection::Geometry(Window window, int& x, int& y, int& width, int& height) const
{
    Window root = 0;
    unsigned w = 0;
    unsigned h = 0;
    unsigned border = 0;
    unsigned depth = 0;
    XGetGeometry(display, window, &root, &x, &y, &w, &h, &border, &depth);
    width = static_cast<int>(w);
    height = static_cast<int>(h);
}

Window Connection::FocusWindow() const
{
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    return focus;
}

void Connection::MoveTo(int x, int y)
{
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    XSync(display, False);
}

void Connection::Press(unsigned button)
{
    XTestFakeButtonEvent(display, button, True, CurrentTime);
    XSync(display, False);
}

void Connection::Release(unsigned button)
{
    XTestFakeButtonEvent(display, button, False, CurrentTime);
    XSync(display, False);
}

void Connection::Click(int x, int y)
{
    MoveTo(x, y);
    Press();
    Release();
}

void Connection::Key(unsigned long keySym)
{
    const KeyCode code = XKeysymToKeycode(display, keySym);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    XSync(display, False);
}

void Connection::SetResources(const char* text)
{
    if (text == nullptr)
    {
        XDeleteProperty(display, Root(), XA_RESOURCE_MANAGER);
    }
    else
    {
        XChangeProperty(display, Root(), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text),
                        static_cast<int>(std::strlen(text)));
    }
    XSync(display, False);
}

void Connection::SendDelete(Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
}

cairo_surface_t* Connection::Capture(Window window, int width, int height) const
{
    XImage* pixels = XGetImage(display, window, 0, 0, static_cast<unsigned>(width),
                               static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (pixels == nullptr)
    {
        return nullptr;
    }
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_surface_flush(image);
    unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    for (int y = 0; y < height; ++y)
    {
        auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
        for (int x = 0; x < width; ++x)
        {
            const unsigned long pixel = XGetPixel(pixels, x, y);
            // A 24-bit TrueColor screen: red, green and blue in their usual places.
            const std::uint32_t red = (pixel & pixels->red_mask) >> 16;
            const std::uint32_t green = (pixel & pixels->green_mask) >> 8;
            const std::uint32_t blue = pixel & pixels->blue_mask;
            row[x] = (red << 16) | (green << 8) | blue;
        }
    }
    cairo_surface_mark_dirty(image);
    XDestroyImage(pixels);
    return image;
}

EditorHost::EditorHost()
{
    if (plugin.Create() != nullptr)
    {
        plugin.Start();
    }
}

VstIntPtr EditorHost::Open(Window parent)
{
    // Linux hosts pass the window id as the pointer.
    return plugin.Dispatch(effEditOpen, 0, 0,
                           reinterpret_cast<void*>(static_cast<std::uintptr_t>(parent)));
}

void EditorHost::Close()
{
    plugin.Dispatch(effEditClose);
}

void EditorHost::Idle(int times)
{
    for (int i = 0; i < times; ++i)
    {
        plugin.Dispatch(effEditIdle);
    }
}

float EditorHost::Parameter(int index)
{
    return plugin.Effect()->getParameter(plugin.Effect(), index);
}

void EditorHost::SetParameter(int index, float value)
{
    plugin.Effect()->setParameter(plugin.Effect(), index, value);
}

int EditorHost::AutomationCount(int index) const
{
    int count = 0;
    for (const auto& entry : plugin.automation)
    {
        count += entry.first == index ? 1 : 0;
    }
    return count;
}

bool IdleUntil(const std::vector<EditorHost*>& hosts, const std::function<bool()>& condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (true)
    {
        for (EditorHost* host : hosts)
        {
            host->Idle();
        }
        if (condition())
        {
            return true;
        }
        if (std::chrono::steady_clock::now() > deadline)
        {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool IdleUntil(EditorHost& host, const std::function<bool()>& condition)
{
    return IdleUntil(std::vector<EditorHost*>{&host}, condition);
}

int UnitsToPixelsX(int units)
{
    return (units * 602 + 200) / 400;
}

int UnitsToPixelsY(int units)
{
    return (units * 13 + 4) / 8;
}

std::uint32_t PixelAt(cairo_surface_t* image, int x, int y)
{
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    return reinterpret_cast<const std::uint32_t*>(data + y * stride)[x] & 0xFFFFFFu;
}

int DifferingPixels(cairo_surface_t* a, cairo_surface_t* b, int x, int y, int width, int height)
{
    int count = 0;
    for (int row = y; row < y + height; ++row)
    {
        for (int column = x; column < x + width; ++column)
        {
            count += PixelAt(a, column, row) != PixelAt(b, column, row) ? 1 : 0;
        }
    }
    return count;
}

} // namespace X11Test
