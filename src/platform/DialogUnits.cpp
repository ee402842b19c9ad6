#include "platform/DialogUnits.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace Kestrune::Platform
{
namespace
{

constexpr int kBaseUnitXHundredths = 602;
constexpr int kBaseUnitY = 13;

} // namespace

int RoundedMulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t magnitude = product < 0 ? -product : product;
    const std::int64_t divisor = c < 0 ? -static_cast<std::int64_t>(c) : c;
    const std::int64_t quotient = (magnitude + divisor / 2) / divisor;
    if (quotient > std::numeric_limits<int>::max())
        return -1;
    return static_cast<int>(negative ? -quotient : quotient);
}

int DialogUnitsToPixelsX(int units)
{
    return RoundedMulDiv(units, kBaseUnitXHundredths, 400);
}

int DialogUnitsToPixelsY(int units)
{
    return RoundedMulDiv(units, kBaseUnitY, 8);
}

int ScalePixels(int pixels, double factor)
{
    return factor == 1.0 ? pixels : static_cast<int>(std::lround(pixels * factor));
}

int LineWidth(double factor)
{
    return factor < 2.0 ? 1 : static_cast<int>(factor);
}

int DialogUnitsToPixelsX(int units, double factor)
{
    return ScalePixels(DialogUnitsToPixelsX(units), factor);
}

int DialogUnitsToPixelsY(int units, double factor)
{
    return ScalePixels(DialogUnitsToPixelsY(units), factor);
}

} // namespace Kestrune::Platform
