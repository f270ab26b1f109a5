#include "Math/Accelerate/BiquadEightAvx2.h"

#include <immintrin.h>

bool BiquadEightAvx2::available() noexcept
{
    __builtin_cpu_init();
    return __builtin_cpu_supports ("avx2");
}

namespace
{
// Rows r[j] (eight samples of section j) become columns (sample s of the
// eight sections), and back: the transpose is its own inverse.
inline void transpose (__m256 (&r)[8]) noexcept
{
    const __m256 t0 = _mm256_unpacklo_ps (r[0], r[1]);
    const __m256 t1 = _mm256_unpackhi_ps (r[0], r[1]);
    const __m256 t2 = _mm256_unpacklo_ps (r[2], r[3]);
    const __m256 t3 = _mm256_unpackhi_ps (r[2], r[3]);
    const __m256 t4 = _mm256_unpacklo_ps (r[4], r[5]);
    const __m256 t5 = _mm256_unpackhi_ps (r[4], r[5]);
    const __m256 t6 = _mm256_unpacklo_ps (r[6], r[7]);
    const __m256 t7 = _mm256_unpackhi_ps (r[6], r[7]);
    const __m256 s0 = _mm256_shuffle_ps (t0, t2, _MM_SHUFFLE (1, 0, 1, 0));
    const __m256 s1 = _mm256_shuffle_ps (t0, t2, _MM_SHUFFLE (3, 2, 3, 2));
    const __m256 s2 = _mm256_shuffle_ps (t1, t3, _MM_SHUFFLE (1, 0, 1, 0));
    const __m256 s3 = _mm256_shuffle_ps (t1, t3, _MM_SHUFFLE (3, 2, 3, 2));
    const __m256 s4 = _mm256_shuffle_ps (t4, t6, _MM_SHUFFLE (1, 0, 1, 0));
    const __m256 s5 = _mm256_shuffle_ps (t4, t6, _MM_SHUFFLE (3, 2, 3, 2));
    const __m256 s6 = _mm256_shuffle_ps (t5, t7, _MM_SHUFFLE (1, 0, 1, 0));
    const __m256 s7 = _mm256_shuffle_ps (t5, t7, _MM_SHUFFLE (3, 2, 3, 2));
    r[0] = _mm256_permute2f128_ps (s0, s4, 0x20);
    r[1] = _mm256_permute2f128_ps (s1, s5, 0x20);
    r[2] = _mm256_permute2f128_ps (s2, s6, 0x20);
    r[3] = _mm256_permute2f128_ps (s3, s7, 0x20);
    r[4] = _mm256_permute2f128_ps (s0, s4, 0x31);
    r[5] = _mm256_permute2f128_ps (s1, s5, 0x31);
    r[6] = _mm256_permute2f128_ps (s2, s6, 0x31);
    r[7] = _mm256_permute2f128_ps (s3, s7, 0x31);
}

// The baseline's step in eight lanes, its operations in the same order: the
// feed-forward terms and the older output first, then the one multiply and
// subtraction that wait for the previous output.
struct Lanes
{
    __m256 b0, b1, b2, a1, a2;
    __m256 x1, x2, y1, y2;

    inline __m256 step (__m256 x) noexcept
    {
        __m256 partial = _mm256_add_ps (_mm256_mul_ps (b0, x), _mm256_mul_ps (b1, x1));
        partial = _mm256_add_ps (partial, _mm256_mul_ps (b2, x2));
        partial = _mm256_sub_ps (partial, _mm256_mul_ps (a2, y2));
        const __m256 y = _mm256_sub_ps (partial, _mm256_mul_ps (a1, y1));
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

template <typename Get>
inline __m256 gather (Get get) noexcept
{
    return _mm256_setr_ps (get (0), get (1), get (2), get (3), get (4), get (5), get (6), get (7));
}
} // namespace

void BiquadEightAvx2::process (const float* const* in, const float* const* c, float* const* out, unsigned long n,
                               BiquadHistory* const* state) noexcept
{
    Lanes s {
        gather ([c] (int j) { return c[j][0]; }),       gather ([c] (int j) { return c[j][1]; }),
        gather ([c] (int j) { return c[j][2]; }),       gather ([c] (int j) { return c[j][3]; }),
        gather ([c] (int j) { return c[j][4]; }),       gather ([state] (int j) { return state[j]->x1; }),
        gather ([state] (int j) { return state[j]->x2; }), gather ([state] (int j) { return state[j]->y1; }),
        gather ([state] (int j) { return state[j]->y2; }),
    };

    unsigned long k = 0;
    for (; k + 8 <= n; k += 8)
    {
        __m256 r[8];
        for (int j = 0; j < 8; ++j)
            r[j] = _mm256_loadu_ps (in[j] + k);
        transpose (r);
        for (int t = 0; t < 8; ++t)
            r[t] = s.step (r[t]);
        transpose (r);
        for (int j = 0; j < 8; ++j)
            _mm256_storeu_ps (out[j] + k, r[j]);
    }
    for (; k < n; ++k)
    {
        alignas (32) float y[8];
        _mm256_store_ps (y, s.step (gather ([in, k] (int j) { return in[j][k]; })));
        for (int j = 0; j < 8; ++j)
            out[j][k] = y[j];
    }

    alignas (32) float x1[8], x2[8], y1[8], y2[8];
    _mm256_store_ps (x1, s.x1);
    _mm256_store_ps (x2, s.x2);
    _mm256_store_ps (y1, s.y1);
    _mm256_store_ps (y2, s.y2);
    for (int j = 0; j < 8; ++j)
    {
        state[j]->x1 = x1[j];
        state[j]->x2 = x2[j];
        state[j]->y1 = y1[j];
        state[j]->y2 = y2[j];
    }
}
