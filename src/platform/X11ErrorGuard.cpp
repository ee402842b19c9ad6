#if defined(CORVANE_HAVE_X11)

#include "platform/X11ErrorGuard.h"

#include <X11/Xlib.h>

namespace Kestrune::Platform
{
namespace
{

// Plain data, so nothing runs at unload: the handler is only installed inside a guard.
struct GuardState
{
    int depth = 0;
    XErrorHandler previous = nullptr;
    Display* guarded = nullptr; // the connection of the outermost guard
    unsigned long caught = 0;
};

GuardState guardState;

int CatchError(Display* display, XErrorEvent* error)
{
    if (display == guardState.guarded)
    {
        ++guardState.caught;
        return 0;
    }
    // Another connection's error, read while ours was being served: not ours to swallow.
    return guardState.previous != nullptr ? guardState.previous(display, error) : 0;
}

} // namespace

X11ErrorGuard::X11ErrorGuard(Display* connection)
    : display(connection), errorsAtStart(guardState.caught)
{
    if (guardState.depth++ == 0)
    {
        guardState.guarded = display;
        guardState.previous = XSetErrorHandler(&CatchError);
    }
}

X11ErrorGuard::~X11ErrorGuard()
{
    Synchronise();
    if (--guardState.depth == 0)
    {
        XSetErrorHandler(guardState.previous);
        guardState.previous = nullptr;
        guardState.guarded = nullptr;
    }
}

void X11ErrorGuard::Synchronise()
{
    // Only when requests are still unanswered: a guard around reading events costs no round trip.
    if (display != nullptr && NextRequest(display) - 1 != LastKnownRequestProcessed(display))
        XSync(display, False);
}

bool X11ErrorGuard::Failed()
{
    Synchronise();
    return guardState.caught != errorsAtStart;
}

void X11ErrorGuard::Detach()
{
    display = nullptr;
}

unsigned long X11ErrorGuard::ErrorsCaught()
{
    return guardState.caught;
}

} // namespace Kestrune::Platform

#endif
