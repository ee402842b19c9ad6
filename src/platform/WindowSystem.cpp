#if !defined(_WIN32)

#include "platform/WindowSystem.h"

#include "base/Text.h"

#include "platform/HeadlessBackend.h"
#include "platform/MessagePump.h"
#include "platform/NativeBackend.h"
#include "platform/PostedMessageQueue.h"
#include "platform/Theme.h"
#include "platform/WindowTable.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>
#include <vector>

namespace Kestrune::Platform
{

using Base::EqualsNoCase;
namespace
{

struct WindowClass
{
    std::string_view name;
    WNDPROC procedure;
};

const std::array<WindowClass, 8> kClasses = {{
    {kDialogClass, &DialogProcedure},
    {"BUTTON", &ButtonProcedure},
    {"STATIC", &StaticProcedure},
    {"COMBOBOX", &ComboBoxProcedure},
    {kComboListClass, &ComboListProcedure},
    {TRACKBAR_CLASSA, &TrackbarProcedure},
    {STATUSCLASSNAMEA, &StatusProcedure},
    {kHostWindowClass, &HostWindowProcedure},
}};

struct State
{
    std::unique_ptr<Backend> backend; // roots neither embedded nor owned
    std::unique_ptr<Backend> native;  // panels embedded in a host's native window
    bool nativeCreated = false;
    // Destroyed windows stay allocated until no message is being handled, so a procedure that
    // destroys its own window returns through valid memory.
    std::vector<std::unique_ptr<Window>> graveyard;
    int depth = 0;
    HWND focus = nullptr;
    HWND capture = nullptr;
    std::vector<HWND> activation; // roots in activation order, the active one last
};

State& TheState()
{
    static State state;
    return state;
}

const WindowClass* FindClass(std::string_view name)
{
    for (const WindowClass& windowClass : kClasses)
        if (EqualsNoCase(windowClass.name, name))
            return &windowClass;
    return nullptr;
}

void ReleaseGraveyard()
{
    State& state = TheState();
    if (state.depth == 0)
        state.graveyard.clear();
}

void RemoveFromActivation(HWND window)
{
    auto& order = TheState().activation;
    order.erase(std::remove(order.begin(), order.end(), window), order.end());
}

void DestroyTree(HWND handle)
{
    Window* window = FindWindowState(handle);
    if (window == nullptr || window->destroying)
        return;
    window->destroying = true;
    State& state = TheState();

    // Owned pop-ups go first (a drop-down list of a control inside this window).
    for (const HWND other : Windows().Handles())
    {
        const Window* candidate = FindWindowState(other);
        if (candidate != nullptr && candidate->owner != nullptr &&
            IsSelfOrAncestor(handle, candidate->owner))
            DestroyTree(other);
    }
    if (state.capture != nullptr && IsSelfOrAncestor(handle, state.capture))
        state.capture = nullptr;
    if (state.focus != nullptr && IsSelfOrAncestor(handle, state.focus))
        state.focus = nullptr;

    Send(handle, WM_DESTROY, 0, 0);
    window = FindWindowState(handle);
    if (window == nullptr)
        return;
    const std::vector<HWND> children = window->children;
    for (const HWND child : children)
        DestroyTree(child);
    Send(handle, WM_NCDESTROY, 0, 0);

    window = FindWindowState(handle);
    if (window == nullptr)
        return;
    if (Window* parent = FindWindowState(window->parent))
    {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), handle), siblings.end());
        InvalidateWindow(parent->handle);
    }
    if (window->hasSurface && window->backend != nullptr)
        window->backend->DestroySurface(handle);
    RemoveFromActivation(handle);
    state.graveyard.push_back(Windows().Remove(handle));
}

Backend* NativeBackend()
{
    State& state = TheState();
    if (!state.nativeCreated)
    {
        state.nativeCreated = true;
        state.native = CreateNativeBackend();
    }
    return state.native.get();
}

// Embedded panels go to the native backend, owned windows to their owner's.
Backend& BackendFor(const SurfaceDescription& surface)
{
    Backend* backend = nullptr;
    if (surface.kind == SurfaceKind::Embedded)
        backend = NativeBackend();
    else if (const Window* owner = FindWindowState(surface.owner))
        backend = FindWindowState(RootOf(owner->handle))->backend;
    return backend != nullptr ? *backend : CurrentBackend();
}

} // namespace

