#include "Delay/DelayRead.h"

#include "Delay/DelayReadAvx2.h"

#include "Math/Accelerate/SignalProcessing.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <emmintrin.h>

namespace
{
constexpr unsigned long kReadOffset = 64;
// The longest delay leaves the read offset plus the four-point kernel inside
// the storage, so even a short block never reads samples already overwritten.
constexpr unsigned long kShortestMargin = kReadOffset + 4;
constexpr float kSixth = 0.1666667f;

// Chosen once when the library loads.
const bool useAvx2 = DelayReadAvx2::available();

// The delay of one sample in samples, limited to [shortest, longest]; NaN
// reads at the shortest delay. The time is in units of toSeconds seconds
// (1 for seconds; x 1 is exact, so seconds take the same path).
inline float delayInSamples (float time, float toSeconds, float sampleRate, float shortest, float longest) noexcept
{
    float samples = (time * toSeconds) * sampleRate;
    samples = samples < shortest ? shortest : samples;
    samples = samples > longest ? longest : samples;
    return samples >= shortest ? samples : shortest;
}

// Index of the newest of the taps of sample i: W + i - 64 - D. Positions
// below 4 wrap once, the guard samples covering the few that then reach past
// the end; the clamp only guards against a corrupt write position.
inline long tapPosition (long base, unsigned long i, long whole, long size) noexcept
{
    long position = base + static_cast<long> (i) - whole;
    if (position < 4)
        position += size;
    return std::clamp (position, 4L, size + 3);
}

// Four consecutive samples i..i+3 at once: the same clipping, truncation and
// wrap as delayInSamples and tapPosition, in 32-bit lanes (storage sizes stay
// far below 2^31). The positions go to `positions`, the fractions are returned.
struct FourPositions
{
    __m128 unit, rate, shortest, longest;
    __m128i base, size, lowest, highest;

    FourPositions (float toSeconds, float sampleRate, float shortestDelay, float longestDelay, long basePosition,
                   long storageSize) noexcept
        : unit (_mm_set1_ps (toSeconds)),
          rate (_mm_set1_ps (sampleRate)),
          shortest (_mm_set1_ps (shortestDelay)),
          longest (_mm_set1_ps (longestDelay)),
          base (_mm_add_epi32 (_mm_set1_epi32 (static_cast<int> (basePosition)), _mm_setr_epi32 (0, 1, 2, 3))),
          size (_mm_set1_epi32 (static_cast<int> (storageSize))),
          lowest (_mm_set1_epi32 (4)),
          highest (_mm_set1_epi32 (static_cast<int> (storageSize) + 3))
    {
    }

    inline __m128 compute (const float* time, int i, int* positions) const noexcept
    {
        __m128 d = _mm_mul_ps (_mm_mul_ps (_mm_loadu_ps (time + i), unit), rate);
        d = _mm_max_ps (shortest, d); // d < shortest ? shortest : d (NaN stays)
        d = _mm_min_ps (longest, d);  // d > longest ? longest : d (NaN stays)
        const __m128 sound = _mm_cmpge_ps (d, shortest);
        d = _mm_or_ps (_mm_and_ps (sound, d), _mm_andnot_ps (sound, shortest));

        const __m128i whole = _mm_cvttps_epi32 (d);
        const __m128 f = _mm_sub_ps (d, _mm_cvtepi32_ps (whole));

        __m128i p = _mm_sub_epi32 (_mm_add_epi32 (base, _mm_set1_epi32 (i)), whole);
        p = _mm_add_epi32 (p, _mm_and_si128 (_mm_cmplt_epi32 (p, lowest), size));
        const __m128i low = _mm_cmplt_epi32 (p, lowest);
        p = _mm_or_si128 (_mm_and_si128 (low, lowest), _mm_andnot_si128 (low, p));
        const __m128i high = _mm_cmpgt_epi32 (p, highest);
        p = _mm_or_si128 (_mm_and_si128 (high, highest), _mm_andnot_si128 (high, p));
        _mm_storeu_si128 (reinterpret_cast<__m128i*> (positions), p);
        return f;
    }
};

// data[position - 1] and data[position] in the two low lanes.
inline __m128 pair (const float* data, int position) noexcept
{
    // memcpy: the pair need not be 8-byte aligned; this compiles to one load.
    std::uint64_t bits;
    std::memcpy (&bits, data + position - 1, sizeof bits);
    return _mm_castsi128_ps (_mm_cvtsi64_si128 (static_cast<long long> (bits)));
}

// Blocks longer than this (never in practice) take the scalar loop throughout.
constexpr unsigned long kLongestVectorBlock = 1UL << 30;
} // namespace

