#pragma once

#include "platform/Backend.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace Kestrune::Platform
{

// A backend without a display: every root window draws into a cairo image surface, and input
// comes from a thread-safe queue that tests fill (see Headless.h). Queued input is handled when
// the window system is pumped, including by a running modal loop.
class HeadlessBackend final : public Backend
{
public:
    // One queued input event; `deliver` runs on the user-interface thread when it is pumped.
    using Event = std::function<void(InputSink&)>;

    HeadlessBackend() = default;
    ~HeadlessBackend() override;

    bool CreateSurface(const SurfaceDescription& description) override;
    void DestroySurface(HWND window) override;
    void ShowSurface(HWND window, bool visible) override;
    void MoveSurface(HWND window, int x, int y, int width, int height) override;
    cairo_t* BeginDraw(HWND window) override;
    void Present(HWND window, cairo_t* context) override;
    int PumpEvents(InputSink& sink) override;
    bool WaitForEvents(int timeoutMs) override;
    int ModalIdleLimitMs() const override { return modalIdleLimitMs.load(); }

    void Inject(Event event);                                                          // [any]
    std::size_t PendingEvents();                                                       // [any]
    void DiscardPendingEvents();                                                       // [any]
    void SetModalIdleLimit(int milliseconds) { modalIdleLimitMs.store(milliseconds); } // [any]
    // The surface's pixels as last presented, or null [ui].
    cairo_surface_t* SurfaceImage(HWND window) const;

private:
    struct Surface
    {
        cairo_surface_t* image = nullptr;
        SurfaceDescription description;
        std::string title;
        bool visible = false;
    };

    std::map<HWND, Surface> surfaces;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Event> events;
    std::atomic<int> modalIdleLimitMs{1000};
};

} // namespace Kestrune::Platform
