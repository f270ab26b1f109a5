#include "Math/Accelerate/BiquadHistory.h"

#include <cmath>
#include <emmintrin.h>

namespace
{
// The history keeps values whose magnitude lies strictly between 1e-15 and
// 1e15 (taken in double precision); it zeroes denormal-small values,
// blow-ups, infinities and NaN. Neither bound is a float, so for a float
// magnitude m: m > 1e-15 exactly when m > the largest float below 1e-15, and
// m < 1e15 exactly when m < the smallest float above 1e15. With these two
// float bounds the four values are tested at once.
float floatBelow (double bound) noexcept
{
    float f = static_cast<float> (bound);
    if (static_cast<double> (f) >= bound)
        f = std::nextafter (f, 0.0f);
    return f;
}

float floatAbove (double bound) noexcept
{
    float f = static_cast<float> (bound);
    if (static_cast<double> (f) <= bound)
        f = std::nextafter (f, HUGE_VALF);
    return f;
}

const float kAboveSmallest = floatBelow (1e-15);
const float kBelowLargest = floatAbove (1e15);
} // namespace

void BiquadHistory::clear() noexcept
{
    x1 = x2 = y1 = y2 = 0.0f;
}

void BiquadHistory::clearBadStateValue() noexcept
{
    const __m128 v = _mm_setr_ps (x1, x2, y1, y2);
    const __m128 m = _mm_andnot_ps (_mm_set1_ps (-0.0f), v);
    // Ordered comparisons: NaN fails both.
    const __m128 sound = _mm_and_ps (_mm_cmpgt_ps (m, _mm_set1_ps (kAboveSmallest)), _mm_cmplt_ps (m, _mm_set1_ps (kBelowLargest)));
    alignas (16) float kept[4];
    _mm_store_ps (kept, _mm_and_ps (sound, v));
    x1 = kept[0];
    x2 = kept[1];
    y1 = kept[2];
    y2 = kept[3];
}
