// The panel's captions shown whole whatever face fontconfig gives: a caption cut off at its box
// leaves ink (a pixel darker than the face) in the box's last column, one fitted does not.
#pragma once

#include <cairo-ft.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace TestSupport
{

// Empty when every caption of a captured 96-dpi panel shows whole; else the first that does not.
inline std::string CaptionCutOff(cairo_surface_t* panel)
{
    // Text and box (dialog units) of the template's captions.
    static const struct
    {
        const char* text;
        int x, y, width;
    } captions[] = {{"Sync Resolution", 108, 48, 52}, {"Frequency", 150, 106, 34},
                    {"Feedback Level", 18, 41, 52},   {"Wet/Dry Mix", 22, 168, 41},
                    {"MIDI Source", 189, 48, 41},     {"Modulation Depth", 16, 74, 57},
                    {"Left Frequency", 22, 105, 48},  {"Right Frequency", 18, 138, 53},
                    {"Stage Mode", 106, 134, 40},     {"Mod Source", 192, 135, 40}};
    cairo_surface_flush(panel);
    const unsigned char* data = cairo_image_surface_get_data(panel);
    const int stride = cairo_image_surface_get_stride(panel);
    for (const auto& c : captions)
    {
        const int left = (c.x * 602 + 200) / 400, right = ((c.x + c.width) * 602 + 200) / 400;
        int inkRight = -1;
        for (int y = (c.y * 13 + 4) / 8; y < ((c.y + 8) * 13 + 4) / 8; ++y)
            for (int x = left; x < right; ++x)
                if (data[y * stride + 4 * x + 1] < 0xA0) // green: the face has 0xD0
                    inkRight = std::max(inkRight, x);
        if (inkRight == right - 1 || inkRight < (left + right) / 2)
            return std::string(c.text) + (inkRight < 0 ? " is missing" : " does not fit its box");
    }
    return {};
}

// The family fontconfig gives cairo for a face, and the one the run expects it to start with
// (CORVANE_EXPECT_FONT, set for the run with only DejaVu).
inline std::string FamilyFor(const char* face)
{
    cairo_font_face_t* toy =
        cairo_toy_font_face_create(face, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_matrix_t unit;
    cairo_matrix_init_identity(&unit);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_scaled_font_t* font = cairo_scaled_font_create(toy, &unit, &unit, options);
    FT_Face ft = cairo_ft_scaled_font_lock_face(font);
    const std::string family = ft != nullptr && ft->family_name != nullptr ? ft->family_name : "";
    cairo_ft_scaled_font_unlock_face(font);
    cairo_scaled_font_destroy(font);
    cairo_font_options_destroy(options);
    cairo_font_face_destroy(toy);
    return family;
}

inline std::string ExpectedFamily()
{
    const char* expected = std::getenv("CORVANE_EXPECT_FONT");
    return expected != nullptr ? expected : "";
}

} // namespace TestSupport
