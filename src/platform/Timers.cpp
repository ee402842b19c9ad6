#if !defined(_WIN32)

// Window timers: the plug-in starts no threads, so a timer is due only when the host's idle call
// (or a modal loop) next pumps; a late timer fires once, not once per missed period.

#include "platform/WindowSystem.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace Kestrune::Platform
{
namespace
{

using Clock = std::chrono::steady_clock;

struct Timer
{
    HWND window;
    UINT_PTR id;
    std::chrono::milliseconds period;
    Clock::time_point due;
};

std::vector<Timer>& Timers()
{
    static std::vector<Timer> timers;
    return timers;
}

void Erase(HWND window, UINT_PTR id)
{
    std::erase_if(
        Timers(), [&](const Timer& t) { return t.window == window && t.id == id; });
}

} // namespace

void StartTimer(HWND window, UINT_PTR id, int firstMs, int periodMs)
{
    Erase(window, id);
    Timers().push_back({window, id, std::chrono::milliseconds(std::max(periodMs, 1)),
                        Clock::now() + std::chrono::milliseconds(firstMs)});
}

void StopTimer(HWND window, UINT_PTR id)
{
    Erase(window, id);
}

void SendDueTimers()
{
    std::erase_if(Timers(), [](const Timer& t) { return FindWindowState(t.window) == nullptr; });
    const Clock::time_point now = Clock::now();
    // A copy: a handler may start or stop timers.
    const std::vector<Timer> timers = Timers();
    for (const Timer& timer : timers)
    {
        if (timer.due > now)
            continue;
        for (Timer& live : Timers())
            if (live.window == timer.window && live.id == timer.id)
                live.due = now + live.period;
        Send(timer.window, WM_TIMER, timer.id, 0);
    }
}

} // namespace Kestrune::Platform

#endif