Backend& CurrentBackend()
{
    State& state = TheState();
    if (!state.backend)
        state.backend = std::make_unique<HeadlessBackend>();
    return *state.backend;
}

Backend* BackendOf(HWND window)
{
    const Window* root = FindWindowState(RootOf(window));
    return root != nullptr ? root->backend : nullptr;
}

Window* FindWindowState(HWND window)
{
    return Windows().Find(window);
}

HWND CreateWindowInternal(CreateParameters parameters)
{
    const WindowClass* windowClass = FindClass(parameters.className);
    if (windowClass == nullptr)
        return nullptr;
    auto window = std::make_unique<Window>();
    window->className = std::string(windowClass->name);
    window->procedure = windowClass->procedure;
    window->text = std::string(parameters.text);
    window->style = parameters.style;
    window->id = parameters.id;
    window->instance = parameters.instance;
    window->extra = std::move(parameters.extra);
    window->scale = parameters.scale;
    if (window->scale <= 0.0)
    {
        const Window* above = FindWindowState(parameters.parent);
        window->scale = above != nullptr ? above->scale : 1.0;
    }
    window->rect = {parameters.x, parameters.y, parameters.x + std::max(parameters.width, 0),
                    parameters.y + std::max(parameters.height, 0)};

    SurfaceDescription surface;
    const bool child = (parameters.style & WS_CHILD) != 0 && (parameters.style & WS_POPUP) == 0;
    if (child && FindWindowState(parameters.parent) != nullptr)
    {
        window->parent = parameters.parent;
    }
    else if (child)
    {
        window->foreignParent = parameters.parent;
        surface.kind = parameters.parent != nullptr ? SurfaceKind::Embedded : SurfaceKind::TopLevel;
        surface.nativeParent = reinterpret_cast<std::uintptr_t>(parameters.parent);
    }
    else
    {
        window->owner = RootOf(parameters.parent);
        surface.kind = (parameters.style & WS_CAPTION) == WS_CAPTION || window->owner == nullptr
                           ? SurfaceKind::TopLevel
                           : SurfaceKind::Popup;
        surface.owner = window->owner;
    }

    const HWND handle = Windows().Add(std::move(window));
    if (handle == nullptr)
        return nullptr;
    Window* created = FindWindowState(handle);
    if (Window* parent = FindWindowState(created->parent))
    {
        parent->children.push_back(handle);
    }
    else
    {
        surface.window = handle;
        surface.x = created->rect.left;
        surface.y = created->rect.top;
        surface.width = created->Width();
        surface.height = created->Height();
        surface.title = created->text.c_str();
        Backend& backend = BackendFor(surface);
        if (!backend.CreateSurface(surface))
        {
            DestroyTree(handle);
            ReleaseGraveyard();
            return nullptr;
        }
        created = FindWindowState(handle);
        created->hasSurface = true;
        created->backend = &backend;
    }

    if (Send(handle, WM_CREATE, 0, 0) == -1)
    {
        DestroyTree(handle);
        ReleaseGraveyard();
        return nullptr;
    }
    created = FindWindowState(handle);
    if (created == nullptr)
        return nullptr;
    if ((created->style & WS_VISIBLE) != 0)
    {
        if (created->hasSurface)
        {
            created->backend->ShowSurface(handle, true);
            if (surface.kind != SurfaceKind::Popup)
                Activate(handle);
        }
        InvalidateWindow(handle);
    }
    return handle;
}

bool DestroyWindowInternal(HWND window)
{
    if (FindWindowState(window) == nullptr)
        return false;
    DestroyTree(window);
    ReleaseGraveyard();
    return true;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const Window* state = FindWindowState(window);
    if (state == nullptr || state->procedure == nullptr)
        return 0;
    const WNDPROC procedure = state->procedure;
    State& global = TheState();
    ++global.depth;
    const LRESULT result = procedure(window, message, wParam, lParam);
    --global.depth;
    ReleaseGraveyard();
    return result;
}

