// Highway compiles this file once per target (foreach_target.h includes it
// again for each); the dispatch tables at the end pick one at run time.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "Math/Accelerate/VectorKernels.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include <hwy/highway.h>
#include <sleef.h>

#include "Math/Accelerate/BiquadHistory.h"
#include "Math/Accelerate/VectorDispatch.h"
#include "Math/Accelerate/VectorKernels.h"

#if HWY_ARCH_X86 && ! defined(KARVON_VECTOR_KERNELS_SLEEF_AVX2)
#define KARVON_VECTOR_KERNELS_SLEEF_AVX2
// sleef.h declares its AVX2 kernels only where the whole file is built for
// AVX2; here only one target's functions are.
extern "C"
{
__m256 Sleef_cosf8_u35avx2 (__m256);
__m256 Sleef_sinf8_u35avx2 (__m256);
__m256 Sleef_tanhf8_u35avx2 (__m256);
__m256 Sleef_expf8_u10avx2 (__m256);
__m256 Sleef_logf8_u10avx2 (__m256);
__m256 Sleef_log10f8_u10avx2 (__m256);
__m256 Sleef_powf8_u10avx2 (__m256, __m256);
__m256 Sleef_fmodf8_avx2 (__m256, __m256);
}
#endif

HWY_BEFORE_NAMESPACE();
namespace VectorKernels
{
namespace HWY_NAMESPACE
{
namespace hn = hwy::HWY_NAMESPACE;
using D = hn::ScalableTag<float>;
using V = hn::Vec<D>;

// SLEEF's kernels for this target's vectors. The SSE targets name SLEEF's
// SSE4.1 or SSE2 kernels outright (its own dispatcher would pick its AVX2
// ones, with fused multiplies, on a CPU that has them).
#undef KARVON_SLEEF
#undef KARVON_SLEEF_EXACT
#if HWY_TARGET == HWY_AVX2
#define KARVON_SLEEF(name, accuracy) Sleef_##name##f8_##accuracy##avx2
#define KARVON_SLEEF_EXACT(name) Sleef_##name##f8_avx2
#elif HWY_TARGET == HWY_SSE4
#define KARVON_SLEEF(name, accuracy) Sleef_##name##f4_##accuracy##sse4
#define KARVON_SLEEF_EXACT(name) Sleef_##name##f4_sse4
#elif HWY_TARGET == HWY_SSSE3
#define KARVON_SLEEF(name, accuracy) Sleef_##name##f4_##accuracy##sse2
#define KARVON_SLEEF_EXACT(name) Sleef_##name##f4_sse2
#else
#define KARVON_SLEEF(name, accuracy) Sleef_##name##f_##accuracy
#define KARVON_SLEEF_EXACT(name) Sleef_##name##f
#endif

// One vector through a SLEEF kernel. One lane at a time where the target's
// vectors are not SSE's or AVX's (SLEEF's scalar functions run the same
// algorithm).
template <typename F>
HWY_INLINE V sleef (F f, V x) noexcept
{
#if HWY_TARGET == HWY_AVX2 || HWY_TARGET == HWY_SSE4 || HWY_TARGET == HWY_SSSE3
    V r;
    r.raw = f (x.raw);
    return r;
#else
    const D d;
    HWY_ALIGN float lanes[hn::MaxLanes (d)];
    hn::Store (x, d, lanes);
    for (float& v : lanes)
        v = f (v);
    return hn::Load (d, lanes);
#endif
}

// f on each lane's pair of values, one lane at a time.
template <typename F>
HWY_INLINE V eachLane (F f, V x, V y) noexcept
{
    const D d;
    HWY_ALIGN float xs[hn::MaxLanes (d)];
    HWY_ALIGN float ys[hn::MaxLanes (d)];
    hn::Store (x, d, xs);
    hn::Store (y, d, ys);
    for (size_t k = 0; k < hn::MaxLanes (d); ++k)
        xs[k] = f (xs[k], ys[k]);
    return hn::Load (d, xs);
}

template <typename F>
HWY_INLINE V sleef (F f, V x, V y) noexcept
{
#if HWY_TARGET == HWY_AVX2 || HWY_TARGET == HWY_SSE4 || HWY_TARGET == HWY_SSSE3
    V r;
    r.raw = f (x.raw, y.raw);
    return r;
#else
    return eachLane (f, x, y);
#endif
}

// The last few elements go through the same vector function, padded, so that
// every element gets identical results whatever its position.
template <typename F>
HWY_INLINE void unary (const float* a, float* out, unsigned long n, F f) noexcept
{
    const D d;
    constexpr size_t lanes = hn::MaxLanes (d);
    size_t i = 0;
    for (; i + lanes <= n; i += lanes)
        hn::StoreU (f (hn::LoadU (d, a + i)), d, out + i);
    if (i < n)
    {
        HWY_ALIGN float rest[lanes] = {};
        for (size_t k = 0; i + k < n; ++k)
            rest[k] = a[i + k];
        hn::Store (f (hn::Load (d, rest)), d, rest);
        for (size_t k = 0; i + k < n; ++k)
            out[i + k] = rest[k];
    }
}

template <typename F>
HWY_INLINE void binary (const float* a, const float* b, float* out, unsigned long n, F f) noexcept
{
    const D d;
    constexpr size_t lanes = hn::MaxLanes (d);
    size_t i = 0;
    for (; i + lanes <= n; i += lanes)
        hn::StoreU (f (hn::LoadU (d, a + i), hn::LoadU (d, b + i)), d, out + i);
    if (i < n)
    {
        HWY_ALIGN float restA[lanes];
        HWY_ALIGN float restB[lanes];
        for (size_t k = 0; k < lanes; ++k)
        {
            restA[k] = i + k < n ? a[i + k] : 1.0f;
            restB[k] = i + k < n ? b[i + k] : 1.0f;
        }
        hn::Store (f (hn::Load (d, restA), hn::Load (d, restB)), d, restA);
        for (size_t k = 0; i + k < n; ++k)
            out[i + k] = restA[k];
    }
}

// cos, sin and tanh use SLEEF's 3.5-ulp kernels: two to three times faster
// than the 1-ulp ones, and their error (about 1e-7, -140 dB) is far below
// anything audible. They are on the audio path every sample (pitch windows,
// the voices' saturation, the oscillator).
#undef KARVON_UNARY
#define KARVON_UNARY(Name, name, accuracy)                                                                               \
    void Name (const float* a, float* out, unsigned long n)                                                               \
    {                                                                                                                   \
        unary (a, out, n, [] (V x) { return sleef (KARVON_SLEEF (name, accuracy), x); });                                \
    }
KARVON_UNARY (Cos, cos, u35)
KARVON_UNARY (Sin, sin, u35)
KARVON_UNARY (Tanh, tanh, u35)
KARVON_UNARY (Exp, exp, u10)
KARVON_UNARY (Log, log, u10)
KARVON_UNARY (Log10, log10, u10)
void Trunc (const float* a, float* out, unsigned long n)
{
    unary (a, out, n, [] (V x) { return hn::Trunc (x); });
}
void Pow (const float* x, const float* e, float* out, unsigned long n)
{
    binary (x, e, out, n, [] (V b, V p) { return sleef (KARVON_SLEEF (pow, u10), b, p); });
}
// SLEEF's fmod is exact while the quotient fits a float and the divisor is
// normal; other lanes (huge quotients, subnormal or zero divisors, NaN and
// infinities) take libm's fmodf so that every lane matches libm.
void Fmod (const float* a, const float* b, float* out, unsigned long n)
{
    binary (a, b, out, n, [] (V x, V y) {
        const D d;
        const V r = sleef (KARVON_SLEEF_EXACT (fmod), x, y);
        const V ay = hn::Abs (y);
        const auto sound = hn::And (hn::Lt (hn::Abs (x), hn::Mul (ay, hn::Set (d, 0x1p100f))), hn::Ge (ay, hn::Set (d, 0x1p-126f)));
        return hn::AllTrue (d, sound) ? r : eachLane ([] (float a, float b) { return __builtin_fmodf (a, b); }, x, y);
    });
}

// Lane j of out[m] = from[j][m] (m = 0..3; a null from[j] gives zeros): one
// 16-byte load per lane and a transpose in registers. Filling an array lane
// by lane and loading it as a vector would make the load wait for the stores.
template <class DL>
HWY_INLINE void gatherQuads (DL d, const float* const* from, hn::Vec<DL> (&out)[4]) noexcept
{
#if HWY_TARGET != HWY_SCALAR
    using VL = hn::Vec<DL>;
    constexpr size_t lanes = hn::MaxLanes (d);
    if constexpr (lanes == 4 || lanes == 8)
    {
        // Lane k's quad in the vector's first block, lane k + 4's in its second.
        const hn::Full128<float> d4;
        const auto quad = [&] (size_t j) { return from[j] != nullptr ? hn::LoadU (d4, from[j]) : hn::Zero (d4); };
        VL r[4];
        for (size_t k = 0; k < 4; ++k)
        {
            if constexpr (lanes == 8)
                r[k] = hn::Combine (d, quad (k + 4), quad (k));
            else
                r[k] = quad (k);
        }
        const hn::Repartition<double, DL> dd;
        const auto low = [&] (VL a, VL b) { return hn::BitCast (d, hn::InterleaveLower (dd, hn::BitCast (dd, a), hn::BitCast (dd, b))); };
        const auto high = [&] (VL a, VL b) { return hn::BitCast (d, hn::InterleaveUpper (dd, hn::BitCast (dd, a), hn::BitCast (dd, b))); };
        const VL t0 = hn::InterleaveLower (d, r[0], r[1]);
        const VL t1 = hn::InterleaveUpper (d, r[0], r[1]);
        const VL t2 = hn::InterleaveLower (d, r[2], r[3]);
        const VL t3 = hn::InterleaveUpper (d, r[2], r[3]);
        out[0] = low (t0, t2);
        out[1] = high (t0, t2);
        out[2] = low (t1, t3);
        out[3] = high (t1, t3);
        return;
    }
#endif
    for (size_t m = 0; m < 4; ++m)
        out[m] = hn::Set (d, from[0] != nullptr ? from[0][m] : 0.0f);
}

// Second-order sections in the lanes of one vector: every lane takes
// SignalProcessing::biquad's steps in its order, the feed-forward terms and
// the older output first, then the one multiply and subtraction that wait
// for the previous output.
template <class DL>
struct SectionLanes
{
    using VL = hn::Vec<DL>;
    VL b0, b1, b2, a1, a2;
    VL x1, x2, y1, y2;

