#include "Math/Accelerate/SignalProcessing.h"

#include "Math/Accelerate/BiquadEightAvx2.h"
#include "Math/Accelerate/BiquadHistory.h"
#include "Math/Accelerate/TranscendentalKernels.h"
#include "Math/Accelerate/VectorClones.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <xmmintrin.h>

// The arithmetic is written as plain loops that GCC vectorises at -O2/-O3 for
// the x86-64 baseline; the transcendental functions come from SLEEF (within
// 1 ulp, with libm's handling of NaN and infinities). This file is compiled
// with -fno-math-errno (not -ffast-math) so that sqrt vectorises.

namespace
{
const TranscendentalKernels::Table* chooseKernels() noexcept
{
    __builtin_cpu_init();
    if (__builtin_cpu_supports ("avx2") && __builtin_cpu_supports ("fma"))
        return &TranscendentalKernels::avx2();
    return &TranscendentalKernels::baseline();
}

// Chosen during static initialisation. Until then (another library's static
// constructor calling in early) the pointer is null and the baseline is used.
// Atomic because init() may run while another thread computes.
std::atomic<const TranscendentalKernels::Table*> selectedKernels { chooseKernels() };

inline const TranscendentalKernels::Table& kernels() noexcept
{
    const auto* k = selectedKernels.load (std::memory_order_relaxed);
    return k != nullptr ? *k : TranscendentalKernels::baseline();
}

// Horizontal reductions keep four lanes so that the loop runs at vector speed.
inline float horizontalMax (__m128 v) noexcept
{
    alignas (16) float lanes[4];
    _mm_store_ps (lanes, v);
    return std::max (std::max (lanes[0], lanes[1]), std::max (lanes[2], lanes[3]));
}

inline float horizontalMin (__m128 v) noexcept
{
    alignas (16) float lanes[4];
    _mm_store_ps (lanes, v);
    return std::min (std::min (lanes[0], lanes[1]), std::min (lanes[2], lanes[3]));
}
} // namespace

void SignalProcessing::init() noexcept
{
    selectedKernels.store (chooseKernels(), std::memory_order_relaxed);
}

KARVON_VECTOR_CLONES
void SignalProcessing::add (const float* a, const float* b, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] + b[i];
}

KARVON_VECTOR_CLONES
void SignalProcessing::add_s (const float* a, float s, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] + s;
}

void SignalProcessing::add_s_D (const double* a, double s, double* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] + s;
}

KARVON_VECTOR_CLONES
void SignalProcessing::sub (const float* a, const float* b, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] - b[i];
}

KARVON_VECTOR_CLONES
void SignalProcessing::mul (const float* a, const float* b, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] * b[i];
}

KARVON_VECTOR_CLONES
void SignalProcessing::mul_s (const float* a, float s, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] * s;
}

KARVON_VECTOR_CLONES
void SignalProcessing::add_mul (const float* a, const float* b, const float* c, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = (a[i] + b[i]) * c[i];
}

KARVON_VECTOR_CLONES
void SignalProcessing::mul_add (const float* a, const float* b, const float* c, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] * b[i] + c[i];
}

KARVON_VECTOR_CLONES
void SignalProcessing::mul_add_s (const float* a, const float* b, float s, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] * b[i] + s;
}

KARVON_VECTOR_CLONES
void SignalProcessing::mul_s_add (const float* a, float s, const float* b, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] * s + b[i];
}

KARVON_VECTOR_CLONES
void SignalProcessing::mul_s_add_s (const float* a, float s1, float s2, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] * s1 + s2;
}

KARVON_VECTOR_CLONES
void SignalProcessing::mul_mul_add (const float* a, const float* b, const float* c, const float* d, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] * b[i] + c[i] * d[i];
}

KARVON_VECTOR_CLONES
void SignalProcessing::div (const float* a, const float* b, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] / b[i];
}

KARVON_VECTOR_CLONES
void SignalProcessing::s_div (float s, const float* a, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = s / a[i];
}

KARVON_VECTOR_CLONES
void SignalProcessing::div_s (const float* a, float s, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] / s;
}

void SignalProcessing::truncToInt (const float* a, float* out, unsigned long n) noexcept
{
    kernels().trunc (a, out, n);
}