void DelayRead::process (const float* timeSeconds, float* out, const DelayWrite& w, unsigned long n) noexcept
{
    read (timeSeconds, 1.0f, out, w, n, false);
}

void DelayRead::processMilliseconds (const float* timeMs, float* out, const DelayWrite& w, unsigned long n) noexcept
{
    read (timeMs, 0.001f, out, w, n, false);
}

void DelayRead::processAfterWrite (const float* timeSeconds, float* out, const DelayWrite& w, unsigned long n) noexcept
{
    read (timeSeconds, 1.0f, out, w, n, true);
}

void DelayRead::processMillisecondsAfterWrite (const float* timeMs, float* out, const DelayWrite& w, unsigned long n) noexcept
{
    read (timeMs, 0.001f, out, w, n, true);
}

DelayRead::Reach DelayRead::reachFor (const DelayWrite& w, unsigned long n, bool afterWrite) noexcept
{
    // Sample i of the block sits at base + i - delay. Before the write the
    // block is not stored yet: the read keeps the fixed offset behind the
    // write position, and the delay must reach back past the block's own
    // samples (n - 64 of them), never less than the constant floor. After
    // the write sample i itself is the newest sample at delay 0. Either way
    // the longest delay leaves the four-point kernel inside the storage, so
    // no read meets samples already overwritten.
    const auto size = static_cast<unsigned long> (w.size);
    Reach r { 0, 0.0f, 0.0f };
    if (afterWrite)
    {
        r.base = static_cast<long> (w.writeIndex) - static_cast<long> (n);
        // Constant for every block up to the floor's length, as the shortest is.
        const unsigned long reach = std::max (n, kLoopFloor) + 4;
        r.longest = size > reach ? static_cast<float> (size - reach) : 0.0f;
    }
    else
    {
        r.base = static_cast<long> (w.writeIndex) - static_cast<long> (kReadOffset);
        r.shortest = static_cast<float> (std::max (kLoopFloor, n > kReadOffset ? n - kReadOffset : 0UL));
        r.longest = size > kShortestMargin ? static_cast<float> (size - kShortestMargin) : 0.0f;
    }
    r.longest = std::max (r.longest, r.shortest);
    return r;
}

bool DelayRead::onePass (const DelayWrite* const* storages, int count, unsigned long n, const float** data) const noexcept
{
    if (! useAvx2 || interpolationMode != Linear || n == 0 || n % 8 != 0 || count < 1)
        return false;
    const DelayWrite& first = *storages[0];
    for (int k = 0; k < count; ++k)
    {
        const DelayWrite& w = *storages[k];
        if (w.size <= 0 || w.buffer.size() < static_cast<std::size_t> (w.size) + 4 || w.size != first.size
            || w.writeIndex != first.writeIndex)
            return false;
        data[k] = w.buffer.data();
    }
    return true;
}

bool DelayRead::processWindowedTapsAfterWrite (const float* timeA, const float* timeB, const float* weightA,
                                               const float* weightB, const DelayWrite* const* storages, float* const* out,
                                               int channels, unsigned long n) noexcept
{
    const float* data[2] = { nullptr, nullptr };
    if (channels > 2 || ! onePass (storages, channels, n, data))
        return false;
    const DelayWrite& first = *storages[0];
    const auto [base, shortest, longest] = reachFor (first, n, true);
    return DelayReadAvx2::readWindowedTaps (timeA, timeB, weightA, weightB, data, out, channels, base, first.size,
                                            sampleRate, shortest, longest, n)
           == n;
}

