#pragma once

// Keeps the X errors of the plug-in's own connection away from the host: Xlib's error handler is
// one per process, and its default ends the process. A guard installs a handler for as long as
// it lives and, before putting the previous one back, waits until the server has answered every
// request made so far, so the errors those requests cause are seen while the guard is in place.
// Errors of other connections (the host's) go on to the previous handler. Guards nest. [ui]

struct _XDisplay;

namespace Kestrune::Platform
{

class X11ErrorGuard
{
public:
    explicit X11ErrorGuard(_XDisplay* display);
    ~X11ErrorGuard();
    X11ErrorGuard(const X11ErrorGuard&) = delete;
    X11ErrorGuard& operator=(const X11ErrorGuard&) = delete;

    // Waits for the server's answers and reports whether any request of this connection failed
    // since the guard was made.
    bool Failed();
    // The connection is about to close (XCloseDisplay waits for the answers itself): the guard
    // makes no more calls on it.
    void Detach();

    // Errors of guarded connections caught so far in this process; for diagnostics and tests.
    static unsigned long ErrorsCaught();

private:
    void Synchronise();

    _XDisplay* display;
    unsigned long errorsAtStart;
};

} // namespace Kestrune::Platform
