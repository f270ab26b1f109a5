// Compiled with -mavx2 but without -mfma: every multiply and add stays a
// separate, rounded step, as in the blocks' own loops, so that every CPU
// renders the same samples.
#include "Modulation/PhaseRampsAvx2.h"

#include <immintrin.h>

namespace
{
// x - trunc(x): the rounding instruction truncates exactly, for every float.
inline __m256 fractionalPart (__m256 x) noexcept
{
    return _mm256_sub_ps (x, _mm256_round_ps (x, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC));
}

inline float lastLane (__m256 v) noexcept
{
    const __m128 high = _mm256_extractf128_ps (v, 1);
    return _mm_cvtss_f32 (_mm_shuffle_ps (high, high, _MM_SHUFFLE (3, 3, 3, 3)));
}

// The sample index must convert to float exactly.
constexpr unsigned long kLongest = 1UL << 24;
} // namespace

bool PhaseRampsAvx2::available() noexcept
{
    __builtin_cpu_init();
    return __builtin_cpu_supports ("avx2");
}

unsigned long PhaseRampsAvx2::windowPhases (float phase, float inc, const float* window, float shortest, float halfTurn,
                                            float* pA, float* pB, float* dA, float* dB, unsigned long n, unsigned long first,
                                            float& last) noexcept
{
    if (n + first >= kLongest)
        return 0;
    const __m256 start = _mm256_set1_ps (phase);
    const __m256 step = _mm256_set1_ps (inc);
    const __m256 one = _mm256_set1_ps (1.0f);
    const __m256 oneAndHalf = _mm256_set1_ps (0.5f + 1.0f);
    const __m256 milli = _mm256_set1_ps (0.001f);
    const __m256 offset = _mm256_set1_ps (shortest);
    const __m256 minusHalf = _mm256_set1_ps (-0.5f);
    const __m256 turn = _mm256_set1_ps (halfTurn);
    __m256i index = _mm256_add_epi32 (_mm256_set1_epi32 (static_cast<int> (first)), _mm256_setr_epi32 (0, 1, 2, 3, 4, 5, 6, 7));
    unsigned long i = 0;
    for (; i + 8 <= n; i += 8)
    {
        const __m256 unfolded = fractionalPart (_mm256_add_ps (start, _mm256_mul_ps (_mm256_cvtepi32_ps (index), step)));
        index = _mm256_add_epi32 (index, _mm256_set1_epi32 (8));
        const __m256 a = fractionalPart (_mm256_add_ps (unfolded, one));
        const __m256 b = fractionalPart (_mm256_add_ps (a, oneAndHalf));
        const __m256 w = _mm256_loadu_ps (window + i);
        _mm256_storeu_ps (dA + i, _mm256_add_ps (_mm256_mul_ps (_mm256_mul_ps (a, w), milli), offset));
        _mm256_storeu_ps (dB + i, _mm256_add_ps (_mm256_mul_ps (_mm256_mul_ps (b, w), milli), offset));
        _mm256_storeu_ps (pA + i, _mm256_mul_ps (_mm256_add_ps (a, minusHalf), turn));
        _mm256_storeu_ps (pB + i, _mm256_mul_ps (_mm256_add_ps (b, minusHalf), turn));
        if (i + 8 == n)
            last = lastLane (unfolded);
    }
    return i;
}

unsigned long PhaseRampsAvx2::oscillatorPhases (float phase, float step, const float* phaseOffset, bool sineArgument,
                                                float twoPi, float minusHalfPi, float* out, unsigned long n,
                                                float& last) noexcept
{
    if (n >= kLongest)
        return 0;
    const __m256 start = _mm256_set1_ps (phase);
    const __m256 increment = _mm256_set1_ps (step);
    const __m256 one = _mm256_set1_ps (1.0f);
    const __m256 turn = _mm256_set1_ps (twoPi);
    const __m256 quarter = _mm256_set1_ps (minusHalfPi);
    __m256i index = _mm256_setr_epi32 (0, 1, 2, 3, 4, 5, 6, 7);
    unsigned long i = 0;
    for (; i + 8 <= n; i += 8)
    {
        const __m256 unfolded = fractionalPart (_mm256_add_ps (start, _mm256_mul_ps (_mm256_cvtepi32_ps (index), increment)));
        index = _mm256_add_epi32 (index, _mm256_set1_epi32 (8));
        __m256 p = unfolded;
        if (phaseOffset != nullptr)
            p = fractionalPart (_mm256_add_ps (_mm256_add_ps (p, _mm256_loadu_ps (phaseOffset + i)), one));
        if (sineArgument)
            p = _mm256_add_ps (_mm256_mul_ps (p, turn), quarter);
        _mm256_storeu_ps (out + i, p);
        if (i + 8 == n)
            last = lastLane (unfolded);
    }
    return i;
}
