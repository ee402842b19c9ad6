#pragma once

// The backend for Linux hosts. The plug-in opens its own connection to the X server with the
// first surface and closes it with the last. A panel becomes a child X window of the host's
// window; a modal dialog a transient top-level window; a drop-down list an override-redirect
// window. The window system paints each surface into an image (the same cairo code as the
// headless backend), which is then copied to the window through cairo-xlib. Events are read
// without blocking on the host's idle calls and handed to the window system by X window id, so
// several editors in one process share the connection and never see each other's input. Every
// call on the connection runs under an X11ErrorGuard: its errors never reach the host. [ui]

#include "platform/Backend.h"

#include <map>
#include <string>
#include <unordered_map>

struct _XDisplay;
union _XEvent;

namespace Kestrune::Platform
{

class X11Backend final : public Backend
{
public:
    X11Backend() = default;
    ~X11Backend() override;
    X11Backend(const X11Backend&) = delete;
    X11Backend& operator=(const X11Backend&) = delete;

    // Refused (false) when no display can be opened or the host's window does not exist.
    bool CreateSurface(const SurfaceDescription& description) override;
    void DestroySurface(HWND window) override;
    void ShowSurface(HWND window, bool visible) override;
    void MoveSurface(HWND window, int x, int y, int width, int height) override;
    cairo_t* BeginDraw(HWND window) override;
    void Present(HWND window, cairo_t* context) override;
    // Reads only what is pending (never blocks); a surface's events go to that surface.
    int PumpEvents(InputSink& sink) override;
    // Waits on the connection's file descriptor.
    bool WaitForEvents(int timeoutMs) override;
    int ModalIdleLimitMs() const override { return -1; }
    unsigned long NativeWindow(HWND window) const override;
    int ConnectionFd() const override;

private:
    struct Surface
    {
        SurfaceKind kind = SurfaceKind::TopLevel;
        unsigned long window = 0;       // ours
        unsigned long root = 0;         // the root window of its screen
        unsigned long nativeParent = 0; // embedded: the host's window
        unsigned long hostTopLevel = 0; // embedded: the host's top-level (for transient dialogs)
        HWND owner = nullptr;
        void* visual = nullptr; // the X Visual of the window
        int x = 0;              // window-system coordinates (see SurfaceDescription)
        int y = 0;
        int width = 1;
        int height = 1;
        int rootX = 0; // pop-ups and dialogs: where the window was placed on its screen
        int rootY = 0;
        cairo_surface_t* image = nullptr;  // what the window system paints
        cairo_surface_t* target = nullptr; // the X window, through cairo-xlib
        bool gone = false;                 // destroyed by the server (with the host's window)
        bool grabbing = false;             // a shown pop-up holds the pointer
    };
    struct Atoms
    {
        unsigned long protocols = 0;
        unsigned long deleteWindow = 0;
        unsigned long netName = 0;
        unsigned long utf8 = 0;
        unsigned long windowType = 0;
        unsigned long typeDialog = 0;
        unsigned long typeDropDown = 0;
        unsigned long state = 0;
        unsigned long stateModal = 0;
        unsigned long wmState = 0;
    };

    bool Connect();
    // Closes the connection once no surface is left and no event is being handled.
    void DisconnectIfUnused();
    bool CreateWindowFor(Surface& surface, const SurfaceDescription& description);
    void SetDialogProperties(const Surface& surface, const std::string& title);
    void NativePosition(const Surface& surface, int& x, int& y);
    unsigned long HostTopLevel(unsigned long window);
    void ReleaseTarget(Surface& surface);
    void Translate(_XEvent& event, InputSink& sink);
    void FocusAfterClick(unsigned long window, HWND surface, unsigned long time);
    void MarkGone(unsigned long window);
    HWND SurfaceOf(unsigned long window) const;
    // The shown pop-up that holds the pointer, or null.
    HWND GrabbingSurface() const;

    _XDisplay* display = nullptr;
    Atoms atoms;
    std::map<HWND, Surface> surfaces;
    std::unordered_map<unsigned long, HWND> byWindow;
    int pumping = 0;
};

} // namespace Kestrune::Platform