void NotifyParent(HWND control, WORD code)
{
    const Window* state = FindWindowState(control);
    if (state == nullptr)
        return;
    const HWND parent = state->parent != nullptr ? state->parent : state->owner;
    Send(parent, WM_COMMAND, MAKEWPARAM(state->id, code), reinterpret_cast<LPARAM>(control));
}

LRESULT DefaultWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* state = FindWindowState(window);
    if (state == nullptr)
        return 0;
    switch (message)
    {
    case WM_GETTEXT:
    {
        auto* buffer = reinterpret_cast<char*>(lParam);
        if (buffer == nullptr || wParam == 0)
            return 0;
        const std::size_t count = std::min<std::size_t>(state->text.size(), wParam - 1);
        std::copy_n(state->text.data(), count, buffer);
        buffer[count] = '\0';
        return static_cast<LRESULT>(count);
    }
    case WM_NCHITTEST:
        return HTCLIENT;
    case WM_CLOSE:
        DestroyWindowInternal(window);
        return 0;
    case WM_MOUSEWHEEL:
        // A wheel turn that a child leaves alone goes up to its parent, as on Windows.
        return (state->style & WS_CHILD) != 0 ? Send(state->parent, message, wParam, lParam) : 0;
    default:
        return 0;
    }
}

HWND RootOf(HWND window)
{
    const Window* state = FindWindowState(window);
    while (state != nullptr && state->parent != nullptr)
        state = FindWindowState(state->parent);
    return state != nullptr ? state->handle : nullptr;
}

bool IsSelfOrAncestor(HWND ancestor, HWND window)
{
    const Window* state = FindWindowState(window);
    while (state != nullptr)
    {
        if (state->handle == ancestor)
            return true;
        state = FindWindowState(state->parent);
    }
    return false;
}

bool IsShown(HWND window)
{
    const Window* state = FindWindowState(window);
    if (state == nullptr)
        return false;
    for (; state != nullptr; state = FindWindowState(state->parent))
        if ((state->style & WS_VISIBLE) == 0)
            return false;
    return true;
}

bool IsUsable(HWND window)
{
    const Window* state = FindWindowState(window);
    if (state == nullptr)
        return false;
    for (; state != nullptr; state = FindWindowState(state->parent))
        if ((state->style & WS_DISABLED) != 0)
            return false;
    return true;
}

POINT ScreenOriginOf(HWND window)
{
    POINT origin{0, 0};
    for (const Window* state = FindWindowState(window); state != nullptr;
         state = FindWindowState(state->parent))
    {
        origin.x += state->rect.left;
        origin.y += state->rect.top;
    }
    return origin;
}

HWND FindDescendant(HWND window, int id)
{
    const Window* state = FindWindowState(window);
    if (state == nullptr)
        return nullptr;
    for (const HWND child : state->children)
    {
        const Window* childState = FindWindowState(child);
        if (childState != nullptr && childState->id == id)
            return child;
    }
    for (const HWND child : state->children)
        if (const HWND found = FindDescendant(child, id))
            return found;
    return nullptr;
}

HWND DialogOf(HWND window)
{
    for (const Window* state = FindWindowState(window); state != nullptr;
         state = FindWindowState(state->parent))
        if (state->className == kDialogClass)
            return state->handle;
    return nullptr;
}

void InvalidateWindow(HWND window)
{
    if (Window* root = FindWindowState(RootOf(window)))
        root->needsPaint = true;
}

void PaintPendingSurfaces()
{
    for (const HWND handle : Windows().Handles())
    {
        const Window* window = FindWindowState(handle);
        if (window != nullptr && window->hasSurface && window->needsPaint && IsShown(handle))
            PaintSurface(handle);
    }
}

void SetMouseCapture(HWND window)
{
    State& state = TheState();
    const HWND previous = state.capture;
    state.capture = FindWindowState(window) != nullptr ? window : nullptr;
    if (previous != nullptr && previous != state.capture)
        Send(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(state.capture));
}

void ReleaseMouseCapture()
{
    SetMouseCapture(nullptr);
}

