#pragma once

// Non-linear mappings between a parameter's range and the 0..1 position of a
// host parameter or control. Inputs outside 0..1 (or the range) are clamped.
namespace GenericTemplates
{
// min + (max - min) * x^3: fine control near the bottom of the range.
float powThree (float min, float max, float x) noexcept;
float invertPowThree (float min, float max, float v) noexcept;
// Equal steps of x are equal musical intervals between min and max (Hz).
float ratioToFrequencies (float min, float max, float x) noexcept;
float frequenciesToRatio (float min, float max, float f) noexcept;
} // namespace GenericTemplates
