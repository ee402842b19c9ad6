#if !defined(_WIN32)

// The BUTTON class: push buttons, automatic check boxes and group boxes; and the STATIC class,
// left-aligned text.

#include "platform/Theme.h"
#include "platform/WindowSystem.h"

namespace Kestrune::Platform
{
namespace
{

struct ButtonExtra final : WindowExtra
{
    int check = BST_UNCHECKED;
    bool pushed = false;   // drawn held down
    bool tracking = false; // the mouse button went down on it
    bool spaceDown = false;
};

// 96-dpi metrics.
constexpr int kBoxSize = 13;
constexpr int kTextGap = 4;

DWORD TypeOf(const Window& window)
{
    return window.style & BS_TYPEMASK;
}

bool IsPush(DWORD type)
{
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

bool IsCheck(DWORD type)
{
    return type == BS_AUTOCHECKBOX;
}

ButtonExtra& ExtraFor(Window& window)
{
    return EnsureExtra<ButtonExtra>(window);
}

void Click(HWND handle)
{
    Window* window = FindWindowState(handle);
    if (window == nullptr)
        return;
    ButtonExtra& extra = ExtraFor(*window);
    const DWORD type = TypeOf(*window);
    if (type == BS_GROUPBOX)
        return;
    if (type == BS_AUTOCHECKBOX)
        extra.check = extra.check == BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED;
    InvalidateWindow(handle);
    NotifyParent(handle, BN_CLICKED);
}

void Draw(HWND handle, HDC dc, const Theme::Canvas& cr, Window& window)
{
    const ButtonExtra& extra = ExtraFor(window);
    const DWORD type = TypeOf(window);
    const int width = window.Width();
    const int height = window.Height();
    const bool focused = FocusWindow() == handle;
    const bool enabled = (window.style & WS_DISABLED) == 0;
    const Theme::Colour textColour = enabled ? Theme::kText : Theme::kGrayText;
    const HWND parent = window.parent;

    const int line = cr.Line();
    if (type == BS_GROUPBOX)
    {
        Send(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
             reinterpret_cast<LPARAM>(handle));
        const int lineHeight = cr.Px(Theme::kLineHeight);
        const int top = lineHeight / 2;
        Theme::DrawEdge(cr, 0, top, width, height - top, Theme::Edge::Etched);
        if (!window.text.empty())
        {
            const int textWidth = static_cast<int>(Theme::TextWidth(cr, window.text)) + cr.Px(4);
            Theme::Fill(cr, cr.Px(6), 0, textWidth, lineHeight, Theme::kFace);
            Theme::DrawText(cr, window.text, cr.Px(8), 0, textWidth, lineHeight, Theme::Align::Left,
                            textColour);
        }
    }
    else if (IsPush(type))
    {
        Send(parent, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
             reinterpret_cast<LPARAM>(handle));
        Theme::Fill(cr, 0, 0, width, height, Theme::kFace);
        int x = 0;
        int y = 0;
        int w = width;
        int h = height;
        if (type == BS_DEFPUSHBUTTON || focused)
        {
            Theme::Fill(cr, 0, 0, width, line, Theme::kText);
            Theme::Fill(cr, 0, height - line, width, line, Theme::kText);
            Theme::Fill(cr, 0, 0, line, height, Theme::kText);
            Theme::Fill(cr, width - line, 0, line, height, Theme::kText);
            x = y = line;
            w -= 2 * line;
            h -= 2 * line;
        }
        Theme::DrawEdge(cr, x, y, w, h, extra.pushed ? Theme::Edge::Pressed : Theme::Edge::Raised);
        const int shift = extra.pushed ? line : 0;
        Theme::DrawText(cr, window.text, x + shift, y + shift, w, h, Theme::Align::Centre,
                        textColour);
        if (focused)
        {
            const int inset = cr.Px(3);
            Theme::DrawFocusRect(cr, x + inset, y + inset, w - 2 * inset, h - 2 * inset);
        }
    }
    else
    {
        Send(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
             reinterpret_cast<LPARAM>(handle));
        Theme::Fill(cr, 0, 0, width, height, Theme::kFace);
        const int box = cr.Px(kBoxSize);
        const int boxY = (height - box) / 2;
        Theme::DrawEdge(cr, 0, boxY, box, box, Theme::Edge::Sunken);
        Theme::Fill(cr, 2 * line, boxY + 2 * line, box - 4 * line, box - 4 * line,
                    extra.pushed || !enabled ? Theme::kFace : Theme::kWindow);
        if (extra.check != BST_UNCHECKED)
        {
            const int tick = cr.Px(3);
            Theme::DrawCheckMark(cr, tick, boxY + tick, textColour);
        }
        const int textX = box + cr.Px(kTextGap);
        Theme::DrawText(cr, window.text, textX, 0, width - textX, height, Theme::Align::Left,
                        textColour);
        if (focused && !window.text.empty())
        {
            const int gap = cr.Px(2);
            const int textWidth = static_cast<int>(Theme::TextWidth(cr, window.text)) + 2 * gap;
            Theme::DrawFocusRect(cr, textX - gap, 0, std::min(textWidth, width - textX + gap),
                                 height);
        }
    }
}

bool Inside(const Window& window, LPARAM point)
{
    const auto x = static_cast<short>(LOWORD(point));
    const auto y = static_cast<short>(HIWORD(point));
    return x >= 0 && y >= 0 && x < window.Width() && y < window.Height();
}

} // namespace

LRESULT ButtonProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* window = FindWindowState(handle);
    if (window == nullptr)
        return 0;
    ButtonExtra& extra = ExtraFor(*window);
    const DWORD type = TypeOf(*window);
    switch (message)
    {
    case WM_NCHITTEST:
        return type == BS_GROUPBOX ? HTTRANSPARENT : HTCLIENT;
    case WM_GETDLGCODE:
        if (type == BS_GROUPBOX)
            return DLGC_STATIC;
        if (type == BS_DEFPUSHBUTTON)
            return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        if (IsPush(type))
            return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        return DLGC_BUTTON;
    case WM_LBUTTONDOWN:
        if (type == BS_GROUPBOX)
            return 0;
        ChangeFocus(handle);
        SetMouseCapture(handle);
        if (Window* again = FindWindowState(handle))
        {
            ExtraFor(*again).tracking = true;
            ExtraFor(*again).pushed = true;
            InvalidateWindow(handle);
        }
        return 0;
    case WM_MOUSEMOVE:
        if (extra.tracking && extra.pushed != Inside(*window, lParam))
        {
            extra.pushed = !extra.pushed;
            InvalidateWindow(handle);
        }
        return 0;
    case WM_LBUTTONUP:
        if (extra.tracking)
        {
            const bool clicked = extra.pushed && Inside(*window, lParam);
            extra.tracking = false;
            extra.pushed = false;
            ReleaseMouseCapture();
            InvalidateWindow(handle);
            if (clicked)
                Click(handle);
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != handle && extra.tracking)
        {
            extra.tracking = false;
            extra.pushed = false;
            InvalidateWindow(handle);
        }
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE && type != BS_GROUPBOX)
        {
            extra.spaceDown = true;
            extra.pushed = true;
            InvalidateWindow(handle);
        }
        return 0;
    case WM_KEYUP:
        if (wParam == VK_SPACE && extra.spaceDown)
        {
            extra.spaceDown = false;
            extra.pushed = false;
            Click(handle);
        }
        return 0;
    case WM_KILLFOCUS:
        extra.spaceDown = false;
        if (!extra.tracking)
            extra.pushed = false;
        InvalidateWindow(handle);
        return 0;
    case BM_CLICK:
        Click(handle);
        return 0;
    case BM_GETCHECK:
        return IsCheck(type) ? extra.check : BST_UNCHECKED;
    case BM_SETCHECK:
        // Never notifies: only the user's click does.
        if (IsCheck(type))
        {
            extra.check = wParam == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED;
            InvalidateWindow(handle);
        }
        return 0;
    default:
        return ControlDefault(handle, message, wParam, lParam, &Draw);
    }
}

namespace
{
void DrawStatic(HWND handle, HDC dc, const Theme::Canvas& cr, Window& window)
{
    Send(window.parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
         reinterpret_cast<LPARAM>(handle));
    Theme::Fill(cr, 0, 0, window.Width(), window.Height(), Theme::kFace);
    Theme::DrawText(cr, window.text, 0, 0, window.Width(),
                    std::min(window.Height(), cr.Px(Theme::kLineHeight)), Theme::Align::Left,
                    (window.style & WS_DISABLED) != 0 ? Theme::kGrayText : Theme::kText);
}
} // namespace

LRESULT StaticProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    default:
        return ControlDefault(handle, message, wParam, lParam, &DrawStatic);
    }
}

} // namespace Kestrune::Platform

#endif
