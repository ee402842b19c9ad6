#if !defined(_WIN32)

#include "platform/Theme.h"
#include "platform/WindowSystem.h"

#include <vector>

namespace Kestrune::Platform
{
namespace
{

// Erases and paints a window, then its visible children from the bottom of the z-order (the
// last created) to the top (the first created). `cr` has its origin at the window.
void PaintTree(HWND handle, cairo_t* cr)
{
    Window* window = FindWindowState(handle);
    if (window == nullptr)
        return;
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, window->Width(), window->Height());
    cairo_clip(cr);

    HDC__ context{cr, handle, window->scale};
    window->paintContext = &context;
    cairo_save(cr);
    Send(handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(&context), 0);
    cairo_restore(cr);
    cairo_save(cr);
    Send(handle, WM_PAINT, 0, 0);
    cairo_restore(cr);
    window = FindWindowState(handle);
    if (window == nullptr)
    {
        cairo_restore(cr);
        return;
    }
    window->paintContext = nullptr;

    const std::vector<HWND> children(window->children.rbegin(), window->children.rend());
    for (const HWND child : children)
    {
        const Window* childState = FindWindowState(child);
        if (childState == nullptr || (childState->style & WS_VISIBLE) == 0)
            continue;
        cairo_save(cr);
        cairo_translate(cr, childState->rect.left, childState->rect.top);
        PaintTree(child, cr);
        cairo_restore(cr);
    }
    cairo_restore(cr);
}

HDC__& ScratchContext()
{
    // For BeginPaint outside WM_PAINT: drawing goes nowhere.
    static cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    static HDC__ context{cairo_create(surface), nullptr};
    return context;
}

} // namespace

void PaintSurface(HWND root)
{
    Window* window = FindWindowState(root);
    if (window == nullptr || !window->hasSurface)
        return;
    window->needsPaint = false;
    Backend* backend = window->backend;
    cairo_t* cr = backend != nullptr ? backend->BeginDraw(root) : nullptr;
    if (cr == nullptr)
        return;
    PaintTree(root, cr);
    // The tree may have destroyed the root while painting; the backend copes with that.
    backend->Present(root, cr);
}

void RenderWindow(HWND window, cairo_t* context)
{
    if (context != nullptr)
        PaintTree(window, context);
}

} // namespace Kestrune::Platform

HDC BeginPaint(HWND window, LPPAINTSTRUCT paint)
{
    using namespace Kestrune::Platform;
    Window* state = FindWindowState(window);
    if (state == nullptr || paint == nullptr)
        return nullptr;
    HDC context = state->paintContext != nullptr ? state->paintContext : &ScratchContext();
    *paint = PAINTSTRUCT{};
    paint->hdc = context;
    paint->rcPaint = RECT{0, 0, state->Width(), state->Height()};
    return context;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint)
{
    return Kestrune::Platform::FindWindowState(window) != nullptr && paint != nullptr ? TRUE
                                                                                      : FALSE;
}

#endif
