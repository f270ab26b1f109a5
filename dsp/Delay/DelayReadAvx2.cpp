// Compiled with -mavx2 but without -mfma: the interpolation must stay a
// separate multiply and add, as in the baseline loop, so that every CPU
// produces the same samples.
#include "Delay/DelayReadAvx2.h"

#include <cstdint>
#include <cstring>
#include <immintrin.h>

bool DelayReadAvx2::available() noexcept
{
    __builtin_cpu_init();
    return __builtin_cpu_supports ("avx2");
}

namespace
{
// The samples at[k] - 1 and at[k] of each lane, loaded as one 8-byte pair,
// sorted into the older (y1) and newer (y0) sample of every lane.
inline void pairs (const float* data, const int* at, __m256& y0, __m256& y1) noexcept
{
    auto pair = [data] (int position) {
        // memcpy: the pair need not be 8-byte aligned; this compiles to one load.
        std::uint64_t bits;
        std::memcpy (&bits, data + position - 1, sizeof bits);
        return _mm_castsi128_ps (_mm_cvtsi64_si128 (static_cast<long long> (bits)));
    };
    const __m128 a = _mm_movelh_ps (pair (at[0]), pair (at[1]));
    const __m128 b = _mm_movelh_ps (pair (at[2]), pair (at[3]));
    const __m128 c = _mm_movelh_ps (pair (at[4]), pair (at[5]));
    const __m128 d = _mm_movelh_ps (pair (at[6]), pair (at[7]));
    const __m256 low = _mm256_set_m128 (c, a);
    const __m256 high = _mm256_set_m128 (d, b);
    y1 = _mm256_shuffle_ps (low, high, _MM_SHUFFLE (2, 0, 2, 0));
    y0 = _mm256_shuffle_ps (low, high, _MM_SHUFFLE (3, 1, 3, 1));
}
// Every lane's position lies in [p0, p0 + 14], and the sixteen samples from
// p0 - 1 lie inside the storage.
inline bool nearby (__m256i p, int p0, int highestWindowStart) noexcept
{
    if (p0 > highestWindowStart)
        return false;
    const __m256i rel = _mm256_sub_epi32 (p, _mm256_set1_epi32 (p0));
    const __m256i outside = _mm256_or_si256 (_mm256_cmpgt_epi32 (rel, _mm256_set1_epi32 (14)),
                                             _mm256_cmpgt_epi32 (_mm256_setzero_si256(), rel));
    return _mm256_testz_si256 (outside, outside) != 0;
}

// Lane k gets element index[k] (0..15) of the sixteen floats lo, hi.
inline __m256 pick (__m256 lo, __m256 hi, __m256i index) noexcept
{
    const __m256 fromLo = _mm256_permutevar8x32_ps (lo, index);
    const __m256 fromHi = _mm256_permutevar8x32_ps (hi, index);
    return _mm256_blendv_ps (fromLo, fromHi, _mm256_castsi256_ps (_mm256_cmpgt_epi32 (index, _mm256_set1_epi32 (7))));
}
// The per-call constants of a linear read.
struct Reach
{
    __m256 unit, rate, low, high;
    __m256i first, wrap, lowest, highest;
    int highestWindowStart;

    Reach (float toSeconds, float sampleRate, float shortest, float longest, long base, long size) noexcept
        : unit (_mm256_set1_ps (toSeconds)),
          rate (_mm256_set1_ps (sampleRate)),
          low (_mm256_set1_ps (shortest)),
          high (_mm256_set1_ps (longest)),
          first (_mm256_add_epi32 (_mm256_set1_epi32 (static_cast<int> (base)), _mm256_setr_epi32 (0, 1, 2, 3, 4, 5, 6, 7))),
          wrap (_mm256_set1_epi32 (static_cast<int> (size))),
          lowest (_mm256_set1_epi32 (4)),
          highest (_mm256_set1_epi32 (static_cast<int> (size) + 3)),
          // Sixteen samples from position - 1 must stay inside the size + 4 floats.
          highestWindowStart (static_cast<int> (size) - 11)
    {
    }

    // Positions and fractions of samples i .. i + 7.
    inline __m256i positions (const float* time, unsigned long i, __m256& f) const noexcept
    {
        __m256 d = _mm256_mul_ps (_mm256_mul_ps (_mm256_loadu_ps (time + i), unit), rate);
        d = _mm256_max_ps (low, d); // d < shortest ? shortest : d (NaN stays)
        d = _mm256_min_ps (high, d); // d > longest ? longest : d (NaN stays)
        d = _mm256_blendv_ps (low, d, _mm256_cmp_ps (d, low, _CMP_GE_OQ));

        const __m256i whole = _mm256_cvttps_epi32 (d);
        f = _mm256_sub_ps (d, _mm256_cvtepi32_ps (whole));

        __m256i p = _mm256_sub_epi32 (_mm256_add_epi32 (first, _mm256_set1_epi32 (static_cast<int> (i))), whole);
        p = _mm256_add_epi32 (p, _mm256_and_si256 (_mm256_cmpgt_epi32 (lowest, p), wrap));
        return _mm256_min_epi32 (_mm256_max_epi32 (p, lowest), highest);
    }