KARVON_VECTOR_CLONES
void SignalProcessing::squareRoot (const float* a, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = std::sqrt (a[i]);
}

KARVON_VECTOR_CLONES
void SignalProcessing::powTwo (float* a, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        a[i] = a[i] * a[i];
}

void SignalProcessing::pow (float* out, const float* e, const float* x, unsigned long n) noexcept
{
    kernels().pow (x, e, out, n);
}

KARVON_VECTOR_CLONES
void SignalProcessing::clip (const float* a, float lo, float hi, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
    {
        const float v = a[i] < lo ? lo : a[i];
        out[i] = v > hi ? hi : v;
    }
}

KARVON_VECTOR_CLONES
void SignalProcessing::ramp (float start, float step, float* out, unsigned long n) noexcept
{
    // Each value from its own index, so that long ramps do not accumulate error.
    for (unsigned long i = 0; i < n; ++i)
        out[i] = start + static_cast<float> (static_cast<int> (i)) * step;
}

void SignalProcessing::rampD (double start, double step, double* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = start + static_cast<double> (static_cast<long> (i)) * step;
}

void SignalProcessing::frac (float* a, unsigned long n) noexcept
{
    // Truncate in pieces through a small stack buffer: one pass per piece
    // keeps the data in cache and needs no scratch memory of the caller.
    constexpr unsigned long piece = 256;
    alignas (32) float whole[piece];
    for (unsigned long start = 0; start < n; start += piece)
    {
        const unsigned long count = std::min (piece, n - start);
        kernels().trunc (a + start, whole, count);
        for (unsigned long i = 0; i < count; ++i)
            a[start + i] = a[start + i] - whole[i];
    }
}

KARVON_VECTOR_CLONES
void SignalProcessing::abs (const float* a, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = std::fabs (a[i]);
}

void SignalProcessing::fill (float* out, float v, unsigned long n) noexcept
{
    std::fill (out, out + n, v);
}

KARVON_VECTOR_CLONES
void SignalProcessing::finite (const float* a, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = std::isfinite (a[i]) ? a[i] : 0.0f;
}

void SignalProcessing::clear (float* out, unsigned long n) noexcept
{
    std::fill (out, out + n, 0.0f);
}

void SignalProcessing::clear (double* out, unsigned long n) noexcept
{
    std::fill (out, out + n, 0.0);
}

void SignalProcessing::tableRead (const float* positions, const float* table, unsigned long tableLength, float* out, unsigned long n) noexcept
{
    if (tableLength == 0)
    {
        clear (out, n);
        return;
    }
    const float last = static_cast<float> (tableLength - 1);
    for (unsigned long i = 0; i < n; ++i)
    {
        const float p = positions[i];
        if (! (p > 0.0f)) // also NaN: a defined answer instead of a wild index
            out[i] = table[0];
        else if (p >= last)
            out[i] = table[tableLength - 1];
        else
        {
            const auto q = static_cast<unsigned long> (p);
            const float r = p - static_cast<float> (q);
            out[i] = table[q] + r * (table[q + 1] - table[q]);
        }
    }
}

void SignalProcessing::cos (const float* a, float* out, unsigned long n) noexcept { kernels().cos (a, out, n); }
void SignalProcessing::sin (const float* a, float* out, unsigned long n) noexcept { kernels().sin (a, out, n); }
void SignalProcessing::tanh (const float* a, float* out, unsigned long n) noexcept { kernels().tanh (a, out, n); }
void SignalProcessing::exp (const float* a, float* out, unsigned long n) noexcept { kernels().exp (a, out, n); }
void SignalProcessing::log (const float* a, float* out, unsigned long n) noexcept { kernels().log (a, out, n); }
void SignalProcessing::log_ten (const float* a, float* out, unsigned long n) noexcept { kernels().log10 (a, out, n); }

