#if !defined(_WIN32)

#include "platform/HeadlessBackend.h"

#include <algorithm>
#include <chrono>

namespace Kestrune::Platform
{

HeadlessBackend::~HeadlessBackend()
{
    for (auto& entry : surfaces)
        cairo_surface_destroy(entry.second.image);
}

bool HeadlessBackend::CreateSurface(const SurfaceDescription& description)
{
    Surface surface;
    surface.image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(description.width, 1),
                                               std::max(description.height, 1));
    if (cairo_surface_status(surface.image) != CAIRO_STATUS_SUCCESS)
    {
        cairo_surface_destroy(surface.image);
        return false;
    }
    surface.description = description;
    surface.title = description.title != nullptr ? description.title : "";
    surface.description.title = nullptr;
    DestroySurface(description.window);
    surfaces[description.window] = std::move(surface);
    return true;
}

void HeadlessBackend::DestroySurface(HWND window)
{
    const auto found = surfaces.find(window);
    if (found != surfaces.end())
    {
        cairo_surface_destroy(found->second.image);
        surfaces.erase(found);
    }
}

void HeadlessBackend::ShowSurface(HWND window, bool visible)
{
    const auto found = surfaces.find(window);
    if (found != surfaces.end())
        found->second.visible = visible;
}

void HeadlessBackend::MoveSurface(HWND window, int x, int y, int width, int height)
{
    const auto found = surfaces.find(window);
    if (found == surfaces.end())
        return;
    SurfaceDescription description = found->second.description;
    description.x = x;
    description.y = y;
    description.width = width;
    description.height = height;
    const bool visible = found->second.visible;
    const std::string title = found->second.title;
    description.title = title.c_str();
    CreateSurface(description);
    ShowSurface(window, visible);
}

cairo_t* HeadlessBackend::BeginDraw(HWND window)
{
    const auto found = surfaces.find(window);
    return found != surfaces.end() ? cairo_create(found->second.image) : nullptr;
}

void HeadlessBackend::Present(HWND window, cairo_t* context)
{
    cairo_destroy(context);
    const auto found = surfaces.find(window);
    if (found != surfaces.end())
        cairo_surface_flush(found->second.image);
}

int HeadlessBackend::PumpEvents(InputSink& sink)
{
    // One at a time: an event may start a modal loop that goes on with the following ones.
    int handled = 0;
    while (!sink.InputPaused())
    {
        Event event;
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (events.empty())
                return handled;
            event = std::move(events.front());
            events.pop_front();
        }
        event(sink);
        ++handled;
    }
    return handled;
}

bool HeadlessBackend::WaitForEvents(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(mutex);
    return wake.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                         [this] { return !events.empty(); });
}

void HeadlessBackend::Inject(Event event)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        events.push_back(std::move(event));
    }
    wake.notify_all();
}

std::size_t HeadlessBackend::PendingEvents()
{
    std::lock_guard<std::mutex> lock(mutex);
    return events.size();
}

void HeadlessBackend::DiscardPendingEvents()
{
    std::lock_guard<std::mutex> lock(mutex);
    events.clear();
}

cairo_surface_t* HeadlessBackend::SurfaceImage(HWND window) const
{
    const auto found = surfaces.find(window);
    return found != surfaces.end() ? found->second.image : nullptr;
}

} // namespace Kestrune::Platform

#endif
