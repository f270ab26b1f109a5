// The vector layer's larger, smaller and limit, for both of its Highway
// files; included after foreach_target.h, once per target.
#if defined(KARVON_VECTOR_MIN_MAX_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef KARVON_VECTOR_MIN_MAX_INL_H_
#undef KARVON_VECTOR_MIN_MAX_INL_H_
#else
#define KARVON_VECTOR_MIN_MAX_INL_H_
#endif

#include <hwy/highway.h>

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
} // namespace HWY_NAMESPACE
} // namespace VectorKernels
HWY_AFTER_NAMESPACE();

#endif
