#pragma once

// Drawing primitives for the classic Windows dialog look, in cairo with whole-pixel geometry.

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
// Height of one line of text, as the dialog base unit (13 pixels).
inline constexpr int kLineHeight = 13;

void Fill(cairo_t* cr, int x, int y, int width, int height, Colour colour);
void DrawEdge(cairo_t* cr, int x, int y, int width, int height, Edge edge);
void SelectFont(cairo_t* cr);
double TextWidth(cairo_t* cr, std::string_view text);
// One line, clipped to the box, vertically centred.
void DrawText(cairo_t* cr, std::string_view text, int x, int y, int width, int height, Align align,
              Colour colour);
void DrawFocusRect(cairo_t* cr, int x, int y, int width, int height);
void DrawCheckMark(cairo_t* cr, int x, int y, Colour colour);             // 7 x 7 pixels
void DrawDownArrow(cairo_t* cr, int centreX, int centreY, Colour colour); // 7 x 4 pixels

cairo_t* ContextOf(HDC dc);

} // namespace Kestrune::Platform::Theme
