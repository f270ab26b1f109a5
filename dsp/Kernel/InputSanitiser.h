#pragma once

// The wet path's view of the host input. A host may hand over NaN or infinite
// samples (a broken plug-in upstream, an uninitialised buffer). Once such a
// value enters a delay line or the reverb's feedback network it circulates
// there for ever, so the effect would output NaN or silence long after the
// input became clean again, and on the dry side a mix gain of 0 does not
// silence it. The whole effect therefore reads a copy in which non-finite
// samples are silence.
namespace InputSanitiser
{
// Finite samples beyond this magnitude (120 dB above full scale) are limited
// to it, so that no sum or square inside the effect can overflow to infinity.
inline constexpr float kLargestSample = 1.0e6f;

// output[i] = input[i] when finite (limited to +-kLargestSample), else 0.
// input null gives silence. In place allowed.
void copy (const float* input, float* output, unsigned long n) noexcept;
} // namespace InputSanitiser
