// A test host's side of the X server: its own connection (with a counting error handler, so any
// error of the plug-in's connection that escaped the plug-in would show), a top-level window to
// embed the editor in, synthetic input through XTest, and pixels read back from the screen.
#pragma once

#include "support/NonCopyable.h"

#include "support/PluginHost.h"

#include <cairo.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

struct _XDisplay;

namespace X11Test
{

// X11 resource ids; the Xlib headers stay out of the tests (their macros clash with GoogleTest).
using XWindow = unsigned long;

// Errors that reached the test's handler, from any connection: the plug-in's must never do.
int ErrorsSeen();

// One connection of the test (each thread needs its own).
class Connection : TestSupport::NonCopyable
{
public:
    Connection();
    ~Connection();

    bool Open() const { return display != nullptr; }
    _XDisplay* Get() const { return display; }
    XWindow Root() const;

    // A mapped top-level window at (x, y) on the screen, titled "Test Host".
    XWindow CreateTopLevel(int x, int y, int width, int height);
    // A mapped child window, as hosts embed editors below their top-level.
    XWindow CreateChild(XWindow parent, int x, int y, int width, int height);
    void Destroy(XWindow window);
    // The window's origin on the screen.
    void ScreenPosition(XWindow window, int& x, int& y) const;
    // Direct children of a window, bottom first.
    std::vector<XWindow> Children(XWindow window) const;
    bool Exists(XWindow window) const; // a child of the root or of `window`'s tree, found by query
    bool Viewable(XWindow window) const;
    bool IsOverrideRedirect(XWindow window) const;
    XWindow TransientFor(XWindow window) const;
    std::string Title(XWindow window) const;
    bool HasDeleteProtocol(XWindow window) const;
    void Geometry(XWindow window, int& x, int& y, int& width, int& height) const;
    XWindow FocusWindow() const;

    // Synthetic input, at screen coordinates; each call waits until the server has taken it.
    void MoveTo(int x, int y);
    void Press(unsigned button = 1);
    void Release(unsigned button = 1);
    void Click(int x, int y);
    void Key(unsigned long keySym); // press and release
    // WM_PROTOCOLS / WM_DELETE_WINDOW, as a window manager's close button sends it.
    void SendDelete(XWindow window);
    // The server's resource string (RESOURCE_MANAGER on the root, as xrdb sets it); null removes
    // it. Connections opened afterwards see it.
    void SetResources(const char* text);

    // The screen's pixels under a window (its children included), as a cairo RGB24 image.
    cairo_surface_t* Capture(XWindow window, int width, int height) const;

private:
    _XDisplay* display = nullptr;
};

// Whether a display can be opened at all (otherwise the tests skip).
bool DisplayAvailable();

// The plug-in loaded like a host loads it, with helpers for the editor.
class EditorHost
{
public:
    EditorHost();
    bool Ready() const { return plugin.Effect() != nullptr; }
    VstIntPtr Open(XWindow parent);
    void Close();
    void Idle(int times = 1);
    float Parameter(int index);
    void SetParameter(int index, float value);
    int AutomationCount(int index) const;

    TestSupport::PluginHost plugin;
};

// Idles the editors until the condition holds or two seconds pass; true when it held.
bool IdleUntil(const std::vector<EditorHost*>& hosts, const std::function<bool()>& condition);
bool IdleUntil(EditorHost& host, const std::function<bool()>& condition);

// The panel's layout: a control's centre in pixels, from its dialog-unit rectangle in the
// template (8-point "MS Sans Serif": 6.02 by 13 pixels per 4 by 8 units).
int UnitsToPixelsX(int units);
int UnitsToPixelsY(int units);

inline constexpr int kPanelWidth = 391;
inline constexpr int kPanelHeight = 348;
inline constexpr int kStatusHeight = 20;

std::uint32_t PixelAt(cairo_surface_t* image, int x, int y);
// Number of differing pixels inside a rectangle of two images of the same size.
int DifferingPixels(cairo_surface_t* a, cairo_surface_t* b, int x, int y, int width, int height);

} // namespace X11Test