    HWY_INLINE VL step (VL x) noexcept
    {
        VL partial = hn::Add (hn::Mul (b0, x), hn::Mul (b1, x1));
        partial = hn::Add (partial, hn::Mul (b2, x2));
        partial = hn::Sub (partial, hn::Mul (a2, y2));
        const VL y = hn::Sub (partial, hn::Mul (a1, y1));
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

    // Lane j from section first + j; lanes past `count` run the first
    // sections again, on inputs whose results are never stored (lanes known
    // to be zero let the compiler use encodings that valgrind cannot run).
    // The coefficients b0, b1, b2, a1 from each set's first four, a2 as the
    // last of the four after; the history's x1, x2, y1, y2 follow each other.
    void load (DL d, const float* const* c, BiquadHistory* const* h, int first, int count) noexcept
    {
        constexpr size_t lanes = hn::MaxLanes (d);
        const float* forward[lanes];
        const float* back[lanes];
        const float* history[lanes];
        for (size_t j = 0; j < lanes; ++j)
        {
            const int s = (first + static_cast<int> (j)) % count;
            forward[j] = c[s];
            back[j] = c[s] + 1;
            history[j] = &h[s]->x1;
        }
        VL q[4];
        gatherQuads (d, forward, q);
        b0 = q[0], b1 = q[1], b2 = q[2], a1 = q[3];
        gatherQuads (d, back, q);
        a2 = q[3];
        gatherQuads (d, history, q);
        x1 = q[0], x2 = q[1], y1 = q[2], y2 = q[3];
    }

    void store (DL d, BiquadHistory* const* h, int first, int count) const noexcept
    {
        constexpr size_t lanes = hn::MaxLanes (d);
        HWY_ALIGN float v[4][lanes];
        hn::Store (x1, d, v[0]);
        hn::Store (x2, d, v[1]);
        hn::Store (y1, d, v[2]);
        hn::Store (y2, d, v[3]);
        for (size_t j = 0; j < lanes && first + static_cast<int> (j) < count; ++j)
        {
            BiquadHistory& s = *h[first + static_cast<int> (j)];
            s.x1 = v[0][j], s.x2 = v[1][j], s.y1 = v[2][j], s.y2 = v[3][j];
        }
    }
};

// Rows r[j] (the samples of section j) become columns (sample s of every
// section), and back: the transpose is its own inverse. 4 x 4 within 128-bit
// blocks; with 8 lanes the blocks' halves are then exchanged.
template <class DL>
HWY_INLINE void transpose (DL d, hn::Vec<DL>* r) noexcept
{
#if HWY_TARGET != HWY_SCALAR
    constexpr size_t lanes = hn::MaxLanes (d);
    if constexpr (lanes == 4 || lanes == 8)
    {
        using VL = hn::Vec<DL>;
        const hn::Repartition<double, DL> dd;
        const auto low = [&] (VL a, VL b) { return hn::BitCast (d, hn::InterleaveLower (dd, hn::BitCast (dd, a), hn::BitCast (dd, b))); };
        const auto high = [&] (VL a, VL b) { return hn::BitCast (d, hn::InterleaveUpper (dd, hn::BitCast (dd, a), hn::BitCast (dd, b))); };
        VL s[lanes];
        for (size_t q = 0; q < lanes; q += 4)
        {
            const VL t0 = hn::InterleaveLower (d, r[q], r[q + 1]);
            const VL t1 = hn::InterleaveUpper (d, r[q], r[q + 1]);
            const VL t2 = hn::InterleaveLower (d, r[q + 2], r[q + 3]);
            const VL t3 = hn::InterleaveUpper (d, r[q + 2], r[q + 3]);
            s[q] = low (t0, t2);
            s[q + 1] = high (t0, t2);
            s[q + 2] = low (t1, t3);
            s[q + 3] = high (t1, t3);
        }
        if constexpr (lanes == 4)
        {
            for (size_t j = 0; j < 4; ++j)
                r[j] = s[j];
        }
        else
        {
            for (size_t j = 0; j < 4; ++j)
            {
                r[j] = hn::ConcatLowerLower (d, s[j + 4], s[j]);
                r[j + 4] = hn::ConcatUpperUpper (d, s[j + 4], s[j]);
            }
        }
    }
#else
    (void) d;
    (void) r;
#endif
}

// Count channels through Stages sections each: groups of as many channels as
// a vector has lanes (at least four, so two channels share one SSE vector),
// a group's samples turned so that one vector holds the same sample of every
// channel; the groups' recursions are independent and interleave.
template <int Count, int Stages>
void bank (const SectionBank& b, unsigned long n) noexcept
{
    using DL = hn::CappedTag<float, (Count < 4 ? 4 : Count)>;
    using VL = hn::Vec<DL>;
    const DL d;
    constexpr size_t lanes = hn::MaxLanes (d);
    constexpr int groups = (Count + static_cast<int> (lanes) - 1) / static_cast<int> (lanes);
    const auto section = [] (int g, size_t j) { return g * static_cast<int> (lanes) + static_cast<int> (j); };

    SectionLanes<DL> s[Stages][groups];
    for (int st = 0; st < Stages; ++st)
        for (int g = 0; g < groups; ++g)
            s[st][g].load (d, b.coefficients[st], b.state[st], section (g, 0), Count);

    const auto run = [&] (int g, VL x) {
        for (int st = 0; st < Stages; ++st)
            x = s[st][g].step (x);
        return x;
    };

    size_t k = 0;
#if HWY_TARGET != HWY_SCALAR
    if constexpr (Count == 2 && lanes == 4)
    {
        // Two channels: (left, right) pairs in the low lanes, four samples a
        // step, without transposing rows that would be zeros. The sections
        // are held by name (not in the array) so that their histories stay
        // in registers.
        SectionLanes<DL> first = s[0][0];
        SectionLanes<DL> second = s[Stages - 1][0];
        const auto run = [&first, &second] (int, VL x) HWY_ATTR {
            x = first.step (x);
            if constexpr (Stages == 2)
                x = second.step (x);
            return x;
        };
        for (; k + 4 <= n; k += 4)
        {
            const VL l = hn::LoadU (d, b.in[0] + k);
            const VL r = hn::LoadU (d, b.in[1] + k);
            const VL early = hn::InterleaveLower (d, l, r); // l0 r0 l1 r1
            const VL late = hn::InterleaveUpper (d, l, r);  // l2 r2 l3 r3
            const VL y0 = run (0, early);
            const VL y1 = run (0, hn::ConcatUpperUpper (d, early, early));
            const VL y2 = run (0, late);
            const VL y3 = run (0, hn::ConcatUpperUpper (d, late, late));
            const VL a = hn::ConcatLowerLower (d, y1, y0); // l0 r0 l1 r1
            const VL c = hn::ConcatLowerLower (d, y3, y2); // l2 r2 l3 r3
            hn::StoreU (hn::ConcatEven (d, c, a), d, b.out[0] + k);
            hn::StoreU (hn::ConcatOdd (d, c, a), d, b.out[1] + k);
        }
        s[0][0] = first;
        if constexpr (Stages == 2)
            s[1][0] = second;
    }
    else
#endif
    if constexpr (lanes > 1)
    {
        for (; k + lanes <= n; k += lanes)
        {
            VL r[groups][lanes];
            for (int g = 0; g < groups; ++g)
            {
                for (size_t j = 0; j < lanes; ++j)
                    r[g][j] = section (g, j) < Count ? hn::LoadU (d, b.in[section (g, j)] + k) : hn::Zero (d);
                transpose (d, r[g]);
            }
            for (size_t j = 0; j < lanes; ++j)
                for (int g = 0; g < groups; ++g)
                    r[g][j] = run (g, r[g][j]);
            for (int g = 0; g < groups; ++g)
            {
                transpose (d, r[g]);
                for (size_t j = 0; j < lanes; ++j)
                    if (section (g, j) < Count)
                        hn::StoreU (r[g][j], d, b.out[section (g, j)] + k);
            }
        }
    }
    for (; k < n; ++k)
    {
        for (int g = 0; g < groups; ++g)
        {
            HWY_ALIGN float y[lanes];
            for (size_t j = 0; j < lanes; ++j)
                y[j] = section (g, j) < Count ? b.in[section (g, j)][k] : 0.0f;
            hn::Store (run (g, hn::Load (d, y)), d, y);
            for (size_t j = 0; j < lanes && section (g, j) < Count; ++j)
                b.out[section (g, j)][k] = y[j];
        }
    }

    for (int st = 0; st < Stages; ++st)
        for (int g = 0; g < groups; ++g)
            s[st][g].store (d, b.state[st], section (g, 0), Count);
}

void Biquads (const SectionBank& b, unsigned long n)
{
    const int kind = b.count * 2 + b.stages;
    switch (kind)
    {
        case 2 * 2 + 1: bank<2, 1> (b, n); break;
        case 2 * 2 + 2: bank<2, 2> (b, n); break;
        case 4 * 2 + 1: bank<4, 1> (b, n); break;
        case 4 * 2 + 2: bank<4, 2> (b, n); break;
        case 8 * 2 + 1: bank<8, 1> (b, n); break;
        default: break;
    }
}

// 0, 1, 2, ... in the lanes of a vector of ints: Highway's Iota builds it in
// memory one lane at a time, which costs more than a call's own work.
HWY_INLINE hn::Vec<hn::RebindToSigned<D>> counting (int first) noexcept
{
    const hn::RebindToSigned<D> di;
    alignas (64) static constexpr int kRun[16] = { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15 };
    return hn::Add (hn::Load (di, kRun), hn::Set (di, first));
}

// x - trunc(x), exact for every float (Highway's Trunc keeps the sign and
// passes magnitudes of 2^23 and above, infinities and NaN through).
HWY_INLINE V fractionalPart (V x) noexcept
{
    return hn::Sub (x, hn::Trunc (x));
}

// The sample index must convert to float exactly.
constexpr unsigned long kLongestRamp = 1UL << 24;

// frac(phase + k inc) for the sample indices k = first, first + 1, ..., a
// vector at a time.
struct UnfoldedPhases
{
    V start, step;
    hn::Vec<hn::RebindToSigned<D>> index;