HWND MouseCapture()
{
    State& state = TheState();
    if (state.capture != nullptr && FindWindowState(state.capture) == nullptr)
        state.capture = nullptr;
    return state.capture;
}

HWND FocusWindow()
{
    State& state = TheState();
    if (state.focus != nullptr && FindWindowState(state.focus) == nullptr)
        state.focus = nullptr;
    return state.focus;
}

HWND ChangeFocus(HWND window)
{
    State& state = TheState();
    const HWND previous = FocusWindow();
    if (window != nullptr && FindWindowState(window) == nullptr)
        return nullptr;
    if (window == previous)
        return previous;
    state.focus = window;
    if (previous != nullptr)
    {
        Send(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
        InvalidateWindow(previous);
    }
    if (window != nullptr && state.focus == window)
    {
        Send(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
        InvalidateWindow(window);
    }
    return previous;
}

void Activate(HWND root)
{
    if (FindWindowState(root) == nullptr)
        return;
    RemoveFromActivation(root);
    TheState().activation.push_back(root);
}

bool SurfaceTakesInput(HWND window)
{
    return IsUsable(window);
}

HWND ActiveSurface()
{
    auto& order = TheState().activation;
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        if (IsShown(*it))
            return *it;
    return nullptr;
}

HWND ClientToSurface(HWND window, POINT& point)
{
    if (FindWindowState(window) == nullptr)
        return nullptr;
    const HWND root = RootOf(window);
    const POINT origin = ScreenOriginOf(window);
    const POINT rootOrigin = ScreenOriginOf(root);
    point.x += origin.x - rootOrigin.x;
    point.y += origin.y - rootOrigin.y;
    return root;
}

HWND SurfaceAt(int screenX, int screenY, POINT& point)
{
    // Pop-ups (drop-down lists) lie above everything, then the roots from the active one down.
    std::vector<HWND> order;
    for (const HWND handle : Windows().Handles())
    {
        const Window* window = FindWindowState(handle);
        if (window != nullptr && window->hasSurface && window->owner != nullptr &&
            (window->style & WS_CAPTION) != WS_CAPTION)
            order.push_back(handle);
    }
    const auto& activation = TheState().activation;
    order.insert(order.end(), activation.rbegin(), activation.rend());
    // Screen coordinates are the current backend's; native surfaces lie elsewhere.
    const Backend* current = &CurrentBackend();
    for (const HWND handle : order)
    {
        const Window* window = FindWindowState(handle);
        if (window == nullptr || !IsShown(handle) || window->backend != current)
            continue;
        const RECT& rect = window->rect;
        if (screenX >= rect.left && screenX < rect.right && screenY >= rect.top &&
            screenY < rect.bottom)
        {
            point = POINT{screenX - rect.left, screenY - rect.top};
            return handle;
        }
    }
    return nullptr;
}

LRESULT ControlDefault(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DrawProcedure draw)
{
    switch (message)
    {
    case WM_ERASEBKGND:
        return TRUE;
    case WM_PAINT:
    {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        Window* state = FindWindowState(window);
        const Theme::Canvas cr = Theme::ContextOf(dc);
        if (state != nullptr && cr)
            draw(window, dc, cr, *state);
        EndPaint(window, &paint);
        return 0;
    }
    default:
        return DefaultWindowProcedure(window, message, wParam, lParam);
    }
}

int PumpInput()
{
    State& state = TheState();
    int events = CurrentBackend().PumpEvents(WindowSystemInput());
    if (state.native)
        events += state.native->PumpEvents(WindowSystemInput());
    return events;
}

void DispatchPosted()
{
    SendDueTimers();
    // Only what was queued before this round: a handler that posts again runs next round.
    PostedMessageQueue& queue = PostedMessages();
    std::size_t budget = queue.ApproximateSize();
    PostedMessage message;
    while (budget-- > 0 && queue.Pop(message))
        if (Windows().IsLive(message.window))
            Send(message.window, message.message, message.wParam, message.lParam);
    PaintPendingSurfaces();
    ReleaseGraveyard();
}

int PumpOnce()
{
    const int events = PumpInput();
    DispatchPosted();
    return events;
}

void PumpMessages()
{
    PumpOnce();
}

} // namespace Kestrune::Platform

#endif
