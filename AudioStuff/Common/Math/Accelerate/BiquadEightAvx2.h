#pragma once

#include "Math/Accelerate/BiquadHistory.h"

// Internal to the vector layer: eight independent biquad sections in the
// eight lanes of one AVX vector, for SignalProcessing::biquadEight on CPUs
// that have AVX2. Built with -mavx2 but without -mfma: every lane takes the
// same separate multiplies and adds as the baseline loop, so every CPU
// produces the same samples.
namespace BiquadEightAvx2
{
// Whether this CPU runs the code below.
bool available() noexcept;

// in[j] through coefficients[j] (b0, b1, b2, a1, a2) into out[j] with
// state[j] (all eight non-null); out[j] may be in[j] but no other input.
void process (const float* const* in, const float* const* coefficients, float* const* out, unsigned long n,
              BiquadHistory* const* state) noexcept;
} // namespace BiquadEightAvx2
