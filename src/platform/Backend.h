#pragma once

// The seam between the window system and what shows its windows. A backend provides drawing
// surfaces for the root windows (those without a parent of ours: top-level dialogs, pop-up lists,
// and panels embedded in a host's native window) and turns its input into InputSink calls. The
// window system does everything else: window tree, messages, controls, painting, focus.
// Each root keeps the backend that created its surface. A panel embedded in a host's native
// window goes to the native backend (X11 on Linux) when the platform has one; a window owned by
// another root goes to its owner's backend; every other root to the current backend. So headless
// windows and native ones can live side by side in one process.
// Everything here runs on the user-interface thread [ui] unless marked otherwise.

#include "platform/Win32.h"

#include <cairo.h>

#include <cstdint>
#include <memory>

namespace Kestrune::Platform
{

enum class SurfaceKind
{
    TopLevel, // an application window (a modal dialog), owned by `owner` when set
    Embedded, // a child of the host's native window `nativeParent` (an X11 window id on Linux)
    Popup     // an undecorated window above its owner (a drop-down list)
};

struct SurfaceDescription
{
    HWND window = nullptr;
    SurfaceKind kind = SurfaceKind::TopLevel;
    std::uintptr_t nativeParent = 0;
    HWND owner = nullptr;
    int x = 0; // screen position; inside nativeParent for Embedded
    int y = 0;
    int width = 0; // pixels, client area
    int height = 0;
    const char* title = "";
};

enum class MouseButton
{
    Left,
    Right,
    Middle
};

// Where a backend delivers input. Coordinates are pixels in the surface of `surface`.
class InputSink
{
public:
    virtual void MouseButtonEvent(HWND surface, MouseButton button, bool pressed, int x, int y) = 0;
    virtual void MouseMoveEvent(HWND surface, int x, int y) = 0;
    // A wheel turned by `delta` (WHEEL_DELTA a notch, positive away from the user) with the
    // pointer at (x, y).
    virtual void MouseWheelEvent(HWND surface, int delta, int x, int y) = 0;
    // Keys go to the window with the keyboard focus; `surface` is informative and may be null.
    virtual void KeyEvent(HWND surface, UINT virtualKey, bool pressed) = 0;
    virtual void CharEvent(HWND surface, unsigned character) = 0;
    // The surface lost its pixels (exposed) and must be redrawn.
    virtual void ExposeEvent(HWND surface) = 0;
    // The user asked to close the surface (the window manager's close button).
    virtual void CloseEvent(HWND surface) = 0;
    // The surface gained or lost the keyboard focus of its display.
    virtual void FocusEvent(HWND surface, bool focused) = 0;
    // True while a modal loop that has ended unwinds: a backend stops delivering and keeps the
    // rest of its input for the next pump, which then reaches the windows the box had disabled.
    virtual bool InputPaused() const = 0;

protected:
    ~InputSink() = default;
};

class Backend
{
public:
    virtual ~Backend() = default;

    virtual bool CreateSurface(const SurfaceDescription& description) = 0;
    virtual void DestroySurface(HWND window) = 0;
    virtual void ShowSurface(HWND window, bool visible) = 0;
    virtual void MoveSurface(HWND window, int x, int y, int width, int height) = 0;

    // A context covering the whole surface, or null; the window system paints the window tree
    // into it and hands it back to Present, which shows the result and destroys the context.
    virtual cairo_t* BeginDraw(HWND window) = 0;
    virtual void Present(HWND window, cairo_t* context) = 0;

    // Hands pending input to the sink without blocking, until none is left or the sink pauses;
    // answers the number of events.
    virtual int PumpEvents(InputSink& sink) = 0;
    // Waits at most timeoutMs for input; true when some may be pending.
    virtual bool WaitForEvents(int timeoutMs) = 0;
    // How long a modal loop may go without input before it gives up (-1: never). Only a backend
    // without a user (headless) gives up.
    virtual int ModalIdleLimitMs() const = 0;
    // The native window showing a surface (X11: its Window id), or 0 where there is none.
    virtual unsigned long NativeWindow(HWND) const { return 0; }
    // The file descriptor input arrives on while connected (X11: the display connection's), or
    // -1: a host can watch it and call the idle work when it becomes readable.
    virtual int ConnectionFd() const { return -1; }
};

// The backend for roots that are neither embedded in a native window nor owned: the headless one.
Backend& CurrentBackend();
// The backend showing a window's root, or null when the window does not exist.
Backend* BackendOf(HWND window);

// Services of the window system for backends and test drivers.
// The root window whose surface shows `window`; `point` goes from the window's client area to
// the surface's. Null when the window does not exist.
HWND ClientToSurface(HWND window, POINT& point);
// The topmost visible root containing a screen point, with the point made surface-relative.
HWND SurfaceAt(int screenX, int screenY, POINT& point);
// The active root window (the one keyboard input goes to when nothing has the focus).
HWND ActiveSurface();
// Whether a root takes input now: false while a modal box has it disabled.
bool SurfaceTakesInput(HWND window);
// Paints a window and its visible children into a context, at its origin.
void RenderWindow(HWND window, cairo_t* context);

} // namespace Kestrune::Platform
