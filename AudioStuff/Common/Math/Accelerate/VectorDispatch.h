#pragma once

#include <hwy/highway.h>

#include <atomic>
#include <cstddef>

// Highway's dynamic dispatch for the vector layer's files, with the chosen
// target's place in the dispatch tables found once and kept here: each call
// then costs a load and an indirect jump, where Highway's own dispatch reads
// its record through libhwy and turns the target's bit into a place on every
// call (which weighs on calls of 32 or 64 samples).
namespace VectorKernels
{
// 0 until found: Highway's entry 0 chooses and then runs, so even a call
// before anything was found gives the right samples.
inline std::atomic<std::size_t> chosenIndex { 0 };

// Chooses the target (once per process, or again after a test narrowed the
// targets) and stores its place.
std::size_t findTargetIndex() noexcept;

inline std::size_t targetIndex() noexcept
{
    const std::size_t i = chosenIndex.load (std::memory_order_relaxed);
    return HWY_LIKELY (i != 0) ? i : findTargetIndex();
}
} // namespace VectorKernels

#if HWY_HAVE_RUNTIME_DISPATCH
#define KARVON_DISPATCH(name) (*(HWY_DISPATCH_TABLE (name)[VectorKernels::targetIndex()]))
#else
#define KARVON_DISPATCH(name) HWY_DYNAMIC_DISPATCH (name)
#endif
