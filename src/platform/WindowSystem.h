#pragma once

// Internal to the window system: window creation, the tree, message delivery, focus, capture,
// activation and the pump. Everything here is [ui].

#include "platform/Backend.h"
#include "platform/Window.h"

#include <memory>
#include <string_view>

struct HDC__
{
    cairo_t* cairo = nullptr;
    HWND window = nullptr;
    double scale = 1.0; // the window's
};

namespace Kestrune::Platform
{

namespace Theme
{
struct Canvas;
}

struct CreateParameters
{
    std::string_view className;
    std::string_view text;
    DWORD style = 0;
    int x = 0; // in the parent's client area; on the screen for roots
    int y = 0;
    int width = 0;
    int height = 0;
    HWND parent = nullptr; // WS_CHILD: the parent (ours or the host's); WS_POPUP: the owner
    int id = 0;
    HINSTANCE instance = nullptr;
    // The UI scale factor; 0 takes that of `parent` (ours, as parent or owner), else 1.
    double scale = 0.0;
    std::unique_ptr<WindowExtra> extra; // the class's state, in place before WM_CREATE
};

// Null for an unknown class, a full table, a refused surface or WM_CREATE answering -1.
HWND CreateWindowInternal(CreateParameters parameters);
bool DestroyWindowInternal(HWND window);

Window* FindWindowState(HWND window);

template <typename T> T* ExtraOf(HWND window)
{
    Window* state = FindWindowState(window);
    return state != nullptr ? dynamic_cast<T*>(state->extra.get()) : nullptr;
}

// The class's state of a window, made on first use.
template <typename T> T& EnsureExtra(Window& window)
{
    if (auto* extra = dynamic_cast<T*>(window.extra.get()))
        return *extra;
    auto extra = std::make_unique<T>();
    T& reference = *extra;
    window.extra = std::move(extra);
    return reference;
}

// A drawn control's painting, called inside BeginPaint/EndPaint with the context as a canvas; never
// for a window that has gone or a context without a canvas.
using DrawProcedure = void (*)(HWND handle, HDC dc, const Theme::Canvas& cr, Window& window);

// What every drawn control does with the messages it leaves alone: it paints itself in whole, so
// the background is never erased first.
LRESULT ControlDefault(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DrawProcedure draw);

// Calls the window procedure now; 0 for a window that does not exist.
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// What a window does with messages its class leaves alone.
LRESULT DefaultWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// WM_COMMAND to the parent: MAKEWPARAM(control ID, code), lParam the control.
void NotifyParent(HWND control, WORD code);

HWND RootOf(HWND window);
bool IsSelfOrAncestor(HWND ancestor, HWND window);
bool IsShown(HWND window);  // the window and all its ancestors are visible
bool IsUsable(HWND window); // neither the window nor its root is disabled
POINT ScreenOriginOf(HWND window);
HWND FindDescendant(HWND window, int id);
HWND DialogOf(HWND window); // the nearest dialog among the window and its ancestors

void InvalidateWindow(HWND window);
void PaintPendingSurfaces();
void PaintSurface(HWND root);

void SetMouseCapture(HWND window);
void ReleaseMouseCapture();
HWND MouseCapture();
HWND FocusWindow();
HWND ChangeFocus(HWND window);
void Activate(HWND root);
// A modal dialog has ended and its loop has not returned yet.
bool ModalLoopEnding();

// WM_TIMER to `window` every periodMs (the first after firstMs) while it lives, checked where the
// posted messages are dispatched, so never more often than the host's idle calls; a second start
// with the same id restarts it.
void StartTimer(HWND window, UINT_PTR id, int firstMs, int periodMs);
void StopTimer(HWND window, UINT_PTR id);
void SendDueTimers();

InputSink& WindowSystemInput();
// One round of the pump: input, then the posted messages queued so far, then painting. Answers
// the number of input events handled.
int PumpOnce();

// Class procedures of the built-in controls.
LRESULT DialogProcedure(HWND, UINT, WPARAM, LPARAM);
LRESULT ButtonProcedure(HWND, UINT, WPARAM, LPARAM);
LRESULT StaticProcedure(HWND, UINT, WPARAM, LPARAM);
LRESULT ComboBoxProcedure(HWND, UINT, WPARAM, LPARAM);
LRESULT ComboListProcedure(HWND, UINT, WPARAM, LPARAM);
LRESULT TrackbarProcedure(HWND, UINT, WPARAM, LPARAM);
LRESULT StatusProcedure(HWND, UINT, WPARAM, LPARAM);
LRESULT HostWindowProcedure(HWND, UINT, WPARAM, LPARAM);

inline constexpr std::string_view kDialogClass = "#32770";
inline constexpr std::string_view kComboListClass = "ComboLBox";
inline constexpr std::string_view kHostWindowClass = "KestruneHostWindow";

} // namespace Kestrune::Platform
