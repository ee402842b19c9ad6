#if !defined(_WIN32)

#include "platform/Theme.h"

#include "platform/DialogUnits.h"
#include "platform/WindowSystem.h"

#include <algorithm>
#include <string>

namespace Kestrune::Platform::Theme
{
namespace
{

void SetColour(cairo_t* cr, Colour colour)
{
    cairo_set_source_rgb(cr, colour.red, colour.green, colour.blue);
}

void Line(const Canvas& cr, int x, int y, int width, int height, Colour colour)
{
    if (width > 0 && height > 0)
        Fill(cr, x, y, width, height, colour);
}

// Top and left lines in one colour, bottom and right in the other, `t` pixels wide.
void Frame(const Canvas& cr, int x, int y, int width, int height, int t, Colour topLeft,
           Colour bottomRight)
{
    Line(cr, x, y, width - t, t, topLeft);
    Line(cr, x, y, t, height - t, topLeft);
    Line(cr, x, y + height - t, width, t, bottomRight);
    Line(cr, x + width - t, y, t, height, bottomRight);
}

// Two frames, the inner one just inside the outer.
void DoubleFrame(const Canvas& cr, int x, int y, int width, int height, Colour outerTopLeft,
                 Colour outerBottomRight, Colour innerTopLeft, Colour innerBottomRight)
{
    const int t = cr.Line();
    Frame(cr, x, y, width, height, t, outerTopLeft, outerBottomRight);
    Frame(cr, x + t, y + t, width - 2 * t, height - 2 * t, t, innerTopLeft, innerBottomRight);
}

// The classic tick at 96 dpi: a column of three pixels falling to the bottom, then rising.
void PixelCheckMark(const Canvas& cr, int x, int y, Colour colour)
{
    static constexpr int kTop[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int column = 0; column < 7; ++column)
        Fill(cr, x + column, y + kTop[column], 1, 3, colour);
}

// The templates were laid out for MS Sans Serif; whatever face fontconfig gives for the one asked
// for (a substitute where it is missing, often wider) is measured, and a text that would not fit
// its box, short of the box's last pixel column, is set at the size that fits, so it shows whole
// and clear of its neighbour. Hinting makes widths step with the size, hence a few tries.
void FitText(cairo_t* cr, const char* text, int width, cairo_text_extents_t& extents)
{
    const double room = std::max(width - 1, 1);
    for (int attempt = 0; attempt < 6; ++attempt)
    {
        cairo_text_extents(cr, text, &extents);
        const double needed = std::max(extents.x_advance, extents.x_bearing + extents.width);
        if (needed <= room)
            return;
        cairo_matrix_t size;
        cairo_get_font_matrix(cr, &size);
        cairo_set_font_size(cr, size.xx * room / needed * 0.995);
    }
    cairo_text_extents(cr, text, &extents);
}

} // namespace

int Canvas::Px(int designPixels) const
{
    const int pixels = ScalePixels(designPixels, scale);
    return designPixels > 0 ? std::max(pixels, 1) : pixels;
}

int Canvas::Line() const
{
    return LineWidth(scale);
}

void Fill(const Canvas& cr, int x, int y, int width, int height, Colour colour)
{
    if (!cr)
        return;
    cairo_save(cr.cairo);
    cairo_set_antialias(cr.cairo, CAIRO_ANTIALIAS_NONE);
    SetColour(cr.cairo, colour);
    cairo_rectangle(cr.cairo, x, y, width, height);
    cairo_fill(cr.cairo);
    cairo_restore(cr.cairo);
}

void DrawEdge(const Canvas& cr, int x, int y, int width, int height, Edge edge)
{
    const int t = cr.Line();
    if (width < 2 * t || height < 2 * t)
        return;
    switch (edge)
    {
    case Edge::Raised:
        DoubleFrame(cr, x, y, width, height, kFace, kDarkShadow, kHighlight, kShadow);
        break;
    case Edge::Sunken:
        DoubleFrame(cr, x, y, width, height, kShadow, kHighlight, kDarkShadow, kFace);
        break;
    case Edge::Etched:
        DoubleFrame(cr, x, y, width, height, kShadow, kHighlight, kHighlight, kShadow);
        break;
    case Edge::ThinSunken:
        Frame(cr, x, y, width, height, t, kShadow, kHighlight);
        break;
    case Edge::Pressed:
        DoubleFrame(cr, x, y, width, height, kDarkShadow, kDarkShadow, kShadow, kShadow);
        break;
    }
}

void SelectFont(const Canvas& cr)
{
    cairo_select_font_face(cr.cairo, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                           CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr.cairo, kFontPixels * cr.scale);
}

double TextWidth(const Canvas& cr, std::string_view text)
{
    const std::string copy(text);
    cairo_text_extents_t extents;
    cairo_save(cr.cairo);
    SelectFont(cr);
    cairo_text_extents(cr.cairo, copy.c_str(), &extents);
    cairo_restore(cr.cairo);
    return extents.x_advance;
}

void DrawText(const Canvas& cr, std::string_view text, int x, int y, int width, int height,
              Align align, Colour colour)
{
    if (text.empty() || width <= 0 || height <= 0)
        return;
    const std::string copy(text);
    cairo_t* context = cr.cairo;
    cairo_save(context);
    cairo_rectangle(context, x, y, width, height);
    cairo_clip(context);
    SelectFont(cr);
    cairo_font_extents_t font;
    cairo_font_extents(context, &font);
    cairo_text_extents_t extents;
    FitText(context, copy.c_str(), width, extents);
    double left = x;
    if (align == Align::Centre)
        left = x + (width - extents.x_advance) / 2.0;
    else if (align == Align::Right)
        left = x + width - extents.x_advance;
    const double baseline = y + (height - (font.ascent + font.descent)) / 2.0 + font.ascent;
    SetColour(context, colour);
    cairo_move_to(context, static_cast<int>(left + 0.5), static_cast<int>(baseline + 0.5));
    cairo_show_text(context, copy.c_str());
    cairo_restore(context);
}

void DrawFocusRect(const Canvas& cr, int x, int y, int width, int height)
{
    const int t = cr.Line();
    if (width < 2 * t || height < 2 * t)
        return;
    cairo_t* context = cr.cairo;
    cairo_save(context);
    cairo_set_antialias(context, CAIRO_ANTIALIAS_NONE);
    SetColour(context, kText);
    for (int i = 0; i < width; i += 2 * t)
    {
        cairo_rectangle(context, x + i, y, t, t);
        cairo_rectangle(context, x + i, y + height - t, t, t);
    }
    for (int j = 0; j < height; j += 2 * t)
    {
        cairo_rectangle(context, x, y + j, t, t);
        cairo_rectangle(context, x + width - t, y + j, t, t);
    }
    cairo_fill(context);
    cairo_restore(context);
}

void DrawCheckMark(const Canvas& cr, int x, int y, Colour colour)
{
    if (cr.scale == 1.0)
    {
        PixelCheckMark(cr, x, y, colour);
        return;
    }
    // Above 96 dpi the same tick as a stroke through the pixel columns' centres, three design
    // pixels tall wherever it is cut vertically.
    cairo_t* context = cr.cairo;
    cairo_save(context);
    cairo_translate(context, x, y);
    cairo_scale(context, cr.scale, cr.scale);
    cairo_move_to(context, 0.0, 3.0);
    cairo_line_to(context, 2.5, 5.5);
    cairo_line_to(context, 7.0, 1.0);
    cairo_set_line_width(context, 3.0 * 0.7071);
    cairo_set_line_cap(context, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(context, CAIRO_LINE_JOIN_MITER);
    SetColour(context, colour);
    cairo_stroke(context);
    cairo_restore(context);
}

void DrawDownArrow(const Canvas& cr, int centreX, int centreY, Colour colour)
{
    if (cr.scale == 1.0)
    {
        for (int row = 0; row < 4; ++row)
            Fill(cr, centreX - 3 + row, centreY - 2 + row, 7 - 2 * row, 1, colour);
        return;
    }
    const double half = 3.5 * cr.scale;
    const double top = centreY - cr.Px(2);
    cairo_t* context = cr.cairo;
    cairo_save(context);
    cairo_move_to(context, centreX - half, top);
    cairo_line_to(context, centreX + half, top);
    cairo_line_to(context, centreX, top + half);
    cairo_close_path(context);
    SetColour(context, colour);
    cairo_fill(context);
    cairo_restore(context);
}

Canvas ContextOf(HDC dc)
{
    return dc != nullptr ? Canvas{dc->cairo, dc->scale} : Canvas{};
}

} // namespace Kestrune::Platform::Theme

#endif
