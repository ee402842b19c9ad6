#if !defined(_WIN32)

// The general Win32 window functions over the window system.

#include "platform/PostedMessageQueue.h"
#include "platform/WindowSystem.h"
#include "platform/WindowTable.h"

#include <algorithm>

using namespace Kestrune::Platform;

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Send(window, message, wParam, lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!Windows().IsLive(window))
        return FALSE;
    return PostedMessages().Push(PostedMessage{window, message, wParam, lParam}) ? TRUE : FALSE;
}

LONG_PTR GetWindowLongPtrA(HWND window, int index)
{
    const Window* state = FindWindowState(window);
    if (state == nullptr)
        return 0;
    if (index == GWLP_USERDATA)
        return state->userData;
    return index == GWLP_HINSTANCE ? reinterpret_cast<LONG_PTR>(state->instance) : 0;
}

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value)
{
    Window* state = FindWindowState(window);
    if (state == nullptr || index != GWLP_USERDATA)
        return 0;
    const LONG_PTR previous = state->userData;
    state->userData = value;
    return previous;
}

BOOL ShowWindow(HWND window, int command)
{
    Window* state = FindWindowState(window);
    if (state == nullptr)
        return FALSE;
    const bool wasVisible = (state->style & WS_VISIBLE) != 0;
    const bool show = command != SW_HIDE;
    if (show == wasVisible)
    {
        if (show && state->hasSurface && command != SW_SHOWNA)
            Activate(window);
        return wasVisible ? TRUE : FALSE;
    }
    if (show)
    {
        state->style |= WS_VISIBLE;
    }
    else
    {
        state->style &= ~static_cast<DWORD>(WS_VISIBLE);
        const HWND focus = FocusWindow();
        if (focus != nullptr && IsSelfOrAncestor(window, focus))
            ChangeFocus(nullptr);
    }
    state = FindWindowState(window);
    if (state == nullptr)
        return wasVisible ? TRUE : FALSE;
    if (state->hasSurface && state->backend != nullptr)
    {
        state->backend->ShowSurface(window, show);
        const bool popup = (state->style & WS_POPUP) != 0 && (state->style & WS_CAPTION) == 0 &&
                           state->owner != nullptr;
        if (show && !popup && command != SW_SHOWNA)
            Activate(window);
    }
    InvalidateWindow(state->parent != nullptr ? state->parent : window);
    return wasVisible ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND window)
{
    if (FindWindowState(window) == nullptr)
        return FALSE;
    const HWND root = RootOf(window);
    const Window* rootState = FindWindowState(root);
    if (rootState != nullptr && rootState->needsPaint && IsShown(root))
        PaintSurface(root);
    return TRUE;
}

BOOL InvalidateRect(HWND window, const RECT*, BOOL)
{
    if (window == nullptr)
    {
        for (const HWND handle : Windows().Handles())
            InvalidateWindow(handle);
        return TRUE;
    }
    if (FindWindowState(window) == nullptr)
        return FALSE;
    InvalidateWindow(window);
    return TRUE;
}

BOOL DestroyWindow(HWND window)
{
    return DestroyWindowInternal(window) ? TRUE : FALSE;
}

BOOL IsWindow(HWND window)
{
    return FindWindowState(window) != nullptr ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND window)
{
    return IsShown(window) ? TRUE : FALSE;
}

BOOL EnableWindow(HWND window, BOOL enable)
{
    Window* state = FindWindowState(window);
    if (state == nullptr)
        return FALSE;
    const bool wasDisabled = (state->style & WS_DISABLED) != 0;
    if (enable != FALSE)
    {
        state->style &= ~static_cast<DWORD>(WS_DISABLED);
    }
    else
    {
        state->style |= WS_DISABLED;
        const HWND focus = FocusWindow();
        if (focus != nullptr && IsSelfOrAncestor(window, focus))
            ChangeFocus(nullptr);
        if (MouseCapture() != nullptr && IsSelfOrAncestor(window, MouseCapture()))
            ReleaseMouseCapture();
    }
    if (wasDisabled == (enable != FALSE))
        InvalidateWindow(window);
    return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND window)
{
    const Window* state = FindWindowState(window);
    return state != nullptr && (state->style & WS_DISABLED) == 0 ? TRUE : FALSE;
}

HWND GetParent(HWND window)
{
    const Window* state = FindWindowState(window);
    if (state == nullptr)
        return nullptr;
    if (state->parent != nullptr)
        return state->parent;
    return state->owner != nullptr ? state->owner : state->foreignParent;
}

BOOL GetClientRect(HWND window, LPRECT rect)
{
    const Window* state = FindWindowState(window);
    if (state == nullptr || rect == nullptr)
        return FALSE;
    *rect = RECT{0, 0, state->Width(), state->Height()};
    return TRUE;
}

int GetWindowTextA(HWND window, LPSTR buffer, int size)
{
    if (buffer == nullptr || size <= 0)
        return 0;
    buffer[0] = '\0';
    return static_cast<int>(
        Send(window, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}

HWND SetFocus(HWND window)
{
    if (window != nullptr && FindWindowState(window) == nullptr)
        return nullptr;
    return ChangeFocus(window);
}

HWND GetFocus()
{
    return FocusWindow();
}

HWND GetDlgItem(HWND dialog, int controlId)
{
    const Window* state = FindWindowState(dialog);
    if (state == nullptr)
        return nullptr;
    for (const HWND child : state->children)
    {
        const Window* childState = FindWindowState(child);
        if (childState != nullptr && childState->id == controlId)
            return child;
    }
    return nullptr;
}

int GetDlgCtrlID(HWND control)
{
    const Window* state = FindWindowState(control);
    return state != nullptr && state->parent != nullptr ? state->id : 0;
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init)
{
    return init != nullptr ? TRUE : FALSE;
}

#endif
