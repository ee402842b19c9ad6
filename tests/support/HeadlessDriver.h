// The test variant of the plug-in module (CorvanePhaserHeadlessTest.so) carries its own copy of
// the window system, like the shipped module. Besides the entry points it exports
// CorvaneHeadlessDriver(), a table of functions into that copy, so that a test can create the
// host's parent window, simulate input and read the controls of the panel the editor opens.
// Everything else goes through the VST interface.
#pragma once

#include "platform/Win32.h"
#include "support/MessageSpy.h"

#include <cstddef>

namespace TestSupport
{

struct HeadlessDriver
{
    static constexpr int kVersion = 2;
    int version;

    // Headless backend (see platform/Headless.h); [ui] unless the input queue is meant.
    HWND (*CreateHostWindow)(int width, int height);
    void (*Click)(HWND window, int x, int y);
    void (*ClickItem)(HWND dialog, int controlId);
    void (*ClickScreen)(int x, int y);
    void (*Drag)(HWND window, int fromX, int fromY, int toX, int toY, int steps);
    void (*MouseDown)(HWND window, int x, int y);
    void (*MouseUp)(HWND window, int x, int y);
    void (*MouseMove)(HWND window, int x, int y);
    void (*PressKey)(UINT virtualKey, bool shift);
    void (*KeyDown)(UINT virtualKey);
    void (*KeyUp)(UINT virtualKey);
    void (*TypeText)(const char* text);
    void (*SetModalIdleLimit)(int milliseconds);
    std::size_t (*PendingEvents)();
    void (*DiscardPendingEvents)();
    HWND (*ActiveWindow)();
    bool (*WriteScreenshot)(HWND window, const char* path);
    void (*PumpMessages)();
    // Queues a call among the simulated input: it runs on the user-interface thread when the pump
    // (or a modal loop) reaches it, so a test can look at a modal box while it is up.
    void (*QueueCall)(void (*call)(void* context), void* context);
    // The scale factor the editor takes when it next chooses one (its first getRect or open
    // after a close), in place of CORVANE_UI_SCALE and the X server's; 0 restores those.
    void (*SetUiScale)(double factor);

    // Win32 subset.
    BOOL (*DestroyWindow)(HWND window);
    HWND (*GetDlgItem)(HWND dialog, int controlId);
    int (*GetDlgCtrlID)(HWND control);
    HWND (*GetParent)(HWND window);
    BOOL (*GetClientRect)(HWND window, LPRECT rect);
    BOOL (*IsWindow)(HWND window);
    BOOL (*IsWindowVisible)(HWND window);
    BOOL (*IsWindowEnabled)(HWND window);
    LRESULT (*SendMessageA)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL (*PostMessageA)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    int (*GetWindowTextA)(HWND window, LPSTR buffer, int size);
    HWND (*GetFocus)();
    HWND (*SetFocus)(HWND window);

    // The window tree: children in creation order (the editor's panel is the host window's).
    int (*ChildCount)(HWND window);
    HWND (*ChildAt)(HWND window, int index);

    // Message spy over the module's windows (see MessageSpy.h).
    bool (*Watch)(HWND window);
    std::size_t (*SpiedCount)();
    SpiedMessage (*SpiedAt)(std::size_t index);
    void (*ClearSpied)();
};

} // namespace TestSupport

using CorvaneHeadlessDriverFunction = const TestSupport::HeadlessDriver* (*)();
