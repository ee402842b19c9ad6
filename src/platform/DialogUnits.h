#pragma once

namespace Kestrune::Platform
{

// Dialog units to pixels with the base units of "MS Sans Serif" 8 pt: an average character width
// of 6.02 pixels (a horizontal unit is a quarter of it) and a height of 13 pixels (a vertical unit
// is an eighth). Rounded to the nearest pixel like MulDiv, so 260 x 214 units are 391 x 348.
int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);

// A length of the 96-dpi layout at a panel scale factor, rounded to the nearest pixel (halves away
// from zero): 391 x 348 pixels are 587 x 522 at 1.5 and 782 x 696 at 2.
int ScalePixels(int pixels, double factor);
// The width of the layout's one-pixel lines at a factor: whole pixels (1 up to 1.75, 2 up to
// 2.75...), so edges stay sharp.
int LineWidth(double factor);
// Dialog units at a factor: the 96-dpi pixels scaled, so the layout at 2 is exactly twice the
// one at 1.
int DialogUnitsToPixelsX(int units, double factor);
int DialogUnitsToPixelsY(int units, double factor);

// a * b / c rounded to the nearest integer, halves away from zero; -1 when c is 0 or on overflow.
int RoundedMulDiv(int a, int b, int c);

} // namespace Kestrune::Platform
