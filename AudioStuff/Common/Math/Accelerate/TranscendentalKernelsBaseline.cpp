// Transcendental loops for any x86-64 CPU: four lanes through SLEEF's SSE
// dispatchers, which use SSE4.1 where the CPU has it.
#include "Math/Accelerate/TranscendentalKernels.h"

#include <emmintrin.h>
#include <sleef.h>

namespace
{
template <typename F>
void unary (const float* a, float* out, unsigned long n) noexcept
{
    unsigned long i = 0;
    for (; i + 4 <= n; i += 4)
        _mm_storeu_ps (out + i, F::call (_mm_loadu_ps (a + i)));
    if (i < n)
    {
        // The last few elements go through the same function so that every
        // element gets identical results whatever its position.
        alignas (16) float lanes[4] = { 0.0f, 0.0f, 0.0f, 0.0f };
        const unsigned long rest = n - i;
        for (unsigned long k = 0; k < rest; ++k)
            lanes[k] = a[i + k];
        _mm_store_ps (lanes, F::call (_mm_load_ps (lanes)));
        for (unsigned long k = 0; k < rest; ++k)
            out[i + k] = lanes[k];
    }
}

template <typename F>
void binary (const float* a, const float* b, float* out, unsigned long n) noexcept
{
    unsigned long i = 0;
    for (; i + 4 <= n; i += 4)
        _mm_storeu_ps (out + i, F::call (_mm_loadu_ps (a + i), _mm_loadu_ps (b + i)));
    if (i < n)
    {
        alignas (16) float lanesA[4] = { 1.0f, 1.0f, 1.0f, 1.0f };
        alignas (16) float lanesB[4] = { 1.0f, 1.0f, 1.0f, 1.0f };
        const unsigned long rest = n - i;
        for (unsigned long k = 0; k < rest; ++k)
        {
            lanesA[k] = a[i + k];
            lanesB[k] = b[i + k];
        }
        _mm_store_ps (lanesA, F::call (_mm_load_ps (lanesA), _mm_load_ps (lanesB)));
        for (unsigned long k = 0; k < rest; ++k)
            out[i + k] = lanesA[k];
    }
}

// SLEEF functions wrapped as types: vector types do not pass as template
// arguments of function-pointer type.
// cos, sin and tanh use SLEEF's 3.5-ulp kernels: two to three times faster
// than the 1-ulp ones, and their error (about 1e-7, -140 dB) is far below
// anything audible. They are on the audio path every sample (pitch windows,
// the voices' saturation, the oscillator).
struct Call_Sleef_cosf4_u35 { static __m128 call (__m128 x) noexcept { return Sleef_cosf4_u35 (x); } };
struct Call_Sleef_sinf4_u35 { static __m128 call (__m128 x) noexcept { return Sleef_sinf4_u35 (x); } };
struct Call_Sleef_tanhf4_u35 { static __m128 call (__m128 x) noexcept { return Sleef_tanhf4_u35 (x); } };
struct Call_Sleef_expf4_u10 { static __m128 call (__m128 x) noexcept { return Sleef_expf4_u10 (x); } };
struct Call_Sleef_logf4_u10 { static __m128 call (__m128 x) noexcept { return Sleef_logf4_u10 (x); } };
struct Call_Sleef_log10f4_u10 { static __m128 call (__m128 x) noexcept { return Sleef_log10f4_u10 (x); } };
struct Call_Sleef_truncf4 { static __m128 call (__m128 x) noexcept { return Sleef_truncf4 (x); } };
struct Call_Sleef_powf4_u10 { static __m128 call (__m128 x, __m128 y) noexcept { return Sleef_powf4_u10 (x, y); } };
// SLEEF's fmod is exact while the quotient fits a float and the divisor is
// normal; other lanes (huge quotients, subnormal or zero divisors, NaN and
// infinities) take libm's fmodf so that every lane matches libm.
struct Call_Sleef_fmodf4
{
    static __m128 call (__m128 x, __m128 y) noexcept
    {
        const __m128 r = Sleef_fmodf4 (x, y);
        const __m128 absMask = _mm_castsi128_ps (_mm_set1_epi32 (0x7fffffff));
        const __m128 ax = _mm_and_ps (x, absMask);
        const __m128 ay = _mm_and_ps (y, absMask);
        const __m128 sound = _mm_and_ps (_mm_cmplt_ps (ax, _mm_mul_ps (ay, _mm_set1_ps (0x1p100f))),
                                         _mm_cmpge_ps (ay, _mm_set1_ps (0x1p-126f)));
        if (_mm_movemask_ps (sound) == 0xf)
            return r;
        alignas (32) float xs[4], ys[4], rs[4];
        _mm_store_ps (xs, x);
        _mm_store_ps (ys, y);
        _mm_store_ps (rs, r);
        for (int k = 0; k < 4; ++k)
            rs[k] = __builtin_fmodf (xs[k], ys[k]);
        return _mm_load_ps (rs);
    }
};

const TranscendentalKernels::Table table {
    unary<Call_Sleef_cosf4_u35>,
    unary<Call_Sleef_sinf4_u35>,
    unary<Call_Sleef_tanhf4_u35>,
    unary<Call_Sleef_expf4_u10>,
    unary<Call_Sleef_logf4_u10>,
    unary<Call_Sleef_log10f4_u10>,
    unary<Call_Sleef_truncf4>,
    binary<Call_Sleef_powf4_u10>,
    binary<Call_Sleef_fmodf4>,
};
} // namespace

const TranscendentalKernels::Table& TranscendentalKernels::baseline() noexcept
{
    return table;
}
