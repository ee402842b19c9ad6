#if !defined(_WIN32)

// The COMBOBOX class as a drop-down list (CBS_DROPDOWNLIST): a selection field with an arrow
// button; a click opens the entries in a pop-up list window of its own.

#include "platform/ComboBoxControl.h"

#include "platform/Theme.h"
#include "platform/WindowSystem.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace Kestrune::Platform
{
namespace
{

// 96-dpi metrics.
constexpr int kFieldHeight = 21; // the closed control, for the 8-point dialog font
constexpr int kButtonWidth = 16;

ComboExtra& ExtraFor(Window& window)
{
    return EnsureExtra<ComboExtra>(window);
}

int Count(const ComboExtra& extra)
{
    return static_cast<int>(extra.items.size());
}

int VisibleRows(const Window& window, const ComboExtra& extra)
{
    const int rows = (extra.droppedHeight - window.Scaled(kFieldHeight) - 2 * window.Line()) /
                     ComboItemHeight(window);
    return std::clamp(rows, 1, std::max(1, Count(extra)));
}

void Select(HWND handle, const Window& window, ComboExtra& extra, int index)
{
    if (index < 0 || index >= Count(extra) || index == extra.selected)
        return;
    extra.selected = index;
    extra.hot = index;
    extra.top = std::clamp(extra.top, std::max(0, index - VisibleRows(window, extra) + 1), index);
    InvalidateWindow(handle);
    InvalidateWindow(extra.list);
    NotifyParent(handle, CBN_SELCHANGE);
}

void Draw(HWND handle, HDC, const Theme::Canvas& cr, Window& window)
{
    const ComboExtra& extra = ExtraFor(window);
    const int width = window.Width();
    const int height = window.Height();
    const bool enabled = (window.style & WS_DISABLED) == 0;
    const int edge = 2 * cr.Line();
    Theme::Fill(cr, 0, 0, width, height, Theme::kFace);
    Theme::DrawEdge(cr, 0, 0, width, height, Theme::Edge::Sunken);
    Theme::Fill(cr, edge, edge, width - 2 * edge, height - 2 * edge,
                enabled ? Theme::kWindow : Theme::kFace);

    const int buttonWidth = cr.Px(kButtonWidth);
    const int buttonX = width - edge - buttonWidth;
    const bool dropped = extra.list != nullptr;
    const int shift = dropped ? cr.Line() : 0;
    Theme::Fill(cr, buttonX, edge, buttonWidth, height - 2 * edge, Theme::kFace);
    Theme::DrawEdge(cr, buttonX, edge, buttonWidth, height - 2 * edge,
                    dropped ? Theme::Edge::Pressed : Theme::Edge::Raised);
    Theme::DrawDownArrow(cr, buttonX + buttonWidth / 2 + shift, height / 2 + shift,
                         enabled ? Theme::kText : Theme::kGrayText);

    // The selection field inside the edge, with a gap of one design pixel.
    const int inset = cr.Px(3);
    const int fieldWidth = buttonX - cr.Px(4);
    const bool focused = FocusWindow() == handle && !dropped;
    if (focused)
        Theme::Fill(cr, inset, inset, fieldWidth, height - 2 * inset, Theme::kSelection);
    if (extra.selected >= 0 && extra.selected < Count(extra))
    {
        Theme::DrawText(cr, extra.items[static_cast<std::size_t>(extra.selected)], cr.Px(5), inset,
                        fieldWidth - cr.Px(4), height - 2 * inset, Theme::Align::Left,
                        focused ? Theme::kSelectionText
                                : (enabled ? Theme::kText : Theme::kGrayText));
    }
    if (focused)
        Theme::DrawFocusRect(cr, inset, inset, fieldWidth, height - 2 * inset);
}

} // namespace

int ComboItemHeight(const Window& window)
{
    return window.Scaled(ComboExtra::kItemHeight);
}

void OpenComboList(HWND combo)
{
    Window* window = FindWindowState(combo);
    if (window == nullptr || ExtraFor(*window).list != nullptr)
        return;
    ComboExtra& extra = ExtraFor(*window);
    extra.hot = extra.selected;
    const int rows = Count(extra) == 0 ? 1 : VisibleRows(*window, extra);
    extra.top = std::clamp(extra.top, std::max(0, extra.selected - rows + 1),
                           std::max(0, std::min(extra.selected, Count(extra) - rows)));
    const POINT origin = ScreenOriginOf(combo);

    CreateParameters list;
    list.className = kComboListClass;
    list.style = WS_POPUP | WS_BORDER;
    list.x = origin.x;
    list.y = origin.y + window->Height();
    list.width = window->Width();
    list.height = rows * ComboItemHeight(*window) + 2 * window->Line();
    list.parent = combo;
    auto listExtra = std::make_unique<ComboListExtra>();
    listExtra->combo = combo;
    list.extra = std::move(listExtra);
    const HWND listWindow = CreateWindowInternal(std::move(list));
    if (listWindow == nullptr)
        return;
    if (Window* again = FindWindowState(combo))
        ExtraFor(*again).list = listWindow;
    ShowWindow(listWindow, SW_SHOWNA);
    SetMouseCapture(listWindow);
    InvalidateWindow(combo);
}

void CloseComboList(HWND combo, int choice)
{
    Window* window = FindWindowState(combo);
    if (window == nullptr)
        return;
    ComboExtra& extra = ExtraFor(*window);
    if (extra.list == nullptr)
        return;
    const HWND list = extra.list;
    extra.list = nullptr;
    if (MouseCapture() == list)
        ReleaseMouseCapture();
    DestroyWindowInternal(list);
    InvalidateWindow(combo);
    if (choice >= 0 && choice < Count(extra))
    {
        // A choice from the list reports a change even when the entry was already selected.
        extra.selected = choice;
        NotifyParent(combo, CBN_SELCHANGE);
    }
}

LRESULT ComboBoxProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* window = FindWindowState(handle);
    if (window == nullptr)
        return 0;
    ComboExtra& extra = ExtraFor(*window);
    const int count = Count(extra);
    switch (message)
    {
    case WM_CREATE:
        // The template's height is that of the open list; the closed control is one field.
        extra.droppedHeight = window->Height();
        window->rect.bottom = window->rect.top + window->Scaled(kFieldHeight);
        return 0;
    case WM_DESTROY:
        if (extra.list != nullptr)
        {
            const HWND list = extra.list;
            extra.list = nullptr;
            DestroyWindowInternal(list);
        }
        return 0;
    case CB_ADDSTRING:
        if (lParam == 0)
            return CB_ERR;
        extra.items.emplace_back(reinterpret_cast<const char*>(lParam));
        InvalidateWindow(handle);
        return count;
    case CB_GETCOUNT:
        return count;
    case CB_GETCURSEL:
        return extra.selected;
    case CB_SETCURSEL:
    {
        // Never notifies: only the user's choice does.
        const auto index = static_cast<int>(wParam);
        const bool valid = index >= 0 && index < count;
        extra.selected = valid ? index : -1;
        extra.hot = extra.selected;
        InvalidateWindow(handle);
        InvalidateWindow(extra.list);
        return valid ? index : CB_ERR;
    }
    case CB_GETLBTEXT:
    {
        const auto index = static_cast<int>(wParam);
        auto* buffer = reinterpret_cast<char*>(lParam);
        if (index < 0 || index >= count || buffer == nullptr)
            return CB_ERR;
        const std::string& text = extra.items[static_cast<std::size_t>(index)];
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return static_cast<LRESULT>(text.size());
    }
    case CB_GETDROPPEDSTATE:
        return extra.list != nullptr ? TRUE : FALSE;
    case CB_GETITEMHEIGHT:
        return ComboItemHeight(*window);
    case CB_GETDROPPEDCONTROLRECT:
        if (auto* rect = reinterpret_cast<RECT*>(lParam))
        {
            const POINT origin = ScreenOriginOf(handle);
            *rect = RECT{origin.x, origin.y, origin.x + window->Width(),
                         origin.y + std::max(extra.droppedHeight, window->Height())};
            return TRUE;
        }
        return FALSE;
    case WM_GETDLGCODE:
    {
        LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
        if (extra.list != nullptr && (wParam == VK_RETURN || wParam == VK_ESCAPE))
            code |= DLGC_WANTALLKEYS;
        return code;
    }
    case WM_LBUTTONDOWN:
        ChangeFocus(handle);
        if (FindWindowState(handle) != nullptr)
        {
            if (extra.list != nullptr)
                CloseComboList(handle, -1);
            else
                OpenComboList(handle);
        }
        return 0;
    case WM_KEYDOWN:
    {
        const int page = VisibleRows(*window, extra);
        const int current = extra.selected;
        switch (wParam)
        {
        case VK_UP:
        case VK_LEFT:
            Select(handle, *window, extra, current < 0 ? 0 : current - 1);
            break;
        case VK_DOWN:
        case VK_RIGHT:
            Select(handle, *window, extra, current + 1);
            break;
        case VK_PRIOR:
            Select(handle, *window, extra, std::max(0, current - page));
            break;
        case VK_NEXT:
            Select(handle, *window, extra, std::min(count - 1, current + page));
            break;
        case VK_HOME:
            Select(handle, *window, extra, 0);
            break;
        case VK_END:
            Select(handle, *window, extra, count - 1);
            break;
        case VK_F4:
            if (extra.list != nullptr)
                CloseComboList(handle, -1);
            else
                OpenComboList(handle);
            break;
        case VK_RETURN:
            if (extra.list != nullptr)
                CloseComboList(handle, extra.hot);
            break;
        case VK_ESCAPE:
            CloseComboList(handle, -1);
            break;
        default:
            break;
        }
        return 0;
    }
    case WM_MOUSEWHEEL:
    {
        // A closed list moves its selection one entry per notch, away from the user upwards.
        const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
        if (extra.list == nullptr && notches != 0 && count > 0)
        {
            const int target = extra.selected < 0 ? 0 : extra.selected - notches;
            Select(handle, *window, extra, std::clamp(target, 0, count - 1));
        }
        return 0;
    }
    case WM_CHAR:
    {
        // The next entry starting with the typed letter.
        const int letter = std::tolower(static_cast<int>(wParam & 0xFF));
        for (int step = 1; step <= count; ++step)
        {
            const int index = ((extra.selected < 0 ? -1 : extra.selected) + step) % count;
            const std::string& item = extra.items[static_cast<std::size_t>(index)];
            if (!item.empty() && std::tolower(static_cast<unsigned char>(item[0])) == letter)
            {
                Select(handle, *window, extra, index);
                break;
            }
        }
        return 0;
    }
    case WM_SETFOCUS:
        InvalidateWindow(handle);
        return 0;
    case WM_KILLFOCUS:
        CloseComboList(handle, -1);
        InvalidateWindow(handle);
        return 0;
    default:
        return ControlDefault(handle, message, wParam, lParam, &Draw);
    }
}

} // namespace Kestrune::Platform

#endif