void SignalProcessing::peak (const float* a, float* result, unsigned long n) noexcept
{
    // Like fmax, a NaN element is passed over.
    const __m128 signMask = _mm_castsi128_ps (_mm_set1_epi32 (0x7fffffff));
    __m128 m0 = _mm_setzero_ps();
    __m128 m1 = _mm_setzero_ps();
    unsigned long i = 0;
    for (; i + 8 <= n; i += 8)
    {
        m0 = _mm_max_ps (_mm_and_ps (_mm_loadu_ps (a + i), signMask), m0);
        m1 = _mm_max_ps (_mm_and_ps (_mm_loadu_ps (a + i + 4), signMask), m1);
    }
    float m = horizontalMax (_mm_max_ps (m0, m1));
    for (; i < n; ++i)
    {
        const float v = std::fabs (a[i]);
        m = v > m ? v : m;
    }
    *result = m;
}

void SignalProcessing::max (const float* a, float* result, unsigned long n) noexcept
{
    const float lowest = -std::numeric_limits<float>::infinity();
    __m128 m0 = _mm_set1_ps (lowest);
    __m128 m1 = m0;
    unsigned long i = 0;
    for (; i + 8 <= n; i += 8)
    {
        m0 = _mm_max_ps (_mm_loadu_ps (a + i), m0);
        m1 = _mm_max_ps (_mm_loadu_ps (a + i + 4), m1);
    }
    float m = horizontalMax (_mm_max_ps (m0, m1));
    for (; i < n; ++i)
        m = a[i] > m ? a[i] : m;
    *result = m;
}

void SignalProcessing::min (const float* a, float* result, unsigned long n) noexcept
{
    const float highest = std::numeric_limits<float>::infinity();
    __m128 m0 = _mm_set1_ps (highest);
    __m128 m1 = m0;
    unsigned long i = 0;
    for (; i + 8 <= n; i += 8)
    {
        m0 = _mm_min_ps (_mm_loadu_ps (a + i), m0);
        m1 = _mm_min_ps (_mm_loadu_ps (a + i + 4), m1);
    }
    float m = horizontalMin (_mm_min_ps (m0, m1));
    for (; i < n; ++i)
        m = a[i] < m ? a[i] : m;
    *result = m;
}

KARVON_VECTOR_CLONES
void SignalProcessing::min_compare (const float* a, const float* b, float* out, unsigned long n) noexcept
{
    // fmin semantics: a NaN on one side gives the other side.
    for (unsigned long i = 0; i < n; ++i)
    {
        const float m = b[i] < a[i] ? b[i] : a[i];
        out[i] = a[i] != a[i] ? b[i] : m;
    }
}

KARVON_VECTOR_CLONES
void SignalProcessing::max_compare (const float* a, const float* b, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
    {
        const float m = b[i] > a[i] ? b[i] : a[i];
        out[i] = a[i] != a[i] ? b[i] : m;
    }
}

void SignalProcessing::rms (const float* a, float* result, unsigned long n) noexcept
{
    if (n == 0)
    {
        *result = 0.0f;
        return;
    }
    __m128 s0 = _mm_setzero_ps();
    __m128 s1 = _mm_setzero_ps();
    unsigned long i = 0;
    for (; i + 8 <= n; i += 8)
    {
        const __m128 x0 = _mm_loadu_ps (a + i);
        const __m128 x1 = _mm_loadu_ps (a + i + 4);
        s0 = _mm_add_ps (s0, _mm_mul_ps (x0, x0));
        s1 = _mm_add_ps (s1, _mm_mul_ps (x1, x1));
    }
    alignas (16) float lanes[4];
    _mm_store_ps (lanes, _mm_add_ps (s0, s1));
    float sum = (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
    for (; i < n; ++i)
        sum += a[i] * a[i];
    *result = std::sqrt (sum / static_cast<float> (n));
}

KARVON_VECTOR_CLONES
void SignalProcessing::limit (const float* a, float t, float v, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] >= t ? v : -v;
}

KARVON_VECTOR_CLONES
void SignalProcessing::threshold (const float* a, float t, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] >= t ? a[i] : 0.0f;
}

void SignalProcessing::mod (const float* a, const float* b, float* out, unsigned long n) noexcept
{
    kernels().fmod (a, b, out, n);
}

void SignalProcessing::interleaveStereo (const float* left, const float* right, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
    {
        out[2 * i] = left[i];
        out[2 * i + 1] = right[i];
    }
}

void SignalProcessing::doubleToFloat (const double* a, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = static_cast<float> (a[i]);
}

