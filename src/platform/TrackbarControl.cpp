#if !defined(_WIN32)

// The trackbar class (msctls_trackbar32), horizontal, with the range and steps Windows gives it
// (0 to 100, a line of 1, a page of 20), which the editor keeps; notifications as WM_HSCROLL to
// the parent, the position in the high word for TB_THUMBTRACK and TB_THUMBPOSITION only, as
// Windows does. A button held on the track pages again and again towards the pointer until the
// thumb reaches it; a wheel notch moves one line, away from the user towards the minimum, as the
// Up key does.

#include "platform/DialogUnits.h"
#include "platform/Theme.h"
#include "platform/WindowSystem.h"

#include <algorithm>

namespace Kestrune::Platform
{
namespace
{

// 96-dpi metrics.
constexpr int kThumbWidth = 11; // along the channel
constexpr int kMargin = 8;      // from each end of the control to the extreme thumb centre
constexpr int kMaxThumbLength = 21;
constexpr int kChannelBreadth = 4;
// Paging while the button is held on the track: the first repeat, then the rate.
constexpr UINT_PTR kPageTimer = 1;
constexpr int kFirstRepeatMs = 400;
constexpr int kRepeatMs = 100;

struct TrackbarExtra final : WindowExtra
{
    static constexpr int minimum = 0;
    static constexpr int maximum = 100;
    static constexpr int lineSize = 1;
    static constexpr int pageSize = 20;
    int position = 0;
    bool dragging = false;
    bool paging = false;
    int pageDirection = 0; // -1 towards the minimum, 1 towards the maximum
    int pointer = 0;       // along the channel, while paging
    int dragOffset = 0;
    int wheel = 0; // turned but less than a notch
};

TrackbarExtra& ExtraFor(Window& window)
{
    return EnsureExtra<TrackbarExtra>(window);
}

int Clamp(int value)
{
    return std::clamp(value, TrackbarExtra::minimum, TrackbarExtra::maximum);
}

int Margin(const Window& window)
{
    return window.Scaled(kMargin);
}

int Span(const Window& window)
{
    return std::max(0, window.Width() - 2 * Margin(window));
}

int ThumbCentre(const Window& window, const TrackbarExtra& extra)
{
    const int range = extra.maximum - extra.minimum;
    return Margin(window) + RoundedMulDiv(extra.position - extra.minimum, Span(window), range);
}

int PositionAt(const Window& window, const TrackbarExtra& extra, int pixel)
{
    const int span = Span(window);
    if (span <= 0)
        return extra.minimum;
    const int along = std::clamp(pixel - Margin(window), 0, span);
    return Clamp(extra.minimum + RoundedMulDiv(along, extra.maximum - extra.minimum, span));
}

RECT ThumbRect(const Window& window, const TrackbarExtra& extra)
{
    const int centre = ThumbCentre(window, extra);
    const int breadth = window.Height();
    const int thumbLength =
        std::min(std::max(breadth - window.Scaled(4), 0), window.Scaled(kMaxThumbLength));
    const int top = (breadth - thumbLength) / 2;
    const int thumbWidth = window.Scaled(kThumbWidth);
    const int start = centre - thumbWidth / 2;
    return RECT{start, top, start + thumbWidth, top + thumbLength};
}

// The channel reaches one design pixel beyond the thumb at either end.
RECT ChannelRect(const Window& window)
{
    const int start = Margin(window) - window.Scaled(kThumbWidth) / 2 - window.Scaled(1);
    const int end = window.Width() - start;
    const int channel = window.Scaled(kChannelBreadth);
    const int top = window.Height() / 2 - channel / 2;
    return RECT{start, top, end, top + channel};
}

void Notify(HWND handle, int code)
{
    Window* window = FindWindowState(handle);
    if (window == nullptr)
        return;
    const TrackbarExtra& extra = ExtraFor(*window);
    const bool carriesPosition = code == TB_THUMBTRACK || code == TB_THUMBPOSITION;
    const WPARAM wParam = MAKEWPARAM(code, carriesPosition ? extra.position : 0);
    Send(window->parent, WM_HSCROLL, wParam, reinterpret_cast<LPARAM>(handle));
}

// Moves to a new position and notifies with `code` when the position changed.
void MoveTo(HWND handle, TrackbarExtra& extra, int position, int code)
{
    position = Clamp(position);
    if (position == extra.position)
        return;
    extra.position = position;
    InvalidateWindow(handle);
    Notify(handle, code);
}

int Along(const Window&, LPARAM point)
{
    return static_cast<short>(LOWORD(point));
}

bool InRect(const RECT& rect, LPARAM point)
{
    const auto x = static_cast<short>(LOWORD(point));
    const auto y = static_cast<short>(HIWORD(point));
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

// Where the pointer lies from the thumb along the channel: -1 before it, 1 after it, 0 over it.
int SideOfThumb(const Window& window, const TrackbarExtra& extra, int along)
{
    const RECT thumb = ThumbRect(window, extra);
    return along < thumb.left ? -1 : (along >= thumb.right ? 1 : 0);
}

void Page(HWND handle, TrackbarExtra& extra, int direction)
{
    if (direction < 0)
        MoveTo(handle, extra, extra.position - extra.pageSize, TB_PAGEUP);
    else
        MoveTo(handle, extra, extra.position + extra.pageSize, TB_PAGEDOWN);
}

void StopPaging(HWND handle, TrackbarExtra& extra)
{
    extra.paging = false;
    StopTimer(handle, kPageTimer);
}

void Wheel(HWND handle, TrackbarExtra& extra, WPARAM wParam)
{
    extra.wheel += GET_WHEEL_DELTA_WPARAM(wParam);
    const int notches = extra.wheel / WHEEL_DELTA;
    extra.wheel -= notches * WHEEL_DELTA;
    const int before = extra.position;
    MoveTo(handle, extra, extra.position - notches * extra.lineSize,
           notches > 0 ? TB_LINEUP : TB_LINEDOWN);
    if (extra.position != before)
        Notify(handle, TB_ENDTRACK);
}

bool IsNavigationKey(WPARAM key)
{
    return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN || key == VK_PRIOR ||
           key == VK_NEXT || key == VK_HOME || key == VK_END;
}

void Draw(HWND handle, HDC, const Theme::Canvas& cr, Window& window)
{
    const TrackbarExtra& extra = ExtraFor(window);
    Theme::Fill(cr, 0, 0, window.Width(), window.Height(), Theme::kFace);
    const RECT channel = ChannelRect(window);
    Theme::DrawEdge(cr, channel.left, channel.top, channel.right - channel.left,
                    channel.bottom - channel.top, Theme::Edge::Sunken);
    const RECT thumb = ThumbRect(window, extra);
    const int thumbWidth = thumb.right - thumb.left;
    const int thumbHeight = thumb.bottom - thumb.top;
    Theme::Fill(cr, thumb.left, thumb.top, thumbWidth, thumbHeight, Theme::kFace);
    Theme::DrawEdge(cr, thumb.left, thumb.top, thumbWidth, thumbHeight, Theme::Edge::Raised);
    if (FocusWindow() == handle)
        Theme::DrawFocusRect(cr, 0, 0, window.Width(), window.Height());
}

} // namespace

LRESULT TrackbarProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* window = FindWindowState(handle);
    if (window == nullptr)
        return 0;
    TrackbarExtra& extra = ExtraFor(*window);
    switch (message)
    {
    case TBM_GETPOS:
        return extra.position;
    case TBM_GETRANGEMAX:
        return extra.maximum;
    case TBM_SETPOS:
        // Never notifies: only the user's input does.
        extra.position = Clamp(static_cast<int>(lParam));
        if (wParam != 0)
            InvalidateWindow(handle);
        return 0;
    case TBM_GETTHUMBRECT:
        if (auto* rect = reinterpret_cast<RECT*>(lParam))
            *rect = ThumbRect(*window, extra);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_LBUTTONDOWN:
    {
        ChangeFocus(handle);
        window = FindWindowState(handle);
        if (window == nullptr)
            return 0;
        SetMouseCapture(handle);
        const int along = Along(*window, lParam);
        const int centre = ThumbCentre(*window, extra);
        if (InRect(ThumbRect(*window, extra), lParam))
        {
            extra.dragging = true;
            extra.dragOffset = along - centre;
        }
        else
        {
            extra.paging = true;
            extra.pointer = along;
            extra.pageDirection = along < centre ? -1 : 1;
            Page(handle, extra, extra.pageDirection);
            StartTimer(handle, kPageTimer, kFirstRepeatMs, kRepeatMs);
        }
        return 0;
    }
    case WM_TIMER:
        // Pages on only while the pointer stays beyond the thumb on the side it started.
        if (wParam == kPageTimer && extra.paging &&
            SideOfThumb(*window, extra, extra.pointer) == extra.pageDirection)
            Page(handle, extra, extra.pageDirection);
        return 0;
    case WM_MOUSEWHEEL:
        Wheel(handle, extra, wParam);
        return 0;
    case WM_MOUSEMOVE:
        if (extra.paging)
            extra.pointer = Along(*window, lParam);
        if (extra.dragging)
        {
            MoveTo(handle, extra,
                   PositionAt(*window, extra, Along(*window, lParam) - extra.dragOffset),
                   TB_THUMBTRACK);
        }
        return 0;
    case WM_LBUTTONUP:
        if (extra.dragging || extra.paging)
        {
            const bool dragged = extra.dragging;
            extra.dragging = false;
            StopPaging(handle, extra);
            ReleaseMouseCapture();
            if (dragged)
                Notify(handle, TB_THUMBPOSITION);
            Notify(handle, TB_ENDTRACK);
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != handle)
        {
            extra.dragging = false;
            StopPaging(handle, extra);
        }
        return 0;
    case WM_KEYDOWN:
        switch (wParam)
        {
        case VK_LEFT:
        case VK_UP:
            MoveTo(handle, extra, extra.position - extra.lineSize, TB_LINEUP);
            break;
        case VK_RIGHT:
        case VK_DOWN:
            MoveTo(handle, extra, extra.position + extra.lineSize, TB_LINEDOWN);
            break;
        case VK_PRIOR:
            MoveTo(handle, extra, extra.position - extra.pageSize, TB_PAGEUP);
            break;
        case VK_NEXT:
            MoveTo(handle, extra, extra.position + extra.pageSize, TB_PAGEDOWN);
            break;
        case VK_HOME:
            MoveTo(handle, extra, extra.minimum, TB_TOP);
            break;
        case VK_END:
            MoveTo(handle, extra, extra.maximum, TB_BOTTOM);
            break;
        default:
            break;
        }
        return 0;
    case WM_KEYUP:
        if (IsNavigationKey(wParam))
            Notify(handle, TB_ENDTRACK);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateWindow(handle);
        return 0;
    default:
        return ControlDefault(handle, message, wParam, lParam, &Draw);
    }
}

} // namespace Kestrune::Platform

#endif
