#if !defined(_WIN32)

// The status window (msctls_statusbar32): one sunken part along the bottom of its parent.

#include "platform/Theme.h"
#include "platform/WindowSystem.h"

#include <cstring>

namespace Kestrune::Platform
{
namespace
{

constexpr int kStatusHeight = 20; // at 96 dpi

void Draw(HWND, HDC, const Theme::Canvas& cr, Window& window)
{
    const int width = window.Width();
    const int height = window.Height();
    const int top = cr.Px(2);
    const int inset = cr.Px(4);
    Theme::Fill(cr, 0, 0, width, height, Theme::kFace);
    Theme::DrawEdge(cr, 0, top, width, height - top, Theme::Edge::ThinSunken);
    Theme::DrawText(cr, window.text, inset, top, width - 2 * inset, height - top,
                    Theme::Align::Left, Theme::kText);
}

} // namespace

// The text of part 0, the only one.
LRESULT StatusProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* window = FindWindowState(handle);
    if (window == nullptr || (message != SB_SETTEXTA && message != SB_GETTEXTA))
        return ControlDefault(handle, message, wParam, lParam, &Draw);
    if (wParam != 0)
        return FALSE;
    if (message == SB_SETTEXTA)
    {
        const auto* text = reinterpret_cast<const char*>(lParam);
        window->text = text != nullptr ? std::string(text) : std::string();
        InvalidateWindow(handle);
        return TRUE;
    }
    // Like Windows, the caller's buffer holds the whole text.
    if (auto* buffer = reinterpret_cast<char*>(lParam))
        std::memcpy(buffer, window->text.c_str(), window->text.size() + 1);
    return static_cast<LRESULT>(window->text.size());
}

} // namespace Kestrune::Platform

using namespace Kestrune::Platform;

HWND CreateStatusWindowA(LONG style, LPCSTR text, HWND parent, UINT id)
{
    const Window* parentState = FindWindowState(parent);
    if (parentState == nullptr)
        return nullptr;
    CreateParameters parameters;
    parameters.className = STATUSCLASSNAMEA;
    parameters.text = text != nullptr ? text : "";
    parameters.style = static_cast<DWORD>(style) | static_cast<DWORD>(WS_CHILD);
    parameters.x = 0;
    const int height = parentState->Scaled(kStatusHeight);
    parameters.y = parentState->Height() - height;
    parameters.width = parentState->Width();
    parameters.height = height;
    parameters.parent = parent;
    parameters.id = static_cast<int>(id);
    parameters.instance = parentState->instance;
    return CreateWindowInternal(std::move(parameters));
}

#endif
