#pragma once

// Test driver for the headless backend: queues simulated input, which is handled when the window
// system is pumped (Kestrune::Platform::PumpMessages) or by a running modal loop, in the order
// queued. Every function may be called from any thread [any] except where marked [ui]. Targets
// are resolved when the event is handled, so input can be queued for a window that a previous
// event will open: a null window means the active window at that moment.

#include "platform/Backend.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace Kestrune::Platform::Headless
{

// Whether the headless backend is the one in use (the input functions do nothing otherwise).
bool IsActive();

// Mouse input at a point of a window's client area.
void MouseDown(HWND window, int x, int y, MouseButton button = MouseButton::Left);
void MouseUp(HWND window, int x, int y, MouseButton button = MouseButton::Left);
void MouseMove(HWND window, int x, int y);
void Click(HWND window, int x, int y, MouseButton button = MouseButton::Left);
// A click at the centre of the control with this ID in `dialog` (null: the active window).
void ClickItem(HWND dialog, int controlId);
// A click at a point of the screen, on the topmost surface there (a pop-up list included).
void ClickScreen(int x, int y);
// Button down at the start, `steps` moves along the way, button up at the end.
void Drag(HWND window, int fromX, int fromY, int toX, int toY, int steps = 8);

// Keyboard input goes to the window with the focus, or to the active window.
void KeyDown(UINT virtualKey);
void KeyUp(UINT virtualKey);
// Down, the character it types (Enter, Escape, Tab, Space), up; with Shift held if asked.
void PressKey(UINT virtualKey, bool shift = false);
// One WM_CHAR per character.
void TypeText(std::string_view text);

// How long a modal loop waits without input before it gives up and answers -1 (default 1000 ms).
void SetModalIdleLimit(int milliseconds);
std::size_t PendingEvents();
void DiscardPendingEvents();

// [ui] A plain visible top-level window standing in for a host's editor window; destroy it with
// DestroyWindow.
HWND CreateHostWindow(int width, int height);
// [ui] The active window (a modal box while one is up).
HWND ActiveWindow();
// [ui] Paints the window and its visible children into a PNG of the window's size.
bool WriteScreenshot(HWND window, const std::string& path);
// [ui] The root surface as last presented (owned by the backend), or null.
cairo_surface_t* SurfaceImage(HWND root);

} // namespace Kestrune::Platform::Headless