    // The interpolated samples at positions p with fractions f.
    inline __m256 taps (const float* data, __m256i p, __m256 f) const noexcept
    {
        __m256 y0, y1;
        const int p0 = _mm_cvtsi128_si32 (_mm256_castsi256_si128 (p));
        const __m256i run = _mm256_add_epi32 (_mm256_set1_epi32 (p0), _mm256_setr_epi32 (0, 1, 2, 3, 4, 5, 6, 7));
        if (_mm256_movemask_epi8 (_mm256_cmpeq_epi32 (p, run)) == -1)
        {
            // The eight positions follow each other (a delay that holds or
            // moves slowly): two plain vector loads read the same samples.
            y0 = _mm256_loadu_ps (data + p0);
            y1 = _mm256_loadu_ps (data + p0 - 1);
        }
        else if (nearby (p, p0, highestWindowStart))
        {
            // The eight positions lie within fifteen samples after the first
            // (a tap sweeping at up to twice the speed of the signal, as a
            // pitch shifter's do): two vector loads hold all their samples,
            // and each lane picks its two.
            const __m256i rel = _mm256_sub_epi32 (p, _mm256_set1_epi32 (p0));
            const __m256 lo = _mm256_loadu_ps (data + p0 - 1);
            const __m256 hi = _mm256_loadu_ps (data + p0 + 7);
            y1 = pick (lo, hi, rel);
            y0 = pick (lo, hi, _mm256_add_epi32 (rel, _mm256_set1_epi32 (1)));
        }
        else
        {
            // Plain loads, one pair of neighbouring samples at a time: on
            // current CPUs these beat gathers.
            alignas (32) int at[8];
            _mm256_store_si256 (reinterpret_cast<__m256i*> (at), p);
            pairs (data, at, y0, y1);
        }
        return _mm256_add_ps (_mm256_mul_ps (f, _mm256_sub_ps (y1, y0)), y0);
    }
};

// Group storages read at one set of times: the positions are found once per
// eight samples. The group's storages are read side by side and the next
// group after it, so that only a few storages stream through the caches at a
// time. G storages (1 or 2 keep their pointers in registers), or `count`.
template <int G>
void readGroup (const Reach& reach, const float* time, const float* const* data, float* const* out, int count,
                unsigned long n) noexcept
{
    const int storages = G > 0 ? G : count;
    for (unsigned long i = 0; i + 8 <= n; i += 8)
    {
        __m256 f;
        const __m256i p = reach.positions (time, i, f);
        for (int k = 0; k < storages; ++k)
            _mm256_storeu_ps (out[k] + i, reach.taps (data[k], p, f));
    }
}
} // namespace

unsigned long DelayReadAvx2::readLinear (const float* time, float toSeconds, float* out, const float* data, long base,
                                         long size, float sampleRate, float shortest, float longest, unsigned long n) noexcept
{
    // 32-bit lanes: storage sizes and block lengths stay far below 2^31.
    if (n >= (1UL << 30) || size >= (1L << 30))
        return 0;

    readGroup<1> (Reach (toSeconds, sampleRate, shortest, longest, base, size), time, &data, &out, 1, n);
    return n / 8 * 8;
}

unsigned long DelayReadAvx2::readWindowedTaps (const float* timeA, const float* timeB, const float* weightA,
                                               const float* weightB, const float* const* data, float* const* out,
                                               int channels, long base, long size, float sampleRate, float shortest,
                                               float longest, unsigned long n) noexcept
{
    if (n >= (1UL << 30) || size >= (1L << 30) || channels < 1 || channels > 2)
        return 0;

    // Times in seconds: x 1 is exact, as in the reader's own path.
    const Reach reach (1.0f, sampleRate, shortest, longest, base, size);
    unsigned long i = 0;
    for (; i + 8 <= n; i += 8)
    {
        __m256 fA, fB;
        const __m256i pA = reach.positions (timeA, i, fA);
        const __m256i pB = reach.positions (timeB, i, fB);
        const __m256 wA = _mm256_loadu_ps (weightA + i);
        const __m256 wB = _mm256_loadu_ps (weightB + i);
        for (int c = 0; c < channels; ++c)
        {
            const __m256 a = reach.taps (data[c], pA, fA);
            const __m256 b = reach.taps (data[c], pB, fB);
            _mm256_storeu_ps (out[c] + i, _mm256_add_ps (_mm256_mul_ps (wA, a), _mm256_mul_ps (wB, b)));
        }
    }
    return i;
}

unsigned long DelayReadAvx2::readLinearMany (const float* const* time, float toSeconds, float* const* out,
                                             const float* const* data, int count, long base, long size, float sampleRate,
                                             float shortest, float longest, unsigned long n) noexcept
{
    if (n >= (1UL << 30) || size >= (1L << 30) || count < 1 || count > kMostLines)
        return 0;

    const Reach reach (toSeconds, sampleRate, shortest, longest, base, size);
    for (int first = 0; first < count;)
    {
        // Storages next to each other at the same times share their positions.
        int end = first + 1;
        while (end < count && time[end] == time[first])
            ++end;
        const int group = end - first;
        if (group == 1)
            readGroup<1> (reach, time[first], data + first, out + first, group, n);
        else if (group == 2)
            readGroup<2> (reach, time[first], data + first, out + first, group, n);
        else
            readGroup<0> (reach, time[first], data + first, out + first, group, n);
        first = end;
    }
    return n / 8 * 8;
}