bool DelayRead::processMillisecondsAlike (const float* const* timeMs, float* const* out, const DelayWrite* const* storages,
                                          int count, unsigned long n) noexcept
{
    return readAlike (timeMs, out, storages, count, n, false);
}

bool DelayRead::processMillisecondsAfterWriteAlike (const float* const* timeMs, float* const* out,
                                                    const DelayWrite* const* storages, int count, unsigned long n) noexcept
{
    return readAlike (timeMs, out, storages, count, n, true);
}

bool DelayRead::readAlike (const float* const* timeMs, float* const* out, const DelayWrite* const* storages, int count,
                           unsigned long n, bool afterWrite) noexcept
{
    const float* data[DelayReadAvx2::kMostLines] = {};
    if (count > DelayReadAvx2::kMostLines || ! onePass (storages, count, n, data))
        return false;
    const DelayWrite& first = *storages[0];
    const auto [base, shortest, longest] = reachFor (first, n, afterWrite);
    return DelayReadAvx2::readLinearMany (timeMs, 0.001f, out, data, count, base, first.size, sampleRate, shortest, longest, n)
           == n;
}

void DelayRead::read (const float* time, float toSeconds, float* out, const DelayWrite& w, unsigned long n,
                      bool afterWrite) noexcept
{
    if (n == 0)
        return;
    if (w.size <= 0 || w.buffer.size() < static_cast<std::size_t> (w.size) + 4)
    {
        SignalProcessing::clear (out, n); // not initialised: nothing stored yet
        return;
    }

    const auto [base, shortest, longest] = reachFor (w, n, afterWrite);
    if (interpolationMode == Lagrange)
    {
        readLagrange (time, toSeconds, out, w, n, base, shortest, longest);
        return;
    }
    // The AVX2 loop straight from here: most blocks end with it, and the
    // general loops are entered only for the few samples it leaves.
    unsigned long done = 0;
    if (useAvx2)
        done = DelayReadAvx2::readLinear (time, toSeconds, out, w.buffer.data(), base, w.size, sampleRate, shortest,
                                          longest, n);
    if (done < n)
        readLinear (time, toSeconds, out, w, n, base, shortest, longest, done);
}

void DelayRead::readLinear (const float* time, float toSeconds, float* out, const DelayWrite& w, unsigned long n,
                            long base, float shortest, float longest, unsigned long first) const noexcept
{
    const long size = w.size;
    const float* data = w.buffer.data();
    const float rate = sampleRate;

    // Samples before `first` are read already (by the AVX2 loop, which
    // leaves at most seven): set up the SSE2 loop only when it has a group
    // of four to read.
    unsigned long i = first;
    if (i + 4 <= n && n < kLongestVectorBlock)
    {
        const FourPositions four (toSeconds, rate, shortest, longest, base, size);
        alignas (16) int p[4];
        for (; i + 4 <= n; i += 4)
        {
            const __m128 f = four.compute (time, static_cast<int> (i), p);
            __m128 y0, y1;
            if (p[1] == p[0] + 1 && p[2] == p[0] + 2 && p[3] == p[0] + 3)
            {
                // Consecutive positions: plain vector loads of the same samples.
                y0 = _mm_loadu_ps (data + p[0]);
                y1 = _mm_loadu_ps (data + p[0] - 1);
            }
            else
            {
                // Each lane's two neighbouring samples as one 8-byte load.
                const __m128 a = _mm_movelh_ps (pair (data, p[0]), pair (data, p[1]));
                const __m128 b = _mm_movelh_ps (pair (data, p[2]), pair (data, p[3]));
                y1 = _mm_shuffle_ps (a, b, _MM_SHUFFLE (2, 0, 2, 0));
                y0 = _mm_shuffle_ps (a, b, _MM_SHUFFLE (3, 1, 3, 1));
            }
            _mm_storeu_ps (out + i, _mm_add_ps (_mm_mul_ps (f, _mm_sub_ps (y1, y0)), y0));
        }
    }
    for (; i < n; ++i)
    {
        const float d = delayInSamples (time[i], toSeconds, rate, shortest, longest);
        const long whole = static_cast<long> (d);
        const float f = d - static_cast<float> (whole);
        const long p = tapPosition (base, i, whole, size);
        // y0 + F (y1 - y0): the position lies F samples behind y0.
        const float y0 = data[p];
        const float y1 = data[p - 1];
        out[i] = f * (y1 - y0) + y0;
    }
}

