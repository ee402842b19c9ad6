#pragma once

// Drawing primitives for the classic Windows dialog look, in cairo with whole-pixel geometry.
// Geometry is in device pixels; the 96-dpi design's line widths, font size and glyph shapes
// follow the canvas's factor, so a panel at 2 is drawn afresh at twice the size, not stretched.

#include "platform/Win32.h"

#include <cairo.h>

#include <string_view>

namespace Kestrune::Platform::Theme
{

struct Colour
{
    double red;
    double green;
    double blue;
};

inline constexpr Colour kFace{212 / 255.0, 208 / 255.0, 200 / 255.0}; // #D4D0C8
inline constexpr Colour kHighlight{1.0, 1.0, 1.0};
inline constexpr Colour kShadow{128 / 255.0, 128 / 255.0, 128 / 255.0};
inline constexpr Colour kDarkShadow{64 / 255.0, 64 / 255.0, 64 / 255.0};
inline constexpr Colour kWindow{1.0, 1.0, 1.0};
inline constexpr Colour kText{0.0, 0.0, 0.0};
inline constexpr Colour kGrayText{128 / 255.0, 128 / 255.0, 128 / 255.0};
inline constexpr Colour kSelection{10 / 255.0, 36 / 255.0, 106 / 255.0}; // #0A246A
inline constexpr Colour kSelectionText{1.0, 1.0, 1.0};

enum class Edge
{
    Raised,     // push button, thumb
    Sunken,     // check box, list field, trackbar channel
    Etched,     // group box frame
    ThinSunken, // status-bar part
    Pressed     // a push button held down
};

enum class Align
{
    Left,
    Centre,
    Right
};

// The 8-point dialog font at 96 dots per inch.
inline constexpr double kFontPixels = 11.0;
// Height of one line of text, as the dialog base unit (13 pixels at 96 dpi).
inline constexpr int kLineHeight = 13;

// Where a window paints: cairo in device pixels and the window's UI scale factor.
struct Canvas
{
    cairo_t* cairo = nullptr;
    double scale = 1.0;

    explicit operator bool() const { return cairo != nullptr; }
    // A length of the 96-dpi design in device pixels.
    int Px(int designPixels) const;
    // The width of the design's one-pixel lines: whole pixels, so edges stay sharp.
    int Line() const;
};

void Fill(const Canvas& cr, int x, int y, int width, int height, Colour colour);
void DrawEdge(const Canvas& cr, int x, int y, int width, int height, Edge edge);
void SelectFont(const Canvas& cr);
double TextWidth(const Canvas& cr, std::string_view text);
// One line, clipped to the box, vertically centred.
void DrawText(const Canvas& cr, std::string_view text, int x, int y, int width, int height,
              Align align, Colour colour);
void DrawFocusRect(const Canvas& cr, int x, int y, int width, int height);
// 7 x 7 design pixels from (x, y).
void DrawCheckMark(const Canvas& cr, int x, int y, Colour colour);
// 7 x 4 design pixels around the centre.
void DrawDownArrow(const Canvas& cr, int centreX, int centreY, Colour colour);

Canvas ContextOf(HDC dc);

} // namespace Kestrune::Platform::Theme
