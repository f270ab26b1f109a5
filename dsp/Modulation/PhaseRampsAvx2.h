#pragma once

#include "Math/Accelerate/VectorKernels.h"

// The pitch shifter's former entry to its window-phase loop, now the vector
// layer's (VectorKernels::windowPhases, on every CPU). Kept only until the
// shifter calls that directly.
namespace PhaseRampsAvx2
{
inline bool available() noexcept
{
    return true;
}

inline unsigned long windowPhases (float phase, float inc, const float* window, float shortest, float halfTurn, float* pA,
                                   float* pB, float* dA, float* dB, unsigned long n, unsigned long first, float& last) noexcept
{
    return VectorKernels::windowPhases (phase, inc, window, shortest, halfTurn, pA, pB, dA, dB, n, first, last);
}
} // namespace PhaseRampsAvx2
