// The panel's captions shown whole whatever face fontconfig gives: a caption cut off at its box
// leaves ink (a pixel darker than the face) in the box's last column, one fitted does not.
#pragma once

#include <cairo.h>

#include <algorithm>
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

} // namespace TestSupport
