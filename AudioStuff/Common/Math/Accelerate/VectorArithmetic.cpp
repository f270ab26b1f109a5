// The vector layer's element-wise arithmetic and the blocks' element-wise
// passes, compiled once per Highway target like VectorKernels.cpp and
// dispatched the same way.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "Math/Accelerate/VectorArithmetic.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include <hwy/highway.h>

#include <cstdint>
#include <limits>

#include "Math/Accelerate/VectorDispatch.h"
#include "Math/Accelerate/VectorKernels.h"
#include "Math/Accelerate/VectorLanes-inl.h"

HWY_BEFORE_NAMESPACE();
namespace VectorKernels
{
namespace HWY_NAMESPACE
{
namespace hn = hwy::HWY_NAMESPACE;

// body (d, i) for every element i: whole vectors first, then the rest one
// element at a time through the same body on a one-lane descriptor, so each
// operation is written once and every element gets the same result wherever
// it sits.
template <class Body>
HWY_INLINE void eachVector (unsigned long n, Body body) noexcept
{
    const hn::ScalableTag<float> d;
    constexpr size_t lanes = hn::MaxLanes (d);
    size_t i = 0;
    for (; i + lanes <= n; i += lanes)
        body (d, i);
    const hn::CappedTag<float, 1> one;
    for (; i < n; ++i)
        body (one, i);
}

// out = f (d, a[i], b[i], ...). Each vector's inputs are loaded before its
// output is stored, so out may be one of the inputs.
template <class F, class... In>
HWY_INLINE void map (float* out, unsigned long n, F f, const In*... in) noexcept
{
    eachVector (n, [&] (auto d, size_t i) { hn::StoreU (f (d, hn::LoadU (d, in + i)...), d, out + i); });
}

void Add (const float* a, const float* b, float* out, unsigned long n)
{
    map (out, n, [] (auto, auto x, auto y) { return hn::Add (x, y); }, a, b);
}

void Sub (const float* a, const float* b, float* out, unsigned long n)
{
    map (out, n, [] (auto, auto x, auto y) { return hn::Sub (x, y); }, a, b);
}

void AddSub (const float* a, const float* b, float* sum, float* difference, unsigned long n)
{
    eachVector (n, [&] (auto d, size_t i) {
        const auto x = hn::LoadU (d, a + i);
        const auto y = hn::LoadU (d, b + i);
        hn::StoreU (hn::Sub (x, y), d, difference + i);
        hn::StoreU (hn::Add (x, y), d, sum + i);
    });
}

void Mul (const float* a, const float* b, float* out, unsigned long n)
{
    map (out, n, [] (auto, auto x, auto y) { return hn::Mul (x, y); }, a, b);
}

void MulS (const float* a, float s, float* out, unsigned long n)
{
    map (out, n, [s] (auto d, auto x) { return hn::Mul (x, hn::Set (d, s)); }, a);
}

void MulAdd (const float* a, const float* b, const float* c, float* out, unsigned long n)
{
    map (out, n, [] (auto, auto x, auto y, auto z) { return hn::Add (hn::Mul (x, y), z); }, a, b, c);
}

void Lerp (const float* a, const float* b, const float* t, float* out, unsigned long n)
{
    map (out, n, [] (auto, auto x, auto y, auto w) { return hn::Add (hn::Mul (hn::Sub (y, x), w), x); }, a, b, t);
}

void LerpMul (const float* a, const float* b, const float* t, const float* g, float* out, unsigned long n)
{
    map (out, n, [] (auto, auto x, auto y, auto w, auto v) {
        return hn::Mul (hn::Add (hn::Mul (hn::Sub (y, x), w), x), v);
    }, a, b, t, g);
}

// x < lo ? lo : x and x > hi ? hi : x, NaN passing through both.
void Clip (const float* a, float lo, float hi, float* out, unsigned long n)
{
    map (out, n, [lo, hi] (auto d, auto x) { return limit (x, hn::Set (d, lo), hn::Set (d, hi)); }, a);
}

// |x| <= the largest float fails for NaN and the infinities alone.
void Finite (const float* a, float* out, unsigned long n)
{
    map (out, n, [] (auto d, auto x) {
        return hn::IfThenElseZero (hn::Le (hn::Abs (x), hn::Set (d, std::numeric_limits<float>::max())), x);
    }, a);
}
void AddMulS (const float* a, const float* b, float s, float* out, unsigned long n)
{
    map (out, n, [s] (auto d, auto x, auto y) { return hn::Mul (hn::Add (x, y), hn::Set (d, s)); }, a, b);
}

// start + (first + i) step, each value from its own index; the indices
// counted in int lanes.
void Ramp (float start, float step, int first, float* out, unsigned long n)
{
    size_t i = 0;
#if HWY_TARGET != HWY_SCALAR
    const hn::ScalableTag<float> d;
    const hn::RebindToSigned<decltype (d)> di;
    constexpr size_t lanes = hn::MaxLanes (d);
    auto index = counting (di, first);
    const auto v0 = hn::Set (d, start);
    const auto dv = hn::Set (d, step);
    for (; i + lanes <= n; i += lanes)
    {
        hn::StoreU (hn::Add (v0, hn::Mul (hn::ConvertTo (d, index), dv)), d, out + i);
        index = hn::Add (index, hn::Set (di, static_cast<std::int32_t> (lanes)));
    }
#endif
    for (; i < n; ++i)
        out[i] = start + static_cast<float> (first + static_cast<int> (i)) * step;
}

// The squares of the key in whole units (capped, then truncated) take the
// place of the ring's; the sum of their differences, exact in 64 bits.
std::int64_t ExchangeSquaresPass (const float* key, std::int32_t* ring, float units, float largest, unsigned long n)
{
    std::int64_t change = 0;
    size_t i = 0;
#if HWY_TARGET != HWY_SCALAR
    const hn::ScalableTag<float> d;
    const hn::RebindToSigned<decltype (d)> di;
    const hn::Half<decltype (di)> half;
    const hn::Repartition<std::int64_t, decltype (d)> wide;
    constexpr size_t lanes = hn::MaxLanes (d);
    auto sum = hn::Zero (wide);
    for (; i + lanes <= n; i += lanes)
    {
        const auto k = hn::LoadU (d, key + i);
        const auto square = hn::ConvertTo (di, hn::Min (hn::Mul (hn::Mul (k, k), hn::Set (d, units)), hn::Set (d, largest)));
        const auto difference = hn::Sub (square, hn::LoadU (di, ring + i));
        hn::StoreU (square, di, ring + i);
        sum = hn::Add (sum, hn::PromoteTo (wide, hn::LowerHalf (half, difference)));
        sum = hn::Add (sum, hn::PromoteTo (wide, hn::UpperHalf (half, difference)));
    }
    change = hn::GetLane (hn::SumOfLanes (wide, sum));
#endif
    for (; i < n; ++i)
    {
        const float capped = key[i] * key[i] * units;
        const auto square = static_cast<std::int32_t> (largest < capped ? largest : capped);
        change += static_cast<std::int64_t> (square) - ring[i];
        ring[i] = square;
    }
    return change;
}

void NetworkMixPass (const NetworkMix& mix, unsigned long n)
{
    // A copy the stores cannot touch, so that its values stay in registers.
    const NetworkMix m = mix;
    eachVector (n, [&] (auto d, size_t i) {
        const auto gain = hn::Set (d, m.gain);
        const auto scale = hn::Set (d, m.scale);
        const auto a = hn::Add (hn::LoadU (d, m.line[0] + i), hn::LoadU (d, m.early[0] + i));
        const auto b = hn::Add (hn::LoadU (d, m.line[1] + i), hn::LoadU (d, m.early[1] + i));
        const auto c = hn::LoadU (d, m.line[2] + i);
        const auto e = hn::LoadU (d, m.line[3] + i);
        const auto s0 = hn::Add (a, b);
        const auto s1 = hn::Sub (a, b);
        const auto s2 = hn::Add (c, e);
        const auto s3 = hn::Sub (c, e);
        hn::StoreU (hn::Mul (hn::Add (hn::Mul (a, gain), hn::Mul (c, gain)), scale), d, m.out[0] + i);
        hn::StoreU (hn::Mul (hn::Add (hn::Mul (b, gain), hn::Mul (e, gain)), scale), d, m.out[1] + i);
        hn::StoreU (hn::Add (s0, s2), d, m.mix[0] + i);
        hn::StoreU (hn::Add (s1, s3), d, m.mix[1] + i);
        hn::StoreU (hn::Sub (s0, s2), d, m.mix[2] + i);
        hn::StoreU (hn::Sub (s1, s3), d, m.mix[3] + i);
    });
}

void ModulatedTimesPass (const ModulatedTimes& times, unsigned long n)
{
    const ModulatedTimes t = times;
    eachVector (n, [&] (auto d, size_t i) {
        const auto s = hn::Div (hn::Add (hn::LoadU (d, t.room + i), hn::Set (d, t.offset)), hn::Set (d, t.divisor));
        hn::StoreU (s, d, t.scale + i);
        for (size_t line = 0; line < 4; ++line)
        {
            const auto m = hn::LoadU (d, t.modulation[line] + i);
            for (size_t set = 0; set < 2; ++set)
            {
                const auto nominal = hn::Set (d, t.nominal[set][line]);
                const auto time = hn::Add (hn::Mul (m, hn::Set (d, t.depth[set])), hn::Mul (s, nominal));
                hn::StoreU (hn::Abs (time), d, t.time[set][line] + i);
            }
        }
    });
}
} // namespace HWY_NAMESPACE
} // namespace VectorKernels
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace VectorKernels
{
HWY_EXPORT (Add);
HWY_EXPORT (Sub);
HWY_EXPORT (AddSub);
HWY_EXPORT (Mul);
HWY_EXPORT (MulS);
HWY_EXPORT (MulAdd);
HWY_EXPORT (Lerp);
HWY_EXPORT (LerpMul);
HWY_EXPORT (Clip);
HWY_EXPORT (Finite);
HWY_EXPORT (AddMulS);
HWY_EXPORT (Ramp);
HWY_EXPORT (ExchangeSquaresPass);
HWY_EXPORT (NetworkMixPass);
HWY_EXPORT (ModulatedTimesPass);

void add (const float* a, const float* b, float* out, unsigned long n) noexcept { KARVON_DISPATCH (Add) (a, b, out, n); }
void sub (const float* a, const float* b, float* out, unsigned long n) noexcept { KARVON_DISPATCH (Sub) (a, b, out, n); }
void add_sub (const float* a, const float* b, float* sum, float* difference, unsigned long n) noexcept
{
    KARVON_DISPATCH (AddSub) (a, b, sum, difference, n);
}
void mul (const float* a, const float* b, float* out, unsigned long n) noexcept { KARVON_DISPATCH (Mul) (a, b, out, n); }
void mul_s (const float* a, float s, float* out, unsigned long n) noexcept { KARVON_DISPATCH (MulS) (a, s, out, n); }
void mul_add (const float* a, const float* b, const float* c, float* out, unsigned long n) noexcept
{
    KARVON_DISPATCH (MulAdd) (a, b, c, out, n);
}
void lerp (const float* a, const float* b, const float* t, float* out, unsigned long n) noexcept
{
    KARVON_DISPATCH (Lerp) (a, b, t, out, n);
}
void lerp_mul (const float* a, const float* b, const float* t, const float* g, float* out, unsigned long n) noexcept
{
    KARVON_DISPATCH (LerpMul) (a, b, t, g, out, n);
}
void clip (const float* a, float lo, float hi, float* out, unsigned long n) noexcept { KARVON_DISPATCH (Clip) (a, lo, hi, out, n); }
void finite (const float* a, float* out, unsigned long n) noexcept { KARVON_DISPATCH (Finite) (a, out, n); }
void add_mul_s (const float* a, const float* b, float s, float* out, unsigned long n) noexcept
{
    KARVON_DISPATCH (AddMulS) (a, b, s, out, n);
}
void ramp (float start, float step, int first, float* out, unsigned long n) noexcept
{
    KARVON_DISPATCH (Ramp) (start, step, first, out, n);
}
std::int64_t exchangeSquares (const float* key, std::int32_t* ring, float units, float largest, unsigned long n) noexcept
{
    return KARVON_DISPATCH (ExchangeSquaresPass) (key, ring, units, largest, n);
}
void networkMix (const NetworkMix& m, unsigned long n) noexcept { KARVON_DISPATCH (NetworkMixPass) (m, n); }
void modulatedTimes (const ModulatedTimes& t, unsigned long n) noexcept { KARVON_DISPATCH (ModulatedTimesPass) (t, n); }
} // namespace VectorKernels
#endif
