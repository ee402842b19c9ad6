#pragma once

namespace Kestrune::Platform
{

// [ui] Translates pending input into window messages, dispatches the posted messages queued so
// far and repaints what changed. Never blocks. On Windows the host's own message loop does this,
// so the call does nothing there.
// PumpInput only turns pending input into messages; DispatchPosted only sends the timers due,
// dispatches what was posted and repaints, so a caller can read values between the user's input
// and their display.
#if defined(_WIN32)
inline void PumpMessages() {}
inline int PumpInput()
{
    return 0;
}
inline void DispatchPosted() {}
#else
void PumpMessages();
int PumpInput();
void DispatchPosted();
#endif

} // namespace Kestrune::Platform