void DelayRead::readLagrange (const float* time, float toSeconds, float* out, const DelayWrite& w, unsigned long n,
                              long base, float shortest, float longest) const noexcept
{
    const long size = w.size;
    const float* data = w.buffer.data();
    const float rate = sampleRate;

    unsigned long i = 0;
    if (n < kLongestVectorBlock)
    {
        const FourPositions four (toSeconds, rate, shortest, longest, base, size);
        const __m128 sixth = _mm_set1_ps (kSixth);
        const __m128 minusSixth = _mm_set1_ps (-kSixth);
        const __m128 two = _mm_set1_ps (2.0f);
        const __m128 three = _mm_set1_ps (3.0f);
        const __m128 minusThree = _mm_set1_ps (-3.0f);
        alignas (16) int p[4];
        for (; i + 4 <= n; i += 4)
        {
            const __m128 f = four.compute (time, static_cast<int> (i), p);
            const __m128 y0 = _mm_setr_ps (data[p[0]], data[p[1]], data[p[2]], data[p[3]]);
            const __m128 y1 = _mm_setr_ps (data[p[0] - 1], data[p[1] - 1], data[p[2] - 1], data[p[3] - 1]);
            const __m128 y2 = _mm_setr_ps (data[p[0] - 2], data[p[1] - 2], data[p[2] - 2], data[p[3] - 2]);
            const __m128 y3 = _mm_setr_ps (data[p[0] - 3], data[p[1] - 3], data[p[2] - 3], data[p[3] - 3]);
            const __m128 c = _mm_add_ps (_mm_mul_ps (f, minusSixth), sixth);
            __m128 a = _mm_sub_ps (y3, y0);
            a = _mm_add_ps (_mm_mul_ps (y2, minusThree), a);
            a = _mm_add_ps (_mm_mul_ps (y1, three), a);
            a = _mm_mul_ps (f, a);
            __m128 b = _mm_mul_ps (y0, two);
            b = _mm_add_ps (_mm_mul_ps (y1, minusThree), b);
            b = _mm_add_ps (b, y3);
            b = _mm_add_ps (b, a);
            b = _mm_mul_ps (c, b);
            __m128 e = _mm_sub_ps (y2, y1);
            e = _mm_sub_ps (e, b);
            _mm_storeu_ps (out + i, _mm_add_ps (_mm_mul_ps (f, e), y1));
        }
    }
    for (; i < n; ++i)
    {
        const float d = delayInSamples (time[i], toSeconds, rate, shortest, longest);
        const long whole = static_cast<long> (d);
        const float f = d - static_cast<float> (whole);
        const long p = tapPosition (base, i, whole, size);
        const float y0 = data[p];
        const float y1 = data[p - 1];
        const float y2 = data[p - 2];
        const float y3 = data[p - 3];

        // out = y1 + F ((y2 - y1) - c (2 y0 - 3 y1 + y3 + F (y3 - y0 - 3 y2 + 3 y1))), c = (1 - F) / 6,
        // in this order of operations.
        const float c = f * -kSixth + kSixth;
        float a = y3 - y0;
        a = y2 * -3.0f + a;
        a = y1 * 3.0f + a;
        a = f * a;
        float b = y0 * 2.0f;
        b = y1 * -3.0f + b;
        b = b + y3;
        b = b + a;
        b = c * b;
        float e = y2 - y1;
        e = e - b;
        out[i] = f * e + y1;
    }
}
