// The same panel drawn by the headless backend of an instance built inside this process (the
// test links the library), for comparison with what the X11 backend shows.
#pragma once

#include <cairo.h>

namespace X11Test
{

// A fresh instance's panel right after opening at a scale factor, as an RGB24 image the caller
// destroys; null when the editor could not be opened.
cairo_surface_t* RenderHeadlessPanel(double scale = 1.0);

} // namespace X11Test
