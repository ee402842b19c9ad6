#if !defined(_WIN32)

#include "platform/Theme.h"

#include "platform/WindowSystem.h"

#include <string>

namespace Kestrune::Platform::Theme
{
namespace
{

void SetColour(cairo_t* cr, Colour colour)
{
    cairo_set_source_rgb(cr, colour.red, colour.green, colour.blue);
}

void Line(cairo_t* cr, int x, int y, int width, int height, Colour colour)
{
    if (width > 0 && height > 0)
    {
        Fill(cr, x, y, width, height, colour);
    }
}

// Top and left lines in one colour, bottom and right in the other.
void Frame(cairo_t* cr, int x, int y, int width, int height, Colour topLeft, Colour bottomRight)
{
    Line(cr, x, y, width - 1, 1, topLeft);
    Line(cr, x, y, 1, height - 1, topLeft);
    Line(cr, x, y + height - 1, width, 1, bottomRight);
    Line(cr, x + width - 1, y, 1, height, bottomRight);
}

} // namespace

void Fill(cairo_t* cr, int x, int y, int width, int height, Colour colour)
{
    cairo_save(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    SetColour(cr, colour);
    cairo_rectangle(cr, x, y, width, height);
    cairo_fill(cr);
    cairo_restore(cr);
}

void DrawEdge(cairo_t* cr, int x, int y, int width, int height, Edge edge)
{
    if (width < 2 || height < 2)
    {
        return;
    }
    switch (edge)
    {
    case Edge::Raised:
        Frame(cr, x, y, width, height, kFace, kDarkShadow);
        Frame(cr, x + 1, y + 1, width - 2, height - 2, kHighlight, kShadow);
        break;
    case Edge::Sunken:
        Frame(cr, x, y, width, height, kShadow, kHighlight);
        Frame(cr, x + 1, y + 1, width - 2, height - 2, kDarkShadow, kFace);
        break;
    case Edge::Etched:
        Frame(cr, x, y, width, height, kShadow, kHighlight);
        Frame(cr, x + 1, y + 1, width - 2, height - 2, kHighlight, kShadow);
        break;
    case Edge::ThinSunken:
        Frame(cr, x, y, width, height, kShadow, kHighlight);
        break;
    case Edge::Pressed:
        Frame(cr, x, y, width, height, kDarkShadow, kDarkShadow);
        Frame(cr, x + 1, y + 1, width - 2, height - 2, kShadow, kShadow);
        break;
    }
}

void SelectFont(cairo_t* cr)
{
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                           CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, kFontPixels);
}

double TextWidth(cairo_t* cr, std::string_view text)
{
    const std::string copy(text);
    cairo_text_extents_t extents;
    cairo_save(cr);
    SelectFont(cr);
    cairo_text_extents(cr, copy.c_str(), &extents);
    cairo_restore(cr);
    return extents.x_advance;
}

void DrawText(cairo_t* cr, std::string_view text, int x, int y, int width, int height, Align align,
              Colour colour)
{
    if (text.empty() || width <= 0 || height <= 0)
    {
        return;
    }
    const std::string copy(text);
    cairo_save(cr);
    cairo_rectangle(cr, x, y, width, height);
    cairo_clip(cr);
    SelectFont(cr);
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, copy.c_str(), &extents);
    double left = x;
    if (align == Align::Centre)
    {
        left = x + (width - extents.x_advance) / 2.0;
    }
    else if (align == Align::Right)
    {
        left = x + width - extents.x_advance;
    }
    const double baseline = y + (height - (font.ascent + font.descent)) / 2.0 + font.ascent;
    SetColour(cr, colour);
    cairo_move_to(cr, static_cast<int>(left + 0.5), static_cast<int>(baseline + 0.5));
    cairo_show_text(cr, copy.c_str());
    cairo_restore(cr);
}

void DrawFocusRect(cairo_t* cr, int x, int y, int width, int height)
{
    if (width < 2 || height < 2)
    {
        return;
    }
    cairo_save(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    SetColour(cr, kText);
    for (int i = 0; i < width; i += 2)
    {
        cairo_rectangle(cr, x + i, y, 1, 1);
        cairo_rectangle(cr, x + i, y + height - 1, 1, 1);
    }
    for (int j = 0; j < height; j += 2)
    {
        cairo_rectangle(cr, x, y + j, 1, 1);
        cairo_rectangle(cr, x + width - 1, y + j, 1, 1);
    }
    cairo_fill(cr);
    cairo_restore(cr);
}

void DrawCheckMark(cairo_t* cr, int x, int y, Colour colour)
{
    // The classic tick: a column of three pixels falling to the bottom, then rising.
    static constexpr int kTop[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int column = 0; column < 7; ++column)
    {
        Fill(cr, x + column, y + kTop[column], 1, 3, colour);
    }
}

void DrawDownArrow(cairo_t* cr, int centreX, int centreY, Colour colour)
{
    for (int row = 0; row < 4; ++row)
    {
        Fill(cr, centreX - 3 + row, centreY - 2 + row, 7 - 2 * row, 1, colour);
    }
}

cairo_t* ContextOf(HDC dc)
{
    return dc != nullptr ? dc->cairo : nullptr;
}

} // namespace Kestrune::Platform::Theme

#endif
