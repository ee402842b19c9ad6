#pragma once

namespace Kestrune::Platform
{

// Dialog units to pixels with the base units of "MS Sans Serif" 8 pt: an average character width
// of 6.02 pixels (a horizontal unit is a quarter of it) and a height of 13 pixels (a vertical unit
// is an eighth). Rounded to the nearest pixel like MulDiv, so 260 x 214 units are 391 x 348.
int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);

// a * b / c rounded to the nearest integer, halves away from zero; -1 when c is 0 or on overflow.
int RoundedMulDiv(int a, int b, int c);

} // namespace Kestrune::Platform
