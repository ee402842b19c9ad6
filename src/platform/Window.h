#pragma once

// Internal to the window system: the state behind a window handle [ui].

#include "platform/DialogUnits.h"
#include "platform/Win32.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Kestrune::Platform
{

class Backend;

// Per-class state of a window (a control's range, a list's entries, a dialog's procedure).
struct WindowExtra
{
    virtual ~WindowExtra() = default;
};

struct Window
{
    HWND handle = nullptr;
    std::string className;
    WNDPROC procedure = nullptr;
    HWND parent = nullptr;        // a window of ours (WS_CHILD)
    HWND owner = nullptr;         // the owning root (WS_POPUP)
    HWND foreignParent = nullptr; // a window of the host, not ours (WS_CHILD, embedded surface)
    std::vector<HWND> children;   // creation order: the first is on top and first in tab order
    DWORD style = 0;
    int id = 0;
    std::string text;
    RECT rect{};        // in the parent's client area; roots: on the screen
    double scale = 1.0; // the UI scale factor its class metrics and drawing follow
    LONG_PTR userData = 0;
    HINSTANCE instance = nullptr;
    bool hasSurface = false;
    Backend* backend = nullptr; // roots with a surface: the backend that shows it
    bool needsPaint = false;    // roots: the surface must be redrawn
    bool destroying = false;
    HDC paintContext = nullptr; // set while the window handles WM_PAINT
    std::unique_ptr<WindowExtra> extra;

    int Width() const { return rect.right - rect.left; }
    int Height() const { return rect.bottom - rect.top; }
    // A length of the class's 96-dpi metrics at the window's factor.
    int Scaled(int pixels) const { return ScalePixels(pixels, scale); }
    // The width of the class's one-pixel lines at the window's factor.
    int Line() const { return LineWidth(scale); }
};

} // namespace Kestrune::Platform
