#pragma once

#include <sleef.h>
#include <xmmintrin.h>

// The elementary functions the effect's vector maths computes (SLEEF's
// 3.5-ulp cos, sin and tanh, its 1-ulp functions for the rest), taken one
// value at a time. The C library's functions
// differ from them by one ulp in several percent of arguments, and the
// effect's low-frequency float sections (the voices' 40 Hz high-pass, the
// input filter) turn a single one-ulp difference into a difference of
// about -65 dB: a model that is to agree within -100 dB has to use the same
// elementary functions. SLEEF's four- and eight-lane functions give the same
// values, so this holds on every processor.
namespace ReferenceMaths
{
inline float lane (__m128 x)
{
    return _mm_cvtss_f32 (x);
}
inline float cos (float x)
{
    return lane (Sleef_cosf4_u35 (_mm_set1_ps (x)));
}
inline float sin (float x)
{
    return lane (Sleef_sinf4_u35 (_mm_set1_ps (x)));
}
inline float tanh (float x)
{
    return lane (Sleef_tanhf4_u35 (_mm_set1_ps (x)));
}
inline float exp (float x)
{
    return lane (Sleef_expf4_u10 (_mm_set1_ps (x)));
}
} // namespace ReferenceMaths
