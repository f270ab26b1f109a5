// Highway compiles this file once per target (foreach_target.h includes it
// again for each); the dispatch tables at the end pick one at run time.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "Math/Accelerate/VectorKernels.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include <hwy/highway.h>
#include <sleef.h>

#include <algorithm>

#include "Math/Accelerate/BiquadHistory.h"
#include "Math/Accelerate/VectorDispatch.h"
#include "Math/Accelerate/VectorKernels.h"
#include "Math/Accelerate/VectorLanes-inl.h"

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
using DI = hn::RebindToSigned<D>;
using VI = hn::Vec<DI>;

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

// Count channels through a section each: groups of as many channels as
// a vector has lanes (at least four, so two channels share one SSE vector),
// a group's samples turned so that one vector holds the same sample of every
// channel; the groups' recursions are independent and interleave.
template <int Count>
void bank (const SectionBank& b, unsigned long n) noexcept
{
    using DL = hn::CappedTag<float, (Count < 4 ? 4 : Count)>;
    using VL = hn::Vec<DL>;
    const DL d;
    constexpr size_t lanes = hn::MaxLanes (d);
    constexpr int groups = (Count + static_cast<int> (lanes) - 1) / static_cast<int> (lanes);
    const auto section = [] (int g, size_t j) { return g * static_cast<int> (lanes) + static_cast<int> (j); };

    SectionLanes<DL> s[groups];
    for (int g = 0; g < groups; ++g)
        s[g].load (d, b.coefficients, b.state, section (g, 0), Count);
    const auto run = [&] (int g, VL x) { return s[g].step (x); };

    size_t k = 0;
#if HWY_TARGET != HWY_SCALAR
    if constexpr (Count == 2 && lanes == 4)
    {
        // Two channels: (left, right) pairs in the low lanes, four samples a
        // step, without transposing rows that would be zeros. The section
        // is held by name (not in the array) so that its history stays in
        // registers.
        SectionLanes<DL> first = s[0];
        const auto sections = [&] (VL x) HWY_ATTR { return first.step (x); };
        for (; k + 4 <= n; k += 4)
        {
            const VL l = hn::LoadU (d, b.in[0] + k);
            const VL r = hn::LoadU (d, b.in[1] + k);
            const VL early = hn::InterleaveLower (d, l, r); // l0 r0 l1 r1
            const VL late = hn::InterleaveUpper (d, l, r);  // l2 r2 l3 r3
            const VL y0 = sections (early);
            const VL y1 = sections (hn::ConcatUpperUpper (d, early, early));
            const VL y2 = sections (late);
            const VL y3 = sections (hn::ConcatUpperUpper (d, late, late));
            const VL a = hn::ConcatLowerLower (d, y1, y0); // l0 r0 l1 r1
            const VL c = hn::ConcatLowerLower (d, y3, y2); // l2 r2 l3 r3
            hn::StoreU (hn::ConcatEven (d, c, a), d, b.out[0] + k);
            hn::StoreU (hn::ConcatOdd (d, c, a), d, b.out[1] + k);
        }
        s[0] = first;
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

    for (int g = 0; g < groups; ++g)
        s[g].store (d, b.state, section (g, 0), Count);
}

void Biquads (const SectionBank& b, unsigned long n)
{
    switch (b.count)
    {
        case 2: bank<2> (b, n); break;
        case 4: bank<4> (b, n); break;
        case 8: bank<8> (b, n); break;
        default: break;
    }
}

// The state-space blocks (see VectorKernels.h): every lane sums its
// products in the plain form's order. Two channels share one eight-lane
// vector where there is one (Broadcast repeats a lane within each half).
void StateBlocks (const StateBlocks& b, unsigned long blocks)
{
#if HWY_TARGET == HWY_SCALAR
    for (int j = 0; j < b.count; ++j)
        for (unsigned long k = 0; k < 4 * blocks; k += 4)
        {
            float x[4];
            std::copy (b.in[j] + k, b.in[j] + k + 4, x);
            stateBlock (b.matrices[j], b.state[j], x, b.out[j] + k);
        }
#else
    const auto block = [] (auto x, auto& z, const auto* m) HWY_ATTR {
        const auto sum = [&] (int first, auto v) HWY_ATTR {
            const auto a = hn::Add (hn::Mul (m[first], hn::Broadcast<0> (v)), hn::Mul (m[first + 1], hn::Broadcast<1> (v)));
            const auto c = hn::Add (hn::Mul (m[first + 2], hn::Broadcast<2> (v)), hn::Mul (m[first + 3], hn::Broadcast<3> (v)));
            return hn::Add (a, c);
        };
        const auto y = hn::Add (sum (0, x), sum (4, z));
        z = hn::Add (sum (8, x), sum (12, z));
        return y;
    };
    const hn::CappedTag<float, 4> d4;
    using V4 = hn::Vec<decltype (d4)>;
    const unsigned long n = 4 * blocks;
#if HWY_TARGET == HWY_AVX2
    if (b.count == 2)
    {
        const hn::CappedTag<float, 8> d8;
        using V8 = hn::Vec<decltype (d8)>;
        V8 m[16];
        for (int c = 0; c < 16; ++c)
            m[c] = hn::Combine (d8, hn::LoadU (d4, b.matrices[1] + 4 * c), hn::LoadU (d4, b.matrices[0] + 4 * c));
        V8 z = hn::Combine (d8, hn::LoadU (d4, b.state[1]), hn::LoadU (d4, b.state[0]));
        for (unsigned long k = 0; k < n; k += 4)
        {
            const V8 x = hn::Combine (d8, hn::LoadU (d4, b.in[1] + k), hn::LoadU (d4, b.in[0] + k));
            const V8 y = block (x, z, m);
            hn::StoreU (hn::LowerHalf (d4, y), d4, b.out[0] + k);
            hn::StoreU (hn::UpperHalf (d4, y), d4, b.out[1] + k);
        }
        hn::StoreU (hn::LowerHalf (d4, z), d4, b.state[0]);
        hn::StoreU (hn::UpperHalf (d4, z), d4, b.state[1]);
        return;
    }
#endif
    V4 m[2][16];
    V4 z[2];
    for (int j = 0; j < b.count; ++j)
    {
        for (int c = 0; c < 16; ++c)
            m[j][c] = hn::LoadU (d4, b.matrices[j] + 4 * c);
        z[j] = hn::LoadU (d4, b.state[j]);
    }
    if (b.count == 2)
    {
        // The two channels' recursions are independent and interleave.
        for (unsigned long k = 0; k < n; k += 4)
        {
            const V4 y0 = block (hn::LoadU (d4, b.in[0] + k), z[0], m[0]);
            const V4 y1 = block (hn::LoadU (d4, b.in[1] + k), z[1], m[1]);
            hn::StoreU (y0, d4, b.out[0] + k);
            hn::StoreU (y1, d4, b.out[1] + k);
        }
    }
    else
    {
        for (unsigned long k = 0; k < n; k += 4)
            hn::StoreU (block (hn::LoadU (d4, b.in[0] + k), z[0], m[0]), d4, b.out[0] + k);
    }
    for (int j = 0; j < b.count; ++j)
        hn::StoreU (z[j], d4, b.state[j]);
#endif
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
    VI index;

    UnfoldedPhases (float phase, float inc, unsigned long first) noexcept
        : start (hn::Set (D(), phase)), step (hn::Set (D(), inc)), index (counting (DI(), static_cast<int> (first)))
    {
    }

    HWY_INLINE V next() noexcept
    {
        const V unfolded = fractionalPart (hn::Add (start, hn::Mul (hn::ConvertTo (D(), index), step)));
        index = hn::Add (index, hn::Set (DI(), static_cast<int> (hn::MaxLanes (D()))));
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

// Delay reads: the per-call constants, and the positions and taps of a
// vector of samples, each lane as DelayRead's per-sample loop computes it.
// Storages and blocks below kLongestVectorRead samples (see readable).
// The whole part of delays in [0, 2^23) as ints. x86's truncating
// conversion is exact there and one step on the path from the delay to the
// load address; Highway's ConvertTo adds three that guard against overflow,
// Trunc is a two-step rounding, and either slowed the reads by 10 to 20 %.
HWY_INLINE VI truncated (V x) noexcept
{
#if HWY_TARGET == HWY_AVX2
    return VI { _mm256_cvttps_epi32 (x.raw) };
#elif HWY_TARGET == HWY_SSE4 || HWY_TARGET == HWY_SSSE3
    return VI { _mm_cvttps_epi32 (x.raw) };
#else
    return hn::ConvertTo (DI(), x);
#endif
}

struct Reach
{
    static constexpr size_t lanes = hn::MaxLanes (D());
    V unit, rate, low, high;
    VI first, wrap, lowest, highest;
    int highestWindowStart;

    explicit Reach (const DelayReach& r) noexcept
        : unit (hn::Set (D(), r.toSeconds)),
          rate (hn::Set (D(), r.sampleRate)),
          low (hn::Set (D(), r.shortest)),
          high (hn::Set (D(), r.longest)),
          first (counting (DI(), static_cast<int> (r.base))),
          wrap (hn::Set (DI(), static_cast<int> (r.size))),
          lowest (hn::Set (DI(), 4)),
          highest (hn::Set (DI(), static_cast<int> (r.size) + 3)),
          // Sixteen samples from position - 1 must stay inside the size + 4 floats.
          highestWindowStart (static_cast<int> (r.size) - 11)
    {
    }

    // Positions and fractions of samples i .. i + lanes - 1: the delay limited
    // to [shortest, longest] (NaN to shortest), truncated, the position
    // wrapped once and clamped. Seconds: times already in seconds, whose
    // x 1 is exact and left out (one register fewer in the two-tap loop).
    template <bool Seconds = false>
    HWY_INLINE VI positions (const float* time, size_t i, V& f) const noexcept
    {
        const D d;
        const DI di;
        V delay = hn::LoadU (d, time + i);
        if constexpr (! Seconds)
            delay = hn::Mul (delay, unit);
        delay = hn::Mul (delay, rate);
        delay = hn::Max (low, delay);
        delay = hn::Min (high, delay);
        delay = hn::IfThenElse (hn::Ge (delay, low), delay, low);
        const VI whole = truncated (delay);
        f = hn::Sub (delay, hn::ConvertTo (d, whole));
        VI p = hn::Sub (hn::Add (first, hn::Set (di, static_cast<int> (i))), whole);
        p = hn::Add (p, hn::IfThenElseZero (hn::Lt (p, lowest), wrap));
        return hn::Min (hn::Max (p, lowest), highest);
    }

    // The interpolated samples at positions p with fractions f: y0 + F (y1 - y0).
    HWY_INLINE V taps (const float* data, VI p, V f) const noexcept
    {
        const D d;
        const DI di;
        V y0, y1;
        const int p0 = hn::GetLane (p);
        if (hn::AllTrue (di, hn::Eq (p, counting (di, p0))))
        {
            // Consecutive positions (a delay that holds or moves slowly): two
            // plain vector loads read the same samples.
            y0 = hn::LoadU (d, data + p0);
            y1 = hn::LoadU (d, data + p0 - 1);
        }
        else if (! nearby (data, p, p0, y0, y1))
            pairs (data, p, y0, y1);
        return hn::Add (hn::Mul (f, hn::Sub (y1, y0)), y0);
    }

    // Each lane's newest sample data[p] (y0) and the one before it (y1): one
    // 8-byte load per lane, the pairs then sorted into the two vectors.
    // (A template so that the branch for the other width is discarded.)
    template <class DL = D>
    static HWY_INLINE void pairs (const float* data, VI p, hn::Vec<DL>& y0, hn::Vec<DL>& y1) noexcept
    {
        HWY_ALIGN int at[lanes];
        hn::Store (p, DI(), at);
#if HWY_TARGET != HWY_SCALAR
        if constexpr (lanes == 4 || lanes == 8)
        {
            const DL d;
            const hn::Full128<float> d4;
            const auto four = [&] (size_t k) {
                const hn::Full64<float> d2;
                return hn::Combine (d4, hn::LoadU (d2, data + at[k + 1] - 1), hn::LoadU (d2, data + at[k] - 1));
            };
            hn::Vec<DL> lo, hi;
            if constexpr (lanes == 8)
            {
                lo = hn::Combine (d, four (2), four (0));
                hi = hn::Combine (d, four (6), four (4));
            }
            else
            {
                lo = four (0);
                hi = four (2);
            }
            y1 = hn::ConcatEven (d, hi, lo);
            y0 = hn::ConcatOdd (d, hi, lo);
            return;
        }
#endif
        y0 = hn::Set (DL(), data[at[0]]);
        y1 = hn::Set (DL(), data[at[0] - 1]);
    }

    // Eight lanes whose positions lie within fifteen samples after the first
    // (a tap sweeping at up to twice the speed of the signal, as a pitch
    // shifter's do): two vector loads hold all their samples, and each lane
    // picks its two.
    HWY_INLINE bool nearby (const float* data, VI p, int p0, V& y0, V& y1) const noexcept
    {
#if HWY_TARGET != HWY_SCALAR
        if constexpr (lanes == 8)
        {
            const D d;
            const DI di;
            if (p0 > highestWindowStart)
                return false;
            const VI rel = hn::Sub (p, hn::Set (di, p0));
            // 0 <= rel <= 14 in one unsigned comparison.
            const hn::RebindToUnsigned<D> du;
            const auto relU = hn::BitCast (du, rel);
            if (! hn::AllTrue (du, hn::Eq (hn::Min (relU, hn::Set (du, 14u)), relU)))
                return false;
            // Lane k's older sample is element rel[k] of the sixteen from
            // p0 - 1, its newer one element rel[k] + 1.
            const V lo = hn::LoadU (d, data + p0 - 1);
            const V hi = hn::LoadU (d, data + p0 + 7);
            const auto pick = [&] (VI index) {
                const auto at = hn::IndicesFromVec (d, hn::And (index, hn::Set (di, 7)));
                return hn::IfThenElse (hn::RebindMask (d, hn::Gt (index, hn::Set (di, 7))), hn::TableLookupLanes (hi, at),
                                       hn::TableLookupLanes (lo, at));
            };
            y1 = pick (rel);
            y0 = pick (hn::Add (rel, hn::Set (di, 1)));
            return true;
        }
#endif
        (void) data, (void) p, (void) p0, (void) y0, (void) y1;
        return false;
    }
};

bool readable (const DelayReach& r, unsigned long n) noexcept
{
    return n < static_cast<unsigned long> (kLongestVectorRead) && r.size < kLongestVectorRead;
}

// Storages read at one set of times: the positions are found once per
// vector. G storages (1 or 2: no loop over them, so the compiler does not
// hoist a path's set-up out of its branch), or `count`.
template <int G>
HWY_INLINE void readGroup (const Reach& reach, const float* time, const float* const* data, float* const* out, int count,
                           unsigned long n) noexcept
{
    const int storages = G > 0 ? G : count;
    for (size_t i = 0; i + Reach::lanes <= n; i += Reach::lanes)
    {
        V f;
        const auto p = reach.positions (time, i, f);
        for (int k = 0; k < storages; ++k)
            hn::StoreU (reach.taps (data[k], p, f), D(), out[k] + i);
    }
}

unsigned long DelayLinear (const float* time, float* out, const float* data, const DelayReach& r, unsigned long n)
{
    if (! readable (r, n))
        return 0;
    readGroup<1> (Reach (r), time, &data, &out, 1, n);
    return n / Reach::lanes * Reach::lanes;
}

void DelayLinearMany (const float* const* time, float* const* out, const float* const* data, int count,
                      const DelayReach& r, unsigned long n)
{
    if (! readable (r, n))
        return;
    const Reach reach (r);
    for (int first = 0; first < count;)
    {
        // Storages next to each other at the same times share their
        // positions; a group is read side by side and the next after it, so
        // that only a few storages stream through the caches at a time.
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
}

// Channels: 1 or 2, fixed so that no loop over them lets the compiler hoist a
// read path's set-up out of its branch.
template <int Channels>
HWY_INLINE void windowedTaps (const float* timeA, const float* timeB, const float* weightA, const float* weightB,
                              const float* const* data, float* const* out, const Reach& reach, unsigned long n) noexcept
{
    for (size_t i = 0; i + Reach::lanes <= n; i += Reach::lanes)
    {
        V fA, fB;
        const auto pA = reach.positions<true> (timeA, i, fA);
        const auto pB = reach.positions<true> (timeB, i, fB);
        const V wA = hn::LoadU (D(), weightA + i);
        const V wB = hn::LoadU (D(), weightB + i);
        for (int c = 0; c < Channels; ++c)
        {
            const V a = reach.taps (data[c], pA, fA);
            const V b = reach.taps (data[c], pB, fB);
            hn::StoreU (hn::Add (hn::Mul (wA, a), hn::Mul (wB, b)), D(), out[c] + i);
        }
    }
}

void DelayWindowedTaps (const float* timeA, const float* timeB, const float* weightA, const float* weightB,
                        const float* const* data, float* const* out, int channels, const DelayReach& r, unsigned long n)
{
    if (! readable (r, n))
        return;
    const Reach reach (r);
    if (channels == 2)
        windowedTaps<2> (timeA, timeB, weightA, weightB, data, out, reach, n);
    else
        windowedTaps<1> (timeA, timeB, weightA, weightB, data, out, reach, n);
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
HWY_EXPORT (StateBlocks);
HWY_EXPORT (WindowPhases);
HWY_EXPORT (OscillatorPhases);
HWY_EXPORT (Crossfade);
HWY_EXPORT (Reduce);
HWY_EXPORT (DelayLinear);
HWY_EXPORT (DelayLinearMany);
HWY_EXPORT (DelayWindowedTaps);

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
void stateBlocks (const StateBlocks& b, unsigned long blocks) noexcept { KARVON_DISPATCH (StateBlocks) (b, blocks); }

void stateBlock (const float* m, float* state, const float* x, float* y) noexcept
{
    const float* z = state;
    const auto sum = [] (const float* c, const float* v, int k) {
        return (c[k] * v[0] + c[4 + k] * v[1]) + (c[8 + k] * v[2] + c[12 + k] * v[3]);
    };
    float next[4];
    for (int k = 0; k < 4; ++k)
    {
        y[k] = sum (m, x, k) + sum (m + 16, z, k);
        next[k] = sum (m + 32, x, k) + sum (m + 48, z, k);
    }
    std::copy (next, next + 4, state);
}

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

unsigned long delayLinear (const float* time, float* out, const float* data, const DelayReach& reach, unsigned long n) noexcept
{
    return KARVON_DISPATCH (DelayLinear) (time, out, data, reach, n);
}

void delayLinearMany (const float* const* time, float* const* out, const float* const* data, int count,
                      const DelayReach& reach, unsigned long n) noexcept
{
    KARVON_DISPATCH (DelayLinearMany) (time, out, data, count, reach, n);
}

void delayWindowedTaps (const float* timeA, const float* timeB, const float* weightA, const float* weightB,
                        const float* const* data, float* const* out, int channels, const DelayReach& reach,
                        unsigned long n) noexcept
{
    KARVON_DISPATCH (DelayWindowedTaps) (timeA, timeB, weightA, weightB, data, out, channels, reach, n);
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
