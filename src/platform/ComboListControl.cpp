#if !defined(_WIN32)

// The pop-up list of a drop-down list: it holds the mouse capture while open, so a click outside
// it closes it without a choice.

#include "platform/ComboBoxControl.h"
#include "platform/Theme.h"
#include "platform/WindowSystem.h"

namespace Kestrune::Platform
{
namespace
{

ComboExtra* ComboOf(HWND list)
{
    const ComboListExtra* extra = ExtraOf<ComboListExtra>(list);
    return extra != nullptr ? ExtraOf<ComboExtra>(extra->combo) : nullptr;
}

// The entry under a point of the list's client area, or -1.
int EntryAt(HWND list, LPARAM point)
{
    const Window* window = FindWindowState(list);
    const ComboExtra* combo = ComboOf(list);
    if (window == nullptr || combo == nullptr)
        return -1;
    const auto x = static_cast<short>(LOWORD(point));
    const auto y = static_cast<short>(HIWORD(point));
    const int border = window->Line();
    if (x < 0 || x >= window->Width() || y < border || y >= window->Height() - border)
        return -1;
    const int index = combo->top + (y - border) / ComboItemHeight(*window);
    return index < static_cast<int>(combo->items.size()) ? index : -1;
}

bool Inside(HWND list, LPARAM point)
{
    const Window* window = FindWindowState(list);
    const auto x = static_cast<short>(LOWORD(point));
    const auto y = static_cast<short>(HIWORD(point));
    return window != nullptr && x >= 0 && y >= 0 && x < window->Width() && y < window->Height();
}

void Draw(HWND list, HDC, const Theme::Canvas& cr, Window& window)
{
    const ComboExtra* combo = ComboOf(list);
    if (combo == nullptr)
        return;
    const int width = window.Width();
    const int height = window.Height();
    const int border = cr.Line();
    const int itemHeight = ComboItemHeight(window);
    Theme::Fill(cr, 0, 0, width, height, Theme::kText);
    Theme::Fill(cr, border, border, width - 2 * border, height - 2 * border, Theme::kWindow);
    const int count = static_cast<int>(combo->items.size());
    for (int index = combo->top; index < count; ++index)
    {
        const int y = border + (index - combo->top) * itemHeight;
        if (y >= height - border)
            break;
        const bool hot = index == combo->hot;
        if (hot)
            Theme::Fill(cr, border, y, width - 2 * border, itemHeight, Theme::kSelection);
        const int inset = cr.Px(3);
        Theme::DrawText(cr, combo->items[static_cast<std::size_t>(index)], inset, y,
                        width - 2 * inset, itemHeight, Theme::Align::Left,
                        hot ? Theme::kSelectionText : Theme::kText);
    }
}

} // namespace

LRESULT ComboListProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    ComboListExtra* extra = ExtraOf<ComboListExtra>(handle);
    if (extra == nullptr)
        return DefaultWindowProcedure(handle, message, wParam, lParam);
    switch (message)
    {
    case WM_MOUSEMOVE:
        if (const int entry = EntryAt(handle, lParam); entry >= 0)
        {
            if (ComboExtra* combo = ComboOf(handle); combo != nullptr && combo->hot != entry)
            {
                combo->hot = entry;
                InvalidateWindow(handle);
            }
        }
        return 0;
    case WM_LBUTTONDOWN:
        if (!Inside(handle, lParam))
        {
            CloseComboList(extra->combo, -1);
            return 0;
        }
        extra->pressedInside = true;
        return 0;
    case WM_LBUTTONUP:
    {
        // The release of the click that opened the list lands outside it and changes nothing.
        const int entry = EntryAt(handle, lParam);
        if (entry >= 0)
            CloseComboList(extra->combo, entry);
        else if (extra->pressedInside && !Inside(handle, lParam))
            CloseComboList(extra->combo, -1);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != handle && ComboOf(handle) != nullptr &&
            ComboOf(handle)->list == handle)
            CloseComboList(extra->combo, -1);
        return 0;
    default:
        return ControlDefault(handle, message, wParam, lParam, &Draw);
    }
}

} // namespace Kestrune::Platform

#endif