    UnfoldedPhases (float phase, float inc, unsigned long first) noexcept
        : start (hn::Set (D(), phase)), step (hn::Set (D(), inc)), index (counting (static_cast<int> (first)))
    {
    }

    HWY_INLINE V next() noexcept
    {
        const V unfolded = fractionalPart (hn::Add (start, hn::Mul (hn::ConvertTo (D(), index), step)));
        index = hn::Add (index, hn::Set (hn::RebindToSigned<D>(), static_cast<int> (hn::MaxLanes (D()))));
        return unfolded;
    }
};

unsigned long WindowPhases (float phase, float inc, const float* window, float shortest, float halfTurn, float* pA,
                            float* pB, float* dA, float* dB, unsigned long n, unsigned long first, float& last)
{
    if (n + first >= kLongestRamp)
        return 0;
    const D d;
    constexpr size_t lanes = hn::MaxLanes (d);
    UnfoldedPhases phases (phase, inc, first);
    const V one = hn::Set (d, 1.0f);
    const V oneAndHalf = hn::Set (d, 0.5f + 1.0f);
    const V milli = hn::Set (d, 0.001f);
    const V offset = hn::Set (d, shortest);
    const V minusHalf = hn::Set (d, -0.5f);
    const V turn = hn::Set (d, halfTurn);
    size_t i = 0;
    for (; i + lanes <= n; i += lanes)
    {
        const V unfolded = phases.next();
        const V a = fractionalPart (hn::Add (unfolded, one));
        const V b = fractionalPart (hn::Add (a, oneAndHalf));
        const V w = hn::LoadU (d, window + i);
        hn::StoreU (hn::Add (hn::Mul (hn::Mul (a, w), milli), offset), d, dA + i);
        hn::StoreU (hn::Add (hn::Mul (hn::Mul (b, w), milli), offset), d, dB + i);
        hn::StoreU (hn::Mul (hn::Add (a, minusHalf), turn), d, pA + i);
        hn::StoreU (hn::Mul (hn::Add (b, minusHalf), turn), d, pB + i);
        if (i + lanes == n)
            last = hn::ExtractLane (unfolded, lanes - 1);
    }
    return i;
}

unsigned long OscillatorPhases (float phase, float step, const float* phaseOffset, bool sineArgument, float twoPi,
                                float minusHalfPi, float* out, unsigned long n, float& last)
{
    if (n >= kLongestRamp)
        return 0;
    const D d;
    constexpr size_t lanes = hn::MaxLanes (d);
    UnfoldedPhases phases (phase, step, 0);
    const V one = hn::Set (d, 1.0f);
    const V turn = hn::Set (d, twoPi);
    const V quarter = hn::Set (d, minusHalfPi);
    size_t i = 0;
    for (; i + lanes <= n; i += lanes)
    {
        const V unfolded = phases.next();
        V p = unfolded;
        if (phaseOffset != nullptr)
            p = fractionalPart (hn::Add (hn::Add (p, hn::LoadU (d, phaseOffset + i)), one));
        if (sineArgument)
            p = hn::Add (hn::Mul (p, turn), quarter);
        hn::StoreU (p, d, out + i);
        if (i + lanes == n)
            last = hn::ExtractLane (unfolded, lanes - 1);
    }
    return i;
}

// a > b ? a : b and a < b ? a : b, a NaN in either giving b, on every
// target. On x86 that is what the max and min instructions do; Highway's
// Max and Min on one lane (and on Arm) treat a NaN otherwise.
#undef KARVON_X86_MIN_MAX
#define KARVON_X86_MIN_MAX (HWY_ARCH_X86 && HWY_TARGET != HWY_SCALAR && HWY_TARGET != HWY_EMU128)
template <class VL>
HWY_INLINE VL greater (VL a, VL b) noexcept
{
#if KARVON_X86_MIN_MAX
    return hn::Max (a, b);
#else
    return hn::IfThenElse (hn::Gt (a, b), a, b);
#endif
}

template <class VL>
HWY_INLINE VL lesser (VL a, VL b) noexcept
{
#if KARVON_X86_MIN_MAX
    return hn::Min (a, b);
#else
    return hn::IfThenElse (hn::Lt (a, b), a, b);
#endif
}

// v < lo ? lo : v, then v > hi ? hi : v: NaN passes through.
HWY_INLINE V limit (V v, V lo, V hi) noexcept
{
    return lesser (hi, greater (lo, v));
}

template <bool TwoSegment>
HWY_INLINE size_t fade (const float* dry, const float* wet, float* out, size_t n, const float* mixPercent, float wetScale) noexcept
{
    const D d;
    constexpr size_t lanes = hn::MaxLanes (d);
    const V scale = hn::Set (d, wetScale);
    const V zero = hn::Zero (d);
    const V one = hn::Set (d, 1.0f);
    const V two = hn::Set (d, 2.0f);
    const V minusOne = hn::Set (d, -1.0f);
    const V minusTwo = hn::Set (d, -2.0f);
    const V percent = hn::Set (d, 0.01f);
    size_t i = 0;
    for (; i + lanes <= n; i += lanes)
    {
        const V m = limit (hn::Mul (hn::LoadU (d, mixPercent + i), percent), zero, one);
        V w = m;
        V g;
        if constexpr (TwoSegment)
        {
            w = limit (hn::Mul (m, two), zero, one);
            g = limit (hn::Add (hn::Mul (m, minusTwo), two), zero, one);
        }
        else
            g = hn::Add (hn::Mul (m, minusOne), one);
        const V x = hn::LoadU (d, dry + i);
        const V y = hn::Mul (hn::LoadU (d, wet + i), scale);
        hn::StoreU (hn::Add (hn::Mul (x, g), hn::Mul (y, w)), d, out + i);
    }
    return i;
}

unsigned long Crossfade (const float* dry, const float* wet, float* out, unsigned long n, const float* mixPercent,
                         bool twoSegment, float wetScale)
{
    return twoSegment ? fade<true> (dry, wet, out, n, mixPercent, wetScale) : fade<false> (dry, wet, out, n, mixPercent, wetScale);
}

// Eight running values in one vector of eight lanes, two of four or eight of
// one, so that every target meets the same elements in the same order; then
// value k folded with value k + 4 into folded[k], in registers (a value read
// back from memory right after a wider store can wait for that store). Split:
// two sets over alternate groups of eight, folded together at the end, for a
// result that does not depend on the order (the largest magnitude): the loop
// then waits on two chains of steps half as long (the meter's 1024-sample
// calls ran a third faster).
template <bool Split, typename Step, typename Fold>
HWY_INLINE unsigned long eightRunning (const float* a, unsigned long n, float start, float (&folded)[4], Step step,
                                       Fold fold) noexcept
{
    using D8 = hn::CappedTag<float, 8>;
    const D8 d;
    constexpr size_t lanes = hn::MaxLanes (d);
    constexpr size_t count = 8 / lanes;
    hn::Vec<D8> r[count];
    for (auto& v : r)
        v = hn::Set (d, start);
    unsigned long i = 0;
    if constexpr (Split)
    {
        hn::Vec<D8> q[count];
        for (auto& v : q)
            v = hn::Set (d, start);
        for (; i + 16 <= n; i += 16)
            for (size_t k = 0; k < count; ++k)
            {
                r[k] = step (hn::LoadU (d, a + i + k * lanes), r[k]);
                q[k] = step (hn::LoadU (d, a + i + 8 + k * lanes), q[k]);
            }
        for (size_t k = 0; k < count; ++k)
            r[k] = fold (r[k], q[k]);
    }
    for (; i + 8 <= n; i += 8)
        for (size_t k = 0; k < count; ++k)
            r[k] = step (hn::LoadU (d, a + i + k * lanes), r[k]);
#if HWY_TARGET != HWY_SCALAR
    if constexpr (lanes == 8)
    {
        const hn::Half<D8> dh;
        hn::StoreU (fold (hn::LowerHalf (dh, r[0]), hn::UpperHalf (dh, r[0])), dh, folded);
        return i;
    }
#endif
    for (size_t k = 0; k < count / 2; ++k)
        hn::StoreU (fold (r[k], r[k + count / 2]), d, folded + k * lanes);
    return i;
}

unsigned long Reduce (Reduction kind, const float* a, unsigned long n, float (&folded)[4])
{
    constexpr float infinity = __builtin_huge_valf();
    const auto larger = [] (auto p, auto q) { return greater (p, q); };
    const auto smaller = [] (auto p, auto q) { return lesser (p, q); };
    switch (kind)
    {
        case Reduction::largestMagnitude:
            return eightRunning<true> (a, n, 0.0f, folded, [] (auto x, auto r) { return greater (hn::Abs (x), r); }, larger);
        case Reduction::largest:
            return eightRunning<false> (a, n, -infinity, folded, [] (auto x, auto r) { return greater (x, r); }, larger);
        case Reduction::smallest:
            return eightRunning<false> (a, n, infinity, folded, [] (auto x, auto r) { return lesser (x, r); }, smaller);
        case Reduction::sumOfSquares:
            return eightRunning<false> (a, n, 0.0f, folded, [] (auto x, auto r) { return hn::Add (r, hn::Mul (x, x)); },
                                        [] (auto p, auto q) { return hn::Add (p, q); });
    }
    return 0;
}

} // namespace HWY_NAMESPACE
} // namespace VectorKernels
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace VectorKernels
{
HWY_EXPORT (Cos);
HWY_EXPORT (Sin);
HWY_EXPORT (Tanh);
HWY_EXPORT (Exp);
HWY_EXPORT (Log);
HWY_EXPORT (Log10);
HWY_EXPORT (Trunc);
HWY_EXPORT (Pow);
HWY_EXPORT (Fmod);
HWY_EXPORT (Biquads);
HWY_EXPORT (WindowPhases);
HWY_EXPORT (OscillatorPhases);
HWY_EXPORT (Crossfade);
HWY_EXPORT (Reduce);

void cos (const float* a, float* out, unsigned long n) noexcept { KARVON_DISPATCH (Cos) (a, out, n); }
void sin (const float* a, float* out, unsigned long n) noexcept { KARVON_DISPATCH (Sin) (a, out, n); }
void tanh (const float* a, float* out, unsigned long n) noexcept { KARVON_DISPATCH (Tanh) (a, out, n); }
void exp (const float* a, float* out, unsigned long n) noexcept { KARVON_DISPATCH (Exp) (a, out, n); }
void log (const float* a, float* out, unsigned long n) noexcept { KARVON_DISPATCH (Log) (a, out, n); }
void log10 (const float* a, float* out, unsigned long n) noexcept { KARVON_DISPATCH (Log10) (a, out, n); }
void trunc (const float* a, float* out, unsigned long n) noexcept { KARVON_DISPATCH (Trunc) (a, out, n); }
void pow (const float* x, const float* e, float* out, unsigned long n) noexcept { KARVON_DISPATCH (Pow) (x, e, out, n); }
void fmod (const float* a, const float* b, float* out, unsigned long n) noexcept { KARVON_DISPATCH (Fmod) (a, b, out, n); }
void biquads (const SectionBank& bank, unsigned long n) noexcept { KARVON_DISPATCH (Biquads) (bank, n); }

std::size_t findTargetIndex() noexcept
{
    hwy::ChosenTarget& c = hwy::GetChosenTarget();
    if (! c.IsInitialized())
        c.Update (hwy::SupportedTargets());
    const std::size_t i = c.GetIndex();
    chosenIndex.store (i, std::memory_order_relaxed);
    return i;
}

void choose() noexcept
{
    findTargetIndex();
}

unsigned long windowPhases (float phase, float inc, const float* window, float shortest, float halfTurn, float* pA, float* pB,
                            float* dA, float* dB, unsigned long n, unsigned long first, float& last) noexcept
{
    return KARVON_DISPATCH (WindowPhases) (phase, inc, window, shortest, halfTurn, pA, pB, dA, dB, n, first, last);
}

unsigned long oscillatorPhases (float phase, float step, const float* phaseOffset, bool sineArgument, float twoPi,
                                float minusHalfPi, float* out, unsigned long n, float& last) noexcept
{
    return KARVON_DISPATCH (OscillatorPhases) (phase, step, phaseOffset, sineArgument, twoPi, minusHalfPi, out, n, last);
}

unsigned long crossfade (const float* dry, const float* wet, float* out, unsigned long n, const float* mixPercent,
                         bool twoSegment, float wetScale) noexcept
{
    return KARVON_DISPATCH (Crossfade) (dry, wet, out, n, mixPercent, twoSegment, wetScale);
}

unsigned long reduce (Reduction kind, const float* a, unsigned long n, float (&folded)[4]) noexcept
{
    return KARVON_DISPATCH (Reduce) (kind, a, n, folded);
}

std::vector<std::int64_t> targetsThisCpuRuns()
{
    return hwy::SupportedAndGeneratedTargets();
}

void useOnlyTarget (std::int64_t target) noexcept
{
    hwy::SetSupportedTargetsForTest (target);
    hwy::GetChosenTarget().DeInit();
    findTargetIndex();
}

const char* targetName (std::int64_t target) noexcept
{
    return hwy::TargetName (target);
}
} // namespace VectorKernels
#endif