void SignalProcessing::reverse (float* a, unsigned long n) noexcept
{
    std::reverse (a, a + n);
}

namespace
{
// One step of a section. The feed-forward terms and the older output are
// summed first, so that only one multiply and one subtraction sit on the
// sample-to-sample dependency through y1; the vector version below keeps the
// same order in every lane, so both give the same samples.
struct Section
{
    float b0, b1, b2, a1, a2;
    float x1, x2, y1, y2;

    Section (const float* c, const BiquadHistory& h) noexcept
        : b0 (c[0]), b1 (c[1]), b2 (c[2]), a1 (c[3]), a2 (c[4]), x1 (h.x1), x2 (h.x2), y1 (h.y1), y2 (h.y2)
    {
    }

    inline float step (float x) noexcept
    {
        const float partial = b0 * x + b1 * x1 + b2 * x2 - a2 * y2;
        const float y = partial - a1 * y1;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

    void store (BiquadHistory& h) const noexcept
    {
        h.x1 = x1;
        h.x2 = x2;
        h.y1 = y1;
        h.y2 = y2;
    }
};

struct SectionLanes
{
    __m128 b0, b1, b2, a1, a2;
    __m128 x1, x2, y1, y2;

    inline __m128 step (__m128 x) noexcept
    {
        __m128 partial = _mm_add_ps (_mm_mul_ps (b0, x), _mm_mul_ps (b1, x1));
        partial = _mm_add_ps (partial, _mm_mul_ps (b2, x2));
        partial = _mm_sub_ps (partial, _mm_mul_ps (a2, y2));
        const __m128 y = _mm_sub_ps (partial, _mm_mul_ps (a1, y1));
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

inline __m128 lanes (float v0, float v1, float v2, float v3) noexcept
{
    return _mm_setr_ps (v0, v1, v2, v3);
}
} // namespace

void SignalProcessing::biquad (const float* in, const float* coefficients, float* out, unsigned long n, BiquadHistory* state) noexcept
{
    if (state == nullptr)
    {
        // No memory to run a recursion with: leave the signal as it was.
        if (out != in)
            std::copy (in, in + n, out);
        return;
    }
    Section s (coefficients, *state);
    for (unsigned long k = 0; k < n; ++k)
        out[k] = s.step (in[k]);
    s.store (*state);
}

void SignalProcessing::biquadSeries (const float* in, const float* firstCoefficients, const float* secondCoefficients,
                                     float* out, unsigned long n, BiquadHistory* firstState, BiquadHistory* secondState) noexcept
{
    if (firstState == nullptr || secondState == nullptr)
    {
        biquad (in, firstCoefficients, out, n, firstState);
        biquad (out, secondCoefficients, out, n, secondState);
        return;
    }
    Section first (firstCoefficients, *firstState);
    Section second (secondCoefficients, *secondState);
    for (unsigned long k = 0; k < n; ++k)
        out[k] = second.step (first.step (in[k]));
    first.store (*firstState);
    second.store (*secondState);
}

namespace
{
// Two sections (one per channel) in lanes 0 and 1; lanes 2 and 3 idle on
// copies of the signal.
SectionLanes twoLanes (const float* c0, const float* c1, const BiquadHistory& h0, const BiquadHistory& h1) noexcept
{
    return SectionLanes {
        lanes (c0[0], c1[0], 0.0f, 0.0f), lanes (c0[1], c1[1], 0.0f, 0.0f), lanes (c0[2], c1[2], 0.0f, 0.0f),
        lanes (c0[3], c1[3], 0.0f, 0.0f), lanes (c0[4], c1[4], 0.0f, 0.0f), lanes (h0.x1, h1.x1, 0.0f, 0.0f),
        lanes (h0.x2, h1.x2, 0.0f, 0.0f),     lanes (h0.y1, h1.y1, 0.0f, 0.0f), lanes (h0.y2, h1.y2, 0.0f, 0.0f),
    };
}

void storeTwoLanes (const SectionLanes& s, BiquadHistory& h0, BiquadHistory& h1) noexcept
{
    alignas (16) float x1[4], x2[4], y1[4], y2[4];
    _mm_store_ps (x1, s.x1);
    _mm_store_ps (x2, s.x2);
    _mm_store_ps (y1, s.y1);
    _mm_store_ps (y2, s.y2);
    h0.x1 = x1[0], h0.x2 = x2[0], h0.y1 = y1[0], h0.y2 = y2[0];
    h1.x1 = x1[1], h1.x2 = x2[1], h1.y1 = y1[1], h1.y2 = y2[1];
}
} // namespace

void SignalProcessing::biquadSeriesTwo (const float* const* in, const float* const* firstCoefficients,
                                        const float* const* secondCoefficients, float* const* out, unsigned long n,
                                        BiquadHistory* const* firstState, BiquadHistory* const* secondState) noexcept
{
    if (firstState[0] == nullptr || firstState[1] == nullptr || secondState[0] == nullptr || secondState[1] == nullptr)
    {
        for (int j = 0; j < 2; ++j)
            biquadSeries (in[j], firstCoefficients[j], secondCoefficients[j], out[j], n, firstState[j], secondState[j]);
        return;
    }

    SectionLanes first = twoLanes (firstCoefficients[0], firstCoefficients[1], *firstState[0], *firstState[1]);
    SectionLanes second = twoLanes (secondCoefficients[0], secondCoefficients[1], *secondState[0], *secondState[1]);
    const float* i0 = in[0];
    const float* i1 = in[1];
    float* o0 = out[0];
    float* o1 = out[1];

    // Four samples of both channels at a time: (left, right) pairs in the low
    // lanes, step by step, then back to one vector per channel.
    unsigned long k = 0;
    for (; k + 4 <= n; k += 4)
    {
        const __m128 l = _mm_loadu_ps (i0 + k);
        const __m128 r = _mm_loadu_ps (i1 + k);
        const __m128 early = _mm_unpacklo_ps (l, r); // l0 r0 l1 r1
        const __m128 late = _mm_unpackhi_ps (l, r);  // l2 r2 l3 r3
        const __m128 y0 = second.step (first.step (early));
        const __m128 y1 = second.step (first.step (_mm_movehl_ps (early, early)));
        const __m128 y2 = second.step (first.step (late));
        const __m128 y3 = second.step (first.step (_mm_movehl_ps (late, late)));
        const __m128 a = _mm_movelh_ps (y0, y1); // l0 r0 l1 r1
        const __m128 b = _mm_movelh_ps (y2, y3); // l2 r2 l3 r3
        _mm_storeu_ps (o0 + k, _mm_shuffle_ps (a, b, _MM_SHUFFLE (2, 0, 2, 0)));
        _mm_storeu_ps (o1 + k, _mm_shuffle_ps (a, b, _MM_SHUFFLE (3, 1, 3, 1)));
    }
    for (; k < n; ++k)
    {
        alignas (16) float y[4];
        _mm_store_ps (y, second.step (first.step (lanes (i0[k], i1[k], 0.0f, 0.0f))));
        o0[k] = y[0];
        o1[k] = y[1];
    }
    storeTwoLanes (first, *firstState[0], *firstState[1]);
    storeTwoLanes (second, *secondState[0], *secondState[1]);
}

void SignalProcessing::biquadTwo (const float* const* in, const float* const* coefficients, float* const* out,
                                  unsigned long n, BiquadHistory* const* state) noexcept
{
    if (state[0] == nullptr || state[1] == nullptr)
    {
        biquad (in[0], coefficients[0], out[0], n, state[0]);
        biquad (in[1], coefficients[1], out[1], n, state[1]);
        return;
    }
    // The two sections in lanes 0 and 1, four samples of both channels at a
    // time as in biquadSeriesTwo: every lane takes the scalar section's steps
    // in the same order, so the samples are those of one section per channel.
    SectionLanes s = twoLanes (coefficients[0], coefficients[1], *state[0], *state[1]);
    const float* i0 = in[0];
    const float* i1 = in[1];
    float* o0 = out[0];
    float* o1 = out[1];
    unsigned long k = 0;
    for (; k + 4 <= n; k += 4)
    {
        const __m128 l = _mm_loadu_ps (i0 + k);
        const __m128 r = _mm_loadu_ps (i1 + k);
        const __m128 early = _mm_unpacklo_ps (l, r); // l0 r0 l1 r1
        const __m128 late = _mm_unpackhi_ps (l, r);  // l2 r2 l3 r3
        const __m128 y0 = s.step (early);
        const __m128 y1 = s.step (_mm_movehl_ps (early, early));
        const __m128 y2 = s.step (late);
        const __m128 y3 = s.step (_mm_movehl_ps (late, late));
        const __m128 a = _mm_movelh_ps (y0, y1); // l0 r0 l1 r1
        const __m128 b = _mm_movelh_ps (y2, y3); // l2 r2 l3 r3
        _mm_storeu_ps (o0 + k, _mm_shuffle_ps (a, b, _MM_SHUFFLE (2, 0, 2, 0)));
        _mm_storeu_ps (o1 + k, _mm_shuffle_ps (a, b, _MM_SHUFFLE (3, 1, 3, 1)));
    }
    for (; k < n; ++k)
    {
        alignas (16) float y[4];
        _mm_store_ps (y, s.step (lanes (i0[k], i1[k], 0.0f, 0.0f)));
        o0[k] = y[0];
        o1[k] = y[1];
    }
    storeTwoLanes (s, *state[0], *state[1]);
}

namespace
{
// Four sections in the lanes of one vector, from their coefficients and
// histories.
SectionLanes fourLanes (const float* const* c, BiquadHistory* const* h) noexcept
{
    return SectionLanes {
        lanes (c[0][0], c[1][0], c[2][0], c[3][0]),
        lanes (c[0][1], c[1][1], c[2][1], c[3][1]),
        lanes (c[0][2], c[1][2], c[2][2], c[3][2]),
        lanes (c[0][3], c[1][3], c[2][3], c[3][3]),
        lanes (c[0][4], c[1][4], c[2][4], c[3][4]),
        lanes (h[0]->x1, h[1]->x1, h[2]->x1, h[3]->x1),
        lanes (h[0]->x2, h[1]->x2, h[2]->x2, h[3]->x2),
        lanes (h[0]->y1, h[1]->y1, h[2]->y1, h[3]->y1),
        lanes (h[0]->y2, h[1]->y2, h[2]->y2, h[3]->y2),
    };
}

void storeFourLanes (const SectionLanes& s, BiquadHistory* const* h) noexcept
{
    alignas (16) float x1[4], x2[4], y1[4], y2[4];
    _mm_store_ps (x1, s.x1);
    _mm_store_ps (x2, s.x2);
    _mm_store_ps (y1, s.y1);
    _mm_store_ps (y2, s.y2);
    for (int j = 0; j < 4; ++j)
    {
        h[j]->x1 = x1[j];
        h[j]->x2 = x2[j];
        h[j]->y1 = y1[j];
        h[j]->y2 = y2[j];
    }
}

// Groups (1 or 2) of four sections, group g on in/out/state [4g .. 4g + 3].
// Four samples of each section at a time, turned so that one vector holds
// the same sample of a group's four; the groups' recursions are independent
// and interleave, so the processor overlaps them.
template <int Groups>
void biquadGroups (const float* const* in, const float* const* coefficients, float* const* out, unsigned long n,
                   BiquadHistory* const* state) noexcept
{
    SectionLanes s[Groups];
    for (int g = 0; g < Groups; ++g)
        s[g] = fourLanes (coefficients + 4 * g, state + 4 * g);

    unsigned long k = 0;
    for (; k + 4 <= n; k += 4)
    {
        __m128 r[Groups][4];
        for (int g = 0; g < Groups; ++g)
        {
            for (int j = 0; j < 4; ++j)
                r[g][j] = _mm_loadu_ps (in[4 * g + j] + k);
            _MM_TRANSPOSE4_PS (r[g][0], r[g][1], r[g][2], r[g][3]);
        }
        for (int j = 0; j < 4; ++j)
            for (int g = 0; g < Groups; ++g)
                r[g][j] = s[g].step (r[g][j]);
        for (int g = 0; g < Groups; ++g)
        {
            _MM_TRANSPOSE4_PS (r[g][0], r[g][1], r[g][2], r[g][3]);
            for (int j = 0; j < 4; ++j)
                _mm_storeu_ps (out[4 * g + j] + k, r[g][j]);
        }
    }
    for (; k < n; ++k)
    {
        for (int g = 0; g < Groups; ++g)
        {
            const float* const* i = in + 4 * g;
            float* const* o = out + 4 * g;
            alignas (16) float y[4];
            _mm_store_ps (y, s[g].step (lanes (i[0][k], i[1][k], i[2][k], i[3][k])));
            for (int j = 0; j < 4; ++j)
                o[j][k] = y[j];
        }
    }

    for (int g = 0; g < Groups; ++g)
        storeFourLanes (s[g], state + 4 * g);
}

// Chosen once, when the library loads.
const bool avx2Biquads = BiquadEightAvx2::available();

bool allStates (BiquadHistory* const* state, int count) noexcept
{
    return std::all_of (state, state + count, [] (const BiquadHistory* h) { return h != nullptr; });
}
} // namespace

void SignalProcessing::biquadFour (const float* const* in, const float* const* coefficients, float* const* out,
                                   unsigned long n, BiquadHistory* const* state) noexcept
{
    if (! allStates (state, 4))
    {
        for (int j = 0; j < 4; ++j)
            biquad (in[j], coefficients[j], out[j], n, state[j]);
        return;
    }
    biquadGroups<1> (in, coefficients, out, n, state);
}

void SignalProcessing::biquadSeriesFour (const float* const* in, const float* const* firstCoefficients,
                                         const float* const* secondCoefficients, float* const* out, unsigned long n,
                                         BiquadHistory* const* firstState, BiquadHistory* const* secondState) noexcept
{
    if (! allStates (firstState, 4) || ! allStates (secondState, 4))
    {
        biquadSeriesTwo (in, firstCoefficients, secondCoefficients, out, n, firstState, secondState);
        biquadSeriesTwo (in + 2, firstCoefficients + 2, secondCoefficients + 2, out + 2, n, firstState + 2, secondState + 2);
        return;
    }
    SectionLanes first = fourLanes (firstCoefficients, firstState);
    SectionLanes second = fourLanes (secondCoefficients, secondState);
    unsigned long k = 0;
    for (; k + 4 <= n; k += 4)
    {
        __m128 r[4];
        for (int j = 0; j < 4; ++j)
            r[j] = _mm_loadu_ps (in[j] + k);
        _MM_TRANSPOSE4_PS (r[0], r[1], r[2], r[3]);
        for (int j = 0; j < 4; ++j)
            r[j] = second.step (first.step (r[j]));
        _MM_TRANSPOSE4_PS (r[0], r[1], r[2], r[3]);
        for (int j = 0; j < 4; ++j)
            _mm_storeu_ps (out[j] + k, r[j]);
    }
    for (; k < n; ++k)
    {
        alignas (16) float y[4];
        _mm_store_ps (y, second.step (first.step (lanes (in[0][k], in[1][k], in[2][k], in[3][k]))));
        for (int j = 0; j < 4; ++j)
            out[j][k] = y[j];
    }
    storeFourLanes (first, firstState);
    storeFourLanes (second, secondState);
}

void SignalProcessing::biquadEight (const float* const* in, const float* const* coefficients, float* const* out,
                                    unsigned long n, BiquadHistory* const* state) noexcept
{
    if (! allStates (state, 8))
    {
        biquadFour (in, coefficients, out, n, state);
        biquadFour (in + 4, coefficients + 4, out + 4, n, state + 4);
        return;
    }
    if (avx2Biquads)
        BiquadEightAvx2::process (in, coefficients, out, n, state);
    else
        biquadGroups<2> (in, coefficients, out, n, state);
}

void SignalProcessing::biquadEightBaseline (const float* const* in, const float* const* coefficients, float* const* out,
                                            unsigned long n, BiquadHistory* const* state) noexcept
{
    if (allStates (state, 8))
        biquadGroups<2> (in, coefficients, out, n, state);
}

std::unique_ptr<BiquadHistory> SignalProcessing::biquad_createState()
{
    return std::make_unique<BiquadHistory>();
}

void SignalProcessing::biquad_destroyState (std::unique_ptr<BiquadHistory>& state) noexcept
{
    state.reset();
}
