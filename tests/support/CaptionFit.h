// The panel's captions shown whole, whatever face fontconfig gives for the one the panel asks
// for. A caption cut off at its box leaves ink in the box's last column; one drawn whole does not.
#pragma once

#include <cairo-ft.h>
#include <cairo.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace TestSupport
{

// The captions of the panel's template: text and box in dialog units.
struct CaptionBox
{
    const char* text;
    int x, y, width, height;
};

inline constexpr CaptionBox kPanelCaptions[] = {
    {"Sync Resolution", 108, 48, 52, 8}, {"Frequency", 150, 106, 34, 8},
    {"Feedback Level", 18, 41, 52, 8},   {"Wet/Dry Mix", 22, 168, 41, 8},
    {"MIDI Source", 189, 48, 41, 8},     {"Modulation Depth", 16, 74, 57, 8},
    {"Left Frequency", 22, 105, 48, 8},  {"Right Frequency", 18, 138, 53, 8},
    {"Stage Mode", 106, 134, 40, 8},     {"Mod Source", 192, 135, 40, 8}};

// Whether a pixel of a captured panel (RGB24 or ARGB32) is text rather than the dialog's face.
inline bool IsInk(cairo_surface_t* image, int x, int y)
{
    const unsigned char* row =
        cairo_image_surface_get_data(image) + y * cairo_image_surface_get_stride(image);
    const std::uint32_t pixel = reinterpret_cast<const std::uint32_t*>(row)[x] & 0xFFFFFFu;
    return ((pixel >> 8) & 0xFF) < 0xA0; // green: the face is 0xD0, text is dark
}

// Empty when every caption of a 96-dpi panel shows whole; else the first that does not.
inline std::string CaptionCutOff(cairo_surface_t* panel)
{
    cairo_surface_flush(panel);
    for (const CaptionBox& caption : kPanelCaptions)
    {
        const int left = (caption.x * 602 + 200) / 400;
        const int right = ((caption.x + caption.width) * 602 + 200) / 400;
        const int top = (caption.y * 13 + 4) / 8;
        const int bottom = ((caption.y + caption.height) * 13 + 4) / 8;
        int inkRight = -1;
        for (int x = left; x < right; ++x)
            for (int y = top; y < bottom; ++y)
                inkRight = IsInk(panel, x, y) ? x : inkRight;
        if (inkRight == right - 1)
            return std::string(caption.text) + " is cut off at its box";
        if (inkRight < left + (right - left) / 2)
            return std::string(caption.text) + " is missing or shrunk below half its box";
    }
    return {};
}

// The family fontconfig gives cairo for a face name.
inline std::string FamilyFor(const char* face)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    cairo_t* cr = cairo_create(surface);
    cairo_select_font_face(cr, face, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    std::string family;
    cairo_scaled_font_t* font = cairo_get_scaled_font(cr);
    if (cairo_scaled_font_get_type(font) == CAIRO_FONT_TYPE_FT)
    {
        FT_Face ft = cairo_ft_scaled_font_lock_face(font);
        family = ft != nullptr && ft->family_name != nullptr ? ft->family_name : "";
        cairo_ft_scaled_font_unlock_face(font);
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return family;
}

// What the run expects of that family: CORVANE_EXPECT_FONT (set by the run with a fontconfig
// file that offers only DejaVu), else nothing.
inline const char* ExpectedFamily()
{
    const char* expected = std::getenv("CORVANE_EXPECT_FONT");
    return expected != nullptr ? expected : "";
}

} // namespace TestSupport
