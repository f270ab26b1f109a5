#include "Dynamics/DryWet.h"

#include "BlockSize.h"
#include "Math/Accelerate/SignalProcessing.h"
#include "Math/Memory.h"

#include <algorithm>
#include <immintrin.h>

namespace KarvonDSP
{
DryWet::DryWet()
    : mix (kMaxFramesPerBlock, 0.0f),
      dryGain (kMaxFramesPerBlock, 0.0f),
      wetGain (kMaxFramesPerBlock, 0.0f),
      exponent (kMaxFramesPerBlock, 1.5f)
{
}

void DryWet::process (const float* dry, const float* wet, float* out, unsigned long frames, const float* mixPercent) noexcept
{
    if (dry == nullptr || wet == nullptr || out == nullptr || mixPercent == nullptr)
        return;
    for (unsigned long offset = 0; offset < frames; offset += kMaxFramesPerBlock)
    {
        const unsigned long n = std::min (kMaxFramesPerBlock, frames - offset);
        processPiece (dry + offset, wet + offset, out + offset, n, mixPercent + offset);
    }
}

namespace
{
inline float limit (float v, float lo, float hi) noexcept
{
    v = v < lo ? lo : v;
    return v > hi ? hi : v;
}

// The same on four lanes: max (lo, v) is v < lo ? lo : v, min (hi, v) is
// v > hi ? hi : v, NaN passing through both as it does above.
inline __m128 limit (__m128 v, __m128 lo, __m128 hi) noexcept
{
    return _mm_min_ps (hi, _mm_max_ps (lo, v));
}

// The laws without the power curve in one pass, per sample in the order of
// the vector steps: m = clip(mix 0.01, 0, 1); linear: w = m, d = m (-1) + 1;
// two segments: w = clip(m 2, 0, 1), d = clip(m (-2) + 2, 0, 1); then
// out = dry d + (wet s) w, s the wet signal's scale (1 leaves it as it is:
// x 1 is exact). out may be dry or wet (each group of samples is read before
// it is written), but no other overlap.
// The same on eight lanes, for CPUs with AVX2 (no FMA: the same samples).
// Returns how many samples it took (a multiple of 8).
__attribute__ ((target ("avx2"))) unsigned long crossfadeAvx2 (const float* dry, const float* wet, float* out,
                                                              unsigned long n, const float* mixPercent, bool twoSegment,
                                                              float wetScale) noexcept
{
    const __m256 scale = _mm256_set1_ps (wetScale);
    const __m256 zero = _mm256_setzero_ps();
    const __m256 one = _mm256_set1_ps (1.0f);
    const __m256 two = _mm256_set1_ps (2.0f);
    const __m256 minusOne = _mm256_set1_ps (-1.0f);
    const __m256 minusTwo = _mm256_set1_ps (-2.0f);
    const __m256 percent = _mm256_set1_ps (0.01f);
    // max (lo, v) is v < lo ? lo : v and min (hi, v) is v > hi ? hi : v, NaN
    // passing through both, as in the four-lane form.
    unsigned long i = 0;
    for (; i + 8 <= n; i += 8)
    {
        const __m256 m = _mm256_min_ps (one, _mm256_max_ps (zero, _mm256_mul_ps (_mm256_loadu_ps (mixPercent + i), percent)));
        __m256 w, d;
        if (twoSegment)
        {
            w = _mm256_min_ps (one, _mm256_max_ps (zero, _mm256_mul_ps (m, two)));
            d = _mm256_min_ps (one, _mm256_max_ps (zero, _mm256_add_ps (_mm256_mul_ps (m, minusTwo), two)));
        }
        else
        {
            w = m;
            d = _mm256_add_ps (_mm256_mul_ps (m, minusOne), one);
        }
        const __m256 x = _mm256_loadu_ps (dry + i);
        const __m256 y = _mm256_mul_ps (_mm256_loadu_ps (wet + i), scale);
        _mm256_storeu_ps (out + i, _mm256_add_ps (_mm256_mul_ps (x, d), _mm256_mul_ps (y, w)));
    }
    return i;
}

// Chosen once when the library loads.
const bool useAvx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports ("avx2") != 0;
}();

void crossfade (const float* dry, const float* wet, float* out, unsigned long n, const float* mixPercent,
                bool twoSegment, float wetScale = 1.0f) noexcept
{
    unsigned long i = 0;
    if (useAvx2)
        i = crossfadeAvx2 (dry, wet, out, n, mixPercent, twoSegment, wetScale);
    const __m128 scale = _mm_set1_ps (wetScale);
    const __m128 zero = _mm_setzero_ps();
    const __m128 one = _mm_set1_ps (1.0f);
    const __m128 two = _mm_set1_ps (2.0f);
    const __m128 minusOne = _mm_set1_ps (-1.0f);
    const __m128 minusTwo = _mm_set1_ps (-2.0f);
    const __m128 percent = _mm_set1_ps (0.01f);
    for (; i + 4 <= n; i += 4)
    {
        const __m128 m = limit (_mm_mul_ps (_mm_loadu_ps (mixPercent + i), percent), zero, one);
        __m128 w, d;
        if (twoSegment)
        {
            w = limit (_mm_mul_ps (m, two), zero, one);
            d = limit (_mm_add_ps (_mm_mul_ps (m, minusTwo), two), zero, one);
        }
        else
        {
            w = m;
            d = _mm_add_ps (_mm_mul_ps (m, minusOne), one);
        }
        const __m128 x = _mm_loadu_ps (dry + i);
        const __m128 y = _mm_mul_ps (_mm_loadu_ps (wet + i), scale);
        _mm_storeu_ps (out + i, _mm_add_ps (_mm_mul_ps (x, d), _mm_mul_ps (y, w)));
    }
    for (; i < n; ++i)
    {
        const float m = limit (mixPercent[i] * 0.01f, 0.0f, 1.0f);
        const float w = twoSegment ? limit (m * 2.0f, 0.0f, 1.0f) : m;
        const float d = twoSegment ? limit (m * -2.0f + 2.0f, 0.0f, 1.0f) : m * -1.0f + 1.0f;
        out[i] = dry[i] * d + (wet[i] * wetScale) * w;
    }
}
} // namespace

