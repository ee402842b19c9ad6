#if defined(CORVANE_HAVE_X11)

// Events of the X11 backend: read without blocking on the host's idle calls (and by a modal loop
// that waits on the connection), translated into the window system's input by X window id.

#include "platform/X11Backend.h"

#include "platform/X11ErrorGuard.h"
#include "platform/X11Keys.h"

#include <poll.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace Kestrune::Platform
{
namespace
{

constexpr int kMostEventsPerPump = 4096;

} // namespace

int X11Backend::PumpEvents(InputSink& sink)
{
    if (display == nullptr)
        return 0;
    int handled = 0;
    ++pumping;
    {
        X11ErrorGuard guard(display);
        // XPending reads the socket only once Xlib's queue is empty, so it is asked after every
        // event; the cap makes sure an idle call returns even if input never stops coming.
        while (handled < kMostEventsPerPump && !sink.InputPaused() && XPending(display) > 0)
        {
            XEvent event;
            XNextEvent(display, &event);
            Translate(event, sink);
            ++handled;
        }
    }
    --pumping;
    DisconnectIfUnused();
    return handled;
}

bool X11Backend::WaitForEvents(int timeoutMs)
{
    if (display == nullptr)
        return false;
    {
        X11ErrorGuard guard(display);
        if (XPending(display) > 0)
            return true;
    }
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    return poll(&connection, 1, timeoutMs < 0 ? 0 : timeoutMs) > 0;
}

void X11Backend::MarkGone(unsigned long window)
{
    for (auto& entry : surfaces)
    {
        Surface& surface = entry.second;
        if (surface.window == window || surface.nativeParent == window)
        {
            surface.gone = true;
            surface.grabbing = false;
        }
    }
}

// A click into the panel brings the keyboard to it, as into a child dialog; while a modal box
// has the panel disabled the keyboard goes (back) to the box, as Windows activates it.
void X11Backend::FocusAfterClick(unsigned long window, HWND surface, unsigned long time)
{
    if (SurfaceTakesInput(surface))
    {
        XSetInputFocus(display, window, RevertToParent, time);
        return;
    }
    const auto active = surfaces.find(ActiveSurface());
    if (active != surfaces.end() && active->second.kind == SurfaceKind::TopLevel &&
        !active->second.gone)
        XSetInputFocus(display, active->second.window, RevertToParent, time);
}

void X11Backend::Translate(XEvent& event, InputSink& sink)
{
    if (event.type == DestroyNotify)
    {
        MarkGone(event.xdestroywindow.window);
        return;
    }
    HWND surface = SurfaceOf(event.xany.window);
    // While a pop-up holds the pointer every pointer event is its own, placed by the screen
    // position: the windows of other panels share no coordinates with it.
    const bool pointer =
        event.type == ButtonPress || event.type == ButtonRelease || event.type == MotionNotify;
    const HWND grabbing = pointer ? GrabbingSurface() : nullptr;
    if (grabbing != nullptr && grabbing != surface)
    {
        const Surface& popUp = surfaces.at(grabbing);
        if (event.type == MotionNotify)
        {
            event.xmotion.x = event.xmotion.x_root - popUp.rootX;
            event.xmotion.y = event.xmotion.y_root - popUp.rootY;
        }
        else
        {
            event.xbutton.x = event.xbutton.x_root - popUp.rootX;
            event.xbutton.y = event.xbutton.y_root - popUp.rootY;
        }
        surface = grabbing;
    }
    const auto found = surfaces.find(surface);
    if (surface == nullptr || found == surfaces.end())
        return;
    switch (event.type)
    {
    case Expose:
        if (event.xexpose.count == 0)
            sink.ExposeEvent(surface);
        break;
    case ButtonPress:
    case ButtonRelease:
    {
        const unsigned button = event.xbutton.button;
        const bool pressed = event.type == ButtonPress;
        if (button == Button4 || button == Button5)
        {
            // X reports each notch of the wheel as a click of button 4 (up) or 5 (down).
            if (pressed)
            {
                sink.MouseWheelEvent(surface, button == Button4 ? WHEEL_DELTA : -WHEEL_DELTA,
                                     event.xbutton.x, event.xbutton.y);
            }
            break;
        }
        if (button < Button1 || button > Button3)
            break; // sideways wheel and extra buttons
        if (pressed && found->second.kind == SurfaceKind::Embedded)
            FocusAfterClick(found->second.window, surface, event.xbutton.time);
        const MouseButton which = button == Button1   ? MouseButton::Left
                                  : button == Button2 ? MouseButton::Middle
                                                      : MouseButton::Right;
        sink.MouseButtonEvent(surface, which, pressed, event.xbutton.x, event.xbutton.y);
        break;
    }
    case MotionNotify:
        sink.MouseMoveEvent(surface, event.xmotion.x, event.xmotion.y);
        break;
    case KeyPress:
    case KeyRelease:
    {
        const bool pressed = event.type == KeyPress;
        const UINT key = VirtualKeyOfKeySym(XLookupKeysym(&event.xkey, 0));
        if (key != 0)
            sink.KeyEvent(surface, key, pressed);
        if (pressed)
        {
            char text[8] = {};
            KeySym symbol = NoSymbol;
            const int length = XLookupString(&event.xkey, text, sizeof text, &symbol, nullptr);
            for (int index = 0; index < length; ++index)
                sink.CharEvent(surface, static_cast<unsigned char>(text[index]));
        }
        break;
    }
    case FocusIn:
    case FocusOut:
        // Only real changes of the focus, not those a grab or the pointer makes.
        if (event.xfocus.mode == NotifyGrab || event.xfocus.mode == NotifyUngrab ||
            event.xfocus.detail == NotifyPointer || event.xfocus.detail == NotifyInferior)
            break;
        sink.FocusEvent(surface, event.type == FocusIn);
        break;
    case MapNotify:
        if (found->second.kind == SurfaceKind::TopLevel)
        {
            // A dialog takes the keyboard when it appears, with or without a window manager.
            XSetInputFocus(display, found->second.window, RevertToParent, CurrentTime);
        }
        break;
    case ClientMessage:
        if (event.xclient.message_type == atoms.protocols && event.xclient.format == 32 &&
            static_cast<unsigned long>(event.xclient.data.l[0]) == atoms.deleteWindow)
            sink.CloseEvent(surface);
        break;
    default:
        break;
    }
}

} // namespace Kestrune::Platform

#endif
