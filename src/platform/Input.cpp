#if !defined(_WIN32)

// Turns backend input into window messages: mouse hit-testing and capture, keyboard focus, and
// the dialog keys (Tab, Enter, Escape) that a dialog handles for its controls.

#include "platform/WindowSystem.h"

#include <iterator>
#include <map>
#include <set>
#include <vector>

namespace Kestrune::Platform
{
namespace
{

bool Contains(const RECT& rect, POINT point)
{
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
           point.y < rect.bottom;
}

// The deepest visible window under a point of `window`'s client area; statics and group boxes
// are transparent, so the point falls through to what lies below them.
HWND HitTest(HWND window, POINT point, POINT& local)
{
    const Window* state = FindWindowState(window);
    if (state == nullptr)
        return nullptr;
    const std::vector<HWND> children = state->children;
    for (const HWND child : children)
    {
        const Window* childState = FindWindowState(child);
        if (childState == nullptr || (childState->style & WS_VISIBLE) == 0 ||
            !Contains(childState->rect, point))
            continue;
        if (Send(child, WM_NCHITTEST, 0, 0) == HTTRANSPARENT)
            continue;
        const POINT inner{point.x - childState->rect.left, point.y - childState->rect.top};
        return HitTest(child, inner, local);
    }
    local = point;
    return window;
}

HWND NextTabStop(HWND dialog, HWND current, bool backwards)
{
    const Window* state = FindWindowState(dialog);
    if (state == nullptr)
        return nullptr;
    const std::vector<HWND>& children = state->children;
    const auto count = static_cast<int>(children.size());
    int start = -1;
    for (int i = 0; i < count; ++i)
        if (IsSelfOrAncestor(children[static_cast<std::size_t>(i)], current))
            start = i;
    for (int step = 1; step <= count; ++step)
    {
        int index = 0;
        if (start < 0)
            index = backwards ? count - step : step - 1;
        else
            index = ((start + (backwards ? -step : step)) % count + count) % count;
        const HWND candidate = children[static_cast<std::size_t>(index)];
        const Window* candidateState = FindWindowState(candidate);
        if (candidateState != nullptr && (candidateState->style & WS_TABSTOP) != 0 &&
            (candidateState->style & WS_VISIBLE) != 0 && (candidateState->style & WS_DISABLED) == 0)
            return candidate;
    }
    return nullptr;
}

class Input final : public InputSink
{
public:
    void MouseButtonEvent(HWND surface, MouseButton button, bool pressed, int x, int y) override
    {
        UINT message = 0;
        switch (button)
        {
        case MouseButton::Left:
            leftDown = pressed;
            message = pressed ? WM_LBUTTONDOWN : WM_LBUTTONUP;
            break;
        case MouseButton::Right:
            rightDown = pressed;
            message = pressed ? WM_RBUTTONDOWN : WM_RBUTTONUP;
            break;
        case MouseButton::Middle:
            middleDown = pressed;
            message = pressed ? WM_MBUTTONDOWN : WM_MBUTTONUP;
            break;
        }
        DeliverMouse(surface, message, x, y);
    }

    void MouseMoveEvent(HWND surface, int x, int y) override
    {
        DeliverMouse(surface, WM_MOUSEMOVE, x, y);
    }

    // To the window under the pointer (or the one holding the mouse), which passes it on to its
    // parent when it has no use for it.
    void MouseWheelEvent(HWND surface, int delta, int x, int y) override
    {
        const POINT screen = ScreenOriginOf(surface);
        DeliverMouse(surface, WM_MOUSEWHEEL, x, y, static_cast<WORD>(static_cast<short>(delta)),
                     MAKELPARAM(screen.x + x, screen.y + y));
    }

    void KeyEvent(HWND surface, UINT virtualKey, bool pressed) override
    {
        if (virtualKey == VK_SHIFT)
            shiftDown = pressed;
        const HWND target = KeyboardTarget(surface);
        if (target == nullptr)
            return;
        if (!pressed && swallowedKeys.erase(virtualKey) != 0)
            return;
        if (pressed && HandleDialogKey(target, virtualKey))
            return;
        suppressChar = false;
        const LPARAM flags = pressed ? 1 : static_cast<LPARAM>(0xC0000001u);
        Send(target, pressed ? WM_KEYDOWN : WM_KEYUP, virtualKey, flags);
    }

    void CharEvent(HWND surface, unsigned character) override
    {
        if (suppressChar)
        {
            suppressChar = false;
            return;
        }
        if (const HWND target = KeyboardTarget(surface))
            Send(target, WM_CHAR, character, 1);
    }

    void ExposeEvent(HWND surface) override { InvalidateWindow(surface); }

    void CloseEvent(HWND surface) override
    {
        if (IsUsable(surface))
            Send(surface, WM_CLOSE, 0, 0);
    }

