// Transcendental loops for CPUs with AVX2 and FMA: eight lanes through SLEEF's
// AVX2 functions. This file is compiled with -mavx2 -mfma; nothing in it may be
// called before SignalProcessing has checked the CPU.
#include "Math/Accelerate/TranscendentalKernels.h"

#include <immintrin.h>
#include <sleef.h>

namespace
{
template <typename F>
void unary (const float* a, float* out, unsigned long n) noexcept
{
    unsigned long i = 0;
    for (; i + 8 <= n; i += 8)
        _mm256_storeu_ps (out + i, F::call (_mm256_loadu_ps (a + i)));
    if (i < n)
    {
        alignas (32) float lanes[8] = { 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f };
        const unsigned long rest = n - i;
        for (unsigned long k = 0; k < rest; ++k)
            lanes[k] = a[i + k];
        _mm256_store_ps (lanes, F::call (_mm256_load_ps (lanes)));
        for (unsigned long k = 0; k < rest; ++k)
            out[i + k] = lanes[k];
    }
}

template <typename F>
void binary (const float* a, const float* b, float* out, unsigned long n) noexcept
{
    unsigned long i = 0;
    for (; i + 8 <= n; i += 8)
        _mm256_storeu_ps (out + i, F::call (_mm256_loadu_ps (a + i), _mm256_loadu_ps (b + i)));
    if (i < n)
    {
        alignas (32) float lanesA[8] = { 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f };
        alignas (32) float lanesB[8] = { 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f };
        const unsigned long rest = n - i;
        for (unsigned long k = 0; k < rest; ++k)
        {
            lanesA[k] = a[i + k];
            lanesB[k] = b[i + k];
        }
        _mm256_store_ps (lanesA, F::call (_mm256_load_ps (lanesA), _mm256_load_ps (lanesB)));
        for (unsigned long k = 0; k < rest; ++k)
            out[i + k] = lanesA[k];
    }
}

__m256 truncate (__m256 x)
{
    return _mm256_round_ps (x, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
}

// SLEEF functions wrapped as types: vector types do not pass as template
// arguments of function-pointer type.
// cos, sin and tanh use SLEEF's 3.5-ulp kernels: two to three times faster
// than the 1-ulp ones, and their error (about 1e-7, -140 dB) is far below
// anything audible. They are on the audio path every sample (pitch windows,
// the voices' saturation, the oscillator).
struct Call_Sleef_cosf8_u35avx2 { static __m256 call (__m256 x) noexcept { return Sleef_cosf8_u35avx2 (x); } };
struct Call_Sleef_sinf8_u35avx2 { static __m256 call (__m256 x) noexcept { return Sleef_sinf8_u35avx2 (x); } };
struct Call_Sleef_tanhf8_u35avx2 { static __m256 call (__m256 x) noexcept { return Sleef_tanhf8_u35avx2 (x); } };
struct Call_Sleef_expf8_u10avx2 { static __m256 call (__m256 x) noexcept { return Sleef_expf8_u10avx2 (x); } };
struct Call_Sleef_logf8_u10avx2 { static __m256 call (__m256 x) noexcept { return Sleef_logf8_u10avx2 (x); } };
struct Call_Sleef_log10f8_u10avx2 { static __m256 call (__m256 x) noexcept { return Sleef_log10f8_u10avx2 (x); } };
struct Call_truncate { static __m256 call (__m256 x) noexcept { return truncate (x); } };
struct Call_Sleef_powf8_u10avx2 { static __m256 call (__m256 x, __m256 y) noexcept { return Sleef_powf8_u10avx2 (x, y); } };
// SLEEF's fmod is exact while the quotient fits a float and the divisor is
// normal; other lanes (huge quotients, subnormal or zero divisors, NaN and
// infinities) take libm's fmodf so that every lane matches libm.
struct Call_Sleef_fmodf8_avx2
{
    static __m256 call (__m256 x, __m256 y) noexcept
    {
        const __m256 r = Sleef_fmodf8_avx2 (x, y);
        const __m256 absMask = _mm256_castsi256_ps (_mm256_set1_epi32 (0x7fffffff));
        const __m256 ax = _mm256_and_ps (x, absMask);
        const __m256 ay = _mm256_and_ps (y, absMask);
        const __m256 sound = _mm256_and_ps (_mm256_cmp_ps (ax, _mm256_mul_ps (ay, _mm256_set1_ps (0x1p100f)), _CMP_LT_OQ),
                                            _mm256_cmp_ps (ay, _mm256_set1_ps (0x1p-126f), _CMP_GE_OQ));
        if (_mm256_movemask_ps (sound) == 0xff)
            return r;
        alignas (32) float xs[8], ys[8], rs[8];
        _mm256_store_ps (xs, x);
        _mm256_store_ps (ys, y);
        _mm256_store_ps (rs, r);
        for (int k = 0; k < 8; ++k)
            rs[k] = __builtin_fmodf (xs[k], ys[k]);
        return _mm256_load_ps (rs);
    }
};

const TranscendentalKernels::Table table {
    unary<Call_Sleef_cosf8_u35avx2>,
    unary<Call_Sleef_sinf8_u35avx2>,
    unary<Call_Sleef_tanhf8_u35avx2>,
    unary<Call_Sleef_expf8_u10avx2>,
    unary<Call_Sleef_logf8_u10avx2>,
    unary<Call_Sleef_log10f8_u10avx2>,
    unary<Call_truncate>,
    binary<Call_Sleef_powf8_u10avx2>,
    binary<Call_Sleef_fmodf8_avx2>,
};
} // namespace

const TranscendentalKernels::Table& TranscendentalKernels::avx2() noexcept
{
    return table;
}
