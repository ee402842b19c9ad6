#if !defined(_WIN32)

#include "platform/Headless.h"

#include "platform/HeadlessBackend.h"
#include "platform/WindowSystem.h"

#include <utility>

namespace Kestrune::Platform::Headless
{
namespace
{

HeadlessBackend* Backend()
{
    return dynamic_cast<HeadlessBackend*>(&CurrentBackend());
}

void Inject(HeadlessBackend::Event event)
{
    if (HeadlessBackend* backend = Backend())
        backend->Inject(std::move(event));
}

// Where a point of a window lies on its surface, resolved when the event is handled.
struct Target
{
    HWND window = nullptr; // null: the active window
    int controlId = 0;
    bool byControl = false;
    bool centre = false;
    int x = 0;
    int y = 0;

    HWND Resolve(POINT& point) const
    {
        HWND base = window != nullptr ? window : ActiveSurface();
        if (byControl)
        {
            const HWND control = GetDlgItem(base, controlId);
            base = control != nullptr ? control : FindDescendant(base, controlId);
        }
        if (base == nullptr)
            return nullptr;
        point = POINT{x, y};
        if (centre)
        {
            RECT client{};
            GetClientRect(base, &client);
            point = POINT{client.right / 2, client.bottom / 2};
        }
        return ClientToSurface(base, point);
    }
};

void InjectButton(Target target, MouseButton button, bool pressed)
{
    Inject(
        [target, button, pressed](InputSink& sink)
        {
            POINT point{};
            if (const HWND surface = target.Resolve(point))
                sink.MouseButtonEvent(surface, button, pressed, point.x, point.y);
        });
}

void InjectMove(Target target)
{
    Inject(
        [target](InputSink& sink)
        {
            POINT point{};
            if (const HWND surface = target.Resolve(point))
                sink.MouseMoveEvent(surface, point.x, point.y);
        });
}

unsigned CharacterOf(UINT virtualKey)
{
    switch (virtualKey)
    {
    case VK_RETURN:
        return '\r';
    case VK_ESCAPE:
        return 0x1B;
    case VK_TAB:
        return '\t';
    case VK_SPACE:
        return ' ';
    case VK_BACK:
        return '\b';
    default:
        return 0;
    }
}

} // namespace

bool IsActive()
{
    return Backend() != nullptr;
}

void MouseDown(HWND window, int x, int y, MouseButton button)
{
    InjectButton(Target{window, 0, false, false, x, y}, button, true);
}

void MouseUp(HWND window, int x, int y, MouseButton button)
{
    InjectButton(Target{window, 0, false, false, x, y}, button, false);
}

void MouseMove(HWND window, int x, int y)
{
    InjectMove(Target{window, 0, false, false, x, y});
}

void Click(HWND window, int x, int y, MouseButton button)
{
    MouseDown(window, x, y, button);
    MouseUp(window, x, y, button);
}

void ClickItem(HWND dialog, int controlId)
{
    const Target target{dialog, controlId, true, true, 0, 0};
    InjectButton(target, MouseButton::Left, true);
    InjectButton(target, MouseButton::Left, false);
}

void ClickScreen(int x, int y)
{
    for (const bool pressed : {true, false})
    {
        Inject(
            [x, y, pressed](InputSink& sink)
            {
                POINT point{};
                if (const HWND surface = SurfaceAt(x, y, point))
                    sink.MouseButtonEvent(surface, MouseButton::Left, pressed, point.x, point.y);
            });
    }
}

void Drag(HWND window, int fromX, int fromY, int toX, int toY, int steps)
{
    MouseDown(window, fromX, fromY);
    steps = steps < 1 ? 1 : steps;
    for (int step = 1; step <= steps; ++step)
    {
        MouseMove(window, fromX + (toX - fromX) * step / steps,
                  fromY + (toY - fromY) * step / steps);
    }
    MouseUp(window, toX, toY);
}

void KeyDown(UINT virtualKey)
{
    Inject([virtualKey](InputSink& sink) { sink.KeyEvent(nullptr, virtualKey, true); });
}

void KeyUp(UINT virtualKey)
{
    Inject([virtualKey](InputSink& sink) { sink.KeyEvent(nullptr, virtualKey, false); });
}

void PressKey(UINT virtualKey, bool shift)
{
    if (shift)
        KeyDown(VK_SHIFT);
    KeyDown(virtualKey);
    if (const unsigned character = CharacterOf(virtualKey))
        Inject([character](InputSink& sink) { sink.CharEvent(nullptr, character); });
    KeyUp(virtualKey);
    if (shift)
        KeyUp(VK_SHIFT);
}

void TypeText(std::string_view text)
{
    for (const char c : text)
    {
        const auto character = static_cast<unsigned char>(c);
        Inject([character](InputSink& sink) { sink.CharEvent(nullptr, character); });
    }
}

void SetModalIdleLimit(int milliseconds)
{
    if (HeadlessBackend* backend = Backend())
        backend->SetModalIdleLimit(milliseconds);
}

std::size_t PendingEvents()
{
    HeadlessBackend* backend = Backend();
    return backend != nullptr ? backend->PendingEvents() : 0;
}

void DiscardPendingEvents()
{
    if (HeadlessBackend* backend = Backend())
        backend->DiscardPendingEvents();
}

HWND CreateHostWindow(int width, int height)
{
    CreateParameters parameters;
    parameters.className = kHostWindowClass;
    parameters.text = "Host";
    parameters.style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    parameters.width = width;
    parameters.height = height;
    return CreateWindowInternal(std::move(parameters));
}

HWND ActiveWindow()
{
    return ActiveSurface();
}

bool WriteScreenshot(HWND window, const std::string& path)
{
    RECT client{};
    if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0)
        return false;
    cairo_surface_t* image =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, client.right, client.bottom);
    cairo_t* cr = cairo_create(image);
    RenderWindow(window, cr);
    cairo_destroy(cr);
    const bool written = cairo_surface_write_to_png(image, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(image);
    return written;
}

cairo_surface_t* SurfaceImage(HWND root)
{
    HeadlessBackend* backend = Backend();
    return backend != nullptr ? backend->SurfaceImage(root) : nullptr;
}

} // namespace Kestrune::Platform::Headless

#endif