    // Like a Windows top-level being activated and deactivated: the surface's focused control
    // loses the focus with the display's and gets it back on return.
    void FocusEvent(HWND surface, bool focused) override
    {
        if (FindWindowState(surface) == nullptr)
            return;
        for (auto it = savedFocus.begin(); it != savedFocus.end();)
            it = FindWindowState(it->first) == nullptr ? savedFocus.erase(it) : std::next(it);
        const HWND focus = FocusWindow();
        if (focused)
        {
            Activate(surface);
            const auto saved = savedFocus.find(surface);
            if (saved != savedFocus.end())
            {
                const HWND control = saved->second;
                savedFocus.erase(saved);
                if (focus == nullptr && RootOf(control) == surface && IsUsable(control))
                    ChangeFocus(control);
            }
            return;
        }
        if (focus != nullptr && RootOf(focus) == surface)
        {
            savedFocus[surface] = focus;
            ChangeFocus(nullptr);
        }
    }

    bool InputPaused() const override { return ModalLoopEnding(); }

private:
    // The wheel's message carries its delta in the high word of wParam and the screen position
    // in lParam; the others carry nothing more and the position in the target.
    void DeliverMouse(HWND surface, UINT message, int x, int y, WORD wheel = 0, LPARAM screen = 0)
    {
        HWND target = MouseCapture();
        POINT local{x, y};
        if (target != nullptr)
        {
            const POINT surfaceOrigin = ScreenOriginOf(surface);
            const POINT targetOrigin = ScreenOriginOf(target);
            local = {surfaceOrigin.x + x - targetOrigin.x, surfaceOrigin.y + y - targetOrigin.y};
        }
        else
        {
            if (FindWindowState(surface) == nullptr)
                return;
            target = HitTest(surface, POINT{x, y}, local);
            if (target == nullptr || !IsUsable(target))
                return;
        }
        WPARAM keys = 0;
        keys |= leftDown ? MK_LBUTTON : 0;
        keys |= rightDown ? MK_RBUTTON : 0;
        keys |= middleDown ? MK_MBUTTON : 0;
        keys |= shiftDown ? MK_SHIFT : 0;
        const bool isWheel = message == WM_MOUSEWHEEL;
        Send(target, message, isWheel ? MAKEWPARAM(keys, wheel) : keys,
             isWheel ? screen : MAKELPARAM(local.x, local.y));
    }

    // A key that arrived on a usable surface stays with it: the focused control when that lies
    // in the surface (or in the window owning a pop-up surface), else the surface itself. A
    // surface disabled by a modal box, or no surface: the focus, else the active window.
    static HWND KeyboardTarget(HWND surface)
    {
        HWND target = FocusWindow();
        const Window* state = FindWindowState(surface);
        if (state != nullptr && IsUsable(surface))
        {
            const HWND focusRoot = RootOf(target);
            if (focusRoot == nullptr ||
                (focusRoot != surface && (state->owner == nullptr || state->owner != focusRoot)))
                target = surface;
        }
        if (target == nullptr || !IsUsable(target))
            target = surface == nullptr ? ActiveSurface() : nullptr;
        return target != nullptr && IsUsable(target) ? target : nullptr;
    }

    // Tab, Enter and Escape as a dialog handles them for the control with the focus.
    bool HandleDialogKey(HWND target, UINT key)
    {
        if (key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE)
            return false;
        const HWND dialog = DialogOf(target);
        if (dialog == nullptr)
            return false;
        const LRESULT code = target != dialog ? Send(target, WM_GETDLGCODE, key, 0) : 0;
        if ((code & DLGC_WANTALLKEYS) != 0)
            return false;
        // Marked before acting: the action may run a modal loop that reads the rest of this
        // key press.
        swallowedKeys.insert(key);
        suppressChar = true;
        if (key == VK_TAB)
        {
            if (const HWND next = NextTabStop(dialog, target, shiftDown))
                ChangeFocus(next);
            return true;
        }
        if (key == VK_RETURN && (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0)
        {
            Send(target, BM_CLICK, 0, 0);
            return true;
        }
        int id = IDCANCEL;
        if (key == VK_RETURN)
        {
            const LRESULT defaultId = Send(dialog, DM_GETDEFID, 0, 0);
            id = HIWORD(defaultId) == DC_HASDEFID ? LOWORD(defaultId) : IDOK;
        }
        const HWND control = GetDlgItem(dialog, id);
        if (control != nullptr && !IsUsable(control))
            return true;
        Send(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
        return true;
    }

    bool leftDown = false;
    bool rightDown = false;
    bool middleDown = false;
    bool shiftDown = false;
    bool suppressChar = false;
    std::set<UINT> swallowedKeys;
    std::map<HWND, HWND> savedFocus; // surface -> its control that had the focus
};

Input& TheInput()
{
    static Input input;
    return input;
}

} // namespace

InputSink& WindowSystemInput()
{
    return TheInput();
}

} // namespace Kestrune::Platform

#endif