void DryWet::processScaledWet (const float* dry, float* wet, float wetScale, float* out, unsigned long frames,
                               const float* mixPercent) noexcept
{
    if (dry == nullptr || wet == nullptr || out == nullptr || mixPercent == nullptr)
        return;
    // One pass when the result replaces the wet signal (the scaled copy is
    // then never seen) and the law has no separate power steps.
    if (out != wet || dry == wet || (twoSegment && usePower))
    {
        SignalProcessing::mul_s (wet, wetScale, wet, frames);
        process (dry, wet, out, frames, mixPercent);
        return;
    }
    for (unsigned long offset = 0; offset < frames; offset += kMaxFramesPerBlock)
    {
        const unsigned long n = std::min (kMaxFramesPerBlock, frames - offset);
        crossfade (dry + offset, wet + offset, out + offset, n, mixPercent + offset, twoSegment, wetScale);
    }
}

void DryWet::processPiece (const float* dry, const float* wet, float* out, unsigned long n, const float* mixPercent) noexcept
{
    if (! (twoSegment && usePower))
    {
        crossfade (dry, wet, out, n, mixPercent, twoSegment);
        return;
    }

    float* m = mix.data();
    float* d = dryGain.data();
    float* w = wetGain.data();

    SignalProcessing::mul_s (mixPercent, 0.01f, m, n);
    SignalProcessing::clip (m, 0.0f, 1.0f, m, n);

    if (twoSegment)
    {
        SignalProcessing::mul_s (m, 2.0f, w, n);
        SignalProcessing::clip (w, 0.0f, 1.0f, w, n);
        SignalProcessing::mul_s_add_s (m, -2.0f, 2.0f, d, n);
        SignalProcessing::clip (d, 0.0f, 1.0f, d, n);
        if (usePower)
        {
            SignalProcessing::pow (w, exponent.data(), w, n);
            SignalProcessing::pow (d, exponent.data(), d, n);
        }
    }
    else
    {
        Memory::copy (m, w, n);
        SignalProcessing::mul_s_add_s (m, -1.0f, 1.0f, d, n);
    }

    SignalProcessing::mul_mul_add (dry, d, wet, w, out, n);
}
} // namespace KarvonDSP
