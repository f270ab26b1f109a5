#include "Math/Accelerate/BiquadHistory.h"

#include <cmath>

namespace
{
// Keeps values whose magnitude lies strictly between 1e-15 and 1e15; zeroes
// denormal-small values, blow-ups, infinities and NaN (which fails both tests).
float keepIfSound (float v) noexcept
{
    const double m = std::fabs (static_cast<double> (v));
    return (m > 1e-15 && m < 1e15) ? v : 0.0f;
}
} // namespace

void BiquadHistory::clear() noexcept
{
    x1 = x2 = y1 = y2 = 0.0f;
}

void BiquadHistory::clearBadStateValue() noexcept
{
    x1 = keepIfSound (x1);
    x2 = keepIfSound (x2);
    y1 = keepIfSound (y1);
    y2 = keepIfSound (y2);
}
