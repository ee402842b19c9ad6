#if !defined(_WIN32)

#include "platform/UiScale.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace Kestrune::Platform
{
namespace
{

constexpr double kDpiAtScaleOne = 96.0;

double overrideFactor = 0.0;
double dialogFactor = 1.0;

std::string_view Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// A positive finite decimal number, the whole text; from_chars ignores the host's locale.
std::optional<double> PositiveNumber(std::string_view text)
{
    text = Trimmed(text);
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value) ||
        value <= 0.0)
        return std::nullopt;
    return value;
}

// One line per distinct malformed value, so reopening the editor does not repeat it.
void WarnOnce(const char* source, std::string_view value)
{
    static std::string lastWarning;
    std::string warning = std::string(source) + " \"" + std::string(value) + "\"";
    if (warning == lastWarning)
        return;
    std::fprintf(stderr, "Corvane Phaser: %s is not a scale factor such as 1.5 or 2; ignored\n",
                 warning.c_str());
    lastWarning = std::move(warning);
}

} // namespace

double SnapUiScale(double factor)
{
    if (!std::isfinite(factor))
        return kSmallestUiScale;
    const double snapped = std::floor(factor / kUiScaleStep + 0.5) * kUiScaleStep;
    return std::fmin(std::fmax(snapped, kSmallestUiScale), kLargestUiScale);
}

std::optional<double> ParseUiScale(std::string_view text)
{
    const std::optional<double> value = PositiveNumber(text);
    return value ? std::optional<double>(SnapUiScale(*value)) : std::nullopt;
}

std::optional<double> UiScaleFromDpi(std::string_view dpi)
{
    const std::optional<double> value = PositiveNumber(dpi);
    return value ? std::optional<double>(SnapUiScale(*value / kDpiAtScaleOne)) : std::nullopt;
}

double ChooseUiScale()
{
    if (overrideFactor > 0.0)
        return overrideFactor;
    const char* variable = std::getenv("CORVANE_UI_SCALE");
    if (variable != nullptr && !Trimmed(variable).empty())
    {
        if (const std::optional<double> factor = ParseUiScale(variable))
            return *factor;
        WarnOnce("CORVANE_UI_SCALE", variable);
    }
    if (const std::optional<std::string> dpi = ServerXftDpi())
    {
        if (const std::optional<double> factor = UiScaleFromDpi(*dpi))
            return *factor;
        WarnOnce("Xft.dpi", *dpi);
    }
    return kSmallestUiScale;
}

void SetUiScaleOverride(double factor)
{
    overrideFactor = factor > 0.0 ? SnapUiScale(factor) : 0.0;
}

double DialogScale()
{
    return dialogFactor;
}

DialogScaleScope::DialogScaleScope(double factor) : previous(dialogFactor)
{
    dialogFactor = SnapUiScale(factor);
}

DialogScaleScope::~DialogScaleScope()
{
    dialogFactor = previous;
}

#if !defined(CORVANE_HAVE_X11)
std::optional<std::string> XftDpiOfResources(const char*)
{
    return std::nullopt;
}

std::optional<std::string> ServerXftDpi()
{
    return std::nullopt;
}
#endif

} // namespace Kestrune::Platform

#endif
