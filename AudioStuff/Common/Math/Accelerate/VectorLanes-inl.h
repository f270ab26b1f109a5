// Lane helpers both of the vector layer's Highway files use (larger,
// smaller and limit; a run of indices); included after foreach_target.h,
// once per target.
#if defined(KARVON_VECTOR_LANES_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef KARVON_VECTOR_LANES_INL_H_
#undef KARVON_VECTOR_LANES_INL_H_
#else
#define KARVON_VECTOR_LANES_INL_H_
#endif

#include <hwy/highway.h>

#include <cstdint>

HWY_BEFORE_NAMESPACE();
namespace VectorKernels
{
namespace HWY_NAMESPACE
{
// a > b ? a : b and a < b ? a : b, a NaN in either giving b, on every
// target. On x86 that is what the max and min instructions do; Highway's
// Max and Min on one lane (and on Arm) treat a NaN otherwise.
#undef KARVON_X86_MIN_MAX
#define KARVON_X86_MIN_MAX (HWY_ARCH_X86 && HWY_TARGET != HWY_SCALAR && HWY_TARGET != HWY_EMU128)
template <class VL>
HWY_INLINE VL greater (VL a, VL b) noexcept
{
#if KARVON_X86_MIN_MAX
    return hwy::HWY_NAMESPACE::Max (a, b);
#else
    return hwy::HWY_NAMESPACE::IfThenElse (hwy::HWY_NAMESPACE::Gt (a, b), a, b);
#endif
}

template <class VL>
HWY_INLINE VL lesser (VL a, VL b) noexcept
{
#if KARVON_X86_MIN_MAX
    return hwy::HWY_NAMESPACE::Min (a, b);
#else
    return hwy::HWY_NAMESPACE::IfThenElse (hwy::HWY_NAMESPACE::Lt (a, b), a, b);
#endif
}

// v < lo ? lo : v, then v > hi ? hi : v: NaN passes through.
template <class VL>
HWY_INLINE VL limit (VL v, VL lo, VL hi) noexcept
{
    return lesser (hi, greater (lo, v));
}

// first, first + 1, ... in the lanes of a vector of ints: Highway's Iota
// builds it in memory one lane at a time, which costs more than a call's own
// work.
template <class DI>
HWY_INLINE hwy::HWY_NAMESPACE::Vec<DI> counting (DI di, int first) noexcept
{
    alignas (64) static constexpr std::int32_t kRun[16] = { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15 };
    static_assert (hwy::HWY_NAMESPACE::MaxLanes (DI()) <= 16);
    return hwy::HWY_NAMESPACE::Add (hwy::HWY_NAMESPACE::Load (di, kRun), hwy::HWY_NAMESPACE::Set (di, first));
}
} // namespace HWY_NAMESPACE
} // namespace VectorKernels
HWY_AFTER_NAMESPACE();

#endif
