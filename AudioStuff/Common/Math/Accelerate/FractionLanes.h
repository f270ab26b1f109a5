#pragma once

#include <cmath>
#include <emmintrin.h>

// x - trunc(x), the vector layer's `frac`, for blocks that fold it into a
// loop of their own: four lanes with SSE2 (any x86-64), and one value. Both
// give exactly the samples of SignalProcessing::frac for every float: the
// integer conversion covers |x| < 2^23, larger magnitudes are whole already
// (infinities give inf - inf = NaN, as with trunc, and NaN stays NaN), and
// the sign is copied so that values in (-1, 0] keep trunc's negative zero.
namespace FractionLanes
{
inline __m128 fractionalPart (__m128 x) noexcept
{
    const __m128 sign = _mm_set1_ps (-0.0f);
    const __m128 whole = _mm_cmpge_ps (_mm_andnot_ps (sign, x), _mm_set1_ps (8388608.0f));
    __m128 t = _mm_cvtepi32_ps (_mm_cvttps_epi32 (x));
    t = _mm_or_ps (t, _mm_and_ps (x, sign));
    t = _mm_or_ps (_mm_and_ps (whole, x), _mm_andnot_ps (whole, t));
    return _mm_sub_ps (x, t);
}

inline float fractionalPart (float x) noexcept
{
    return x - std::trunc (x);
}
} // namespace FractionLanes
