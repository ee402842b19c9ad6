#pragma once

namespace Kestrune::Platform
{

// [ui] Translates pending input into window messages, dispatches the posted messages queued so
// far and repaints what changed. Never blocks. On Windows the host's own message loop does this,
// so the call does nothing there.
#if defined(_WIN32)
inline void PumpMessages() {}
#else
void PumpMessages();
#endif

} // namespace Kestrune::Platform
