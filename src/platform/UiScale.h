#pragma once

// The factor the panel is drawn at where Win32 is absent (Windows scales its own dialogs): from
// CORVANE_UI_SCALE when set (a number such as 1.5 or 2), otherwise from the X server's Xft.dpi
// resource (96 dots per inch is 1), in steps of 0.25 from 1 to 4. The window system lays out and
// draws every dialog at its factor: dialog units, control metrics, line widths and text all
// follow it, so pointer positions need no mapping. Everything here is [ui].

#include <optional>
#include <string>
#include <string_view>

namespace Kestrune::Platform
{

#if defined(_WIN32)
// Windows scales its own dialogs: the editor's factor stays 1.
inline double ChooseUiScale()
{
    return 1.0;
}

class DialogScaleScope
{
public:
    explicit DialogScaleScope(double) {}
};
#else
inline constexpr double kSmallestUiScale = 1.0;
inline constexpr double kLargestUiScale = 4.0;
inline constexpr double kUiScaleStep = 0.25;

// The nearest step (halves up), clamped to 1 .. 4; 1 for a value that is not finite.
double SnapUiScale(double factor);
// A positive decimal number such as "2" or " 1.5 " (any locale), snapped; nothing for anything
// else: empty, trailing text, zero, negative, not finite.
std::optional<double> ParseUiScale(std::string_view text);
// An Xft.dpi value ("192", "144.5") as a factor, dpi / 96 snapped; nothing when malformed.
std::optional<double> UiScaleFromDpi(std::string_view dpi);

// The Xft.dpi entry of a resource-manager string ("Xft.dpi:\t192\n..."), looked up with Xrm as
// desktop toolkits do; nothing without one (or without X11).
std::optional<std::string> XftDpiOfResources(const char* resources);
// The Xft.dpi entry of the X server's resources (RESOURCE_MANAGER on the first screen's root, read
// through a short connection of its own); nothing without a display or an entry.
std::optional<std::string> ServerXftDpi();

// The factor for an editor about to open: the test override when set, then CORVANE_UI_SCALE (when
// set and not empty), then the X server's Xft.dpi, then 1. A malformed value is passed over with
// one line on stderr.
double ChooseUiScale();
// Tests: forces what ChooseUiScale answers; 0 restores the usual choice.
void SetUiScaleOverride(double factor);

// The factor of a dialog created from a template whose parent is no dialog of ours (a panel in a
// host's window): 1 unless a scope sets it. A dialog inside another dialog takes that one's.
double DialogScale();

class DialogScaleScope
{
public:
    explicit DialogScaleScope(double factor);
    ~DialogScaleScope();
    DialogScaleScope(const DialogScaleScope&) = delete;
    DialogScaleScope& operator=(const DialogScaleScope&) = delete;

private:
    double previous;
};
#endif

} // namespace Kestrune::Platform
