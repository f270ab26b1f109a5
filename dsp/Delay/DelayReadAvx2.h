#pragma once

// Linear delay reads eight samples at a time with AVX2 gathers. Internal to
// DelayRead, which calls it only on CPUs that have AVX2.
namespace DelayReadAvx2
{
// Whether this CPU runs the code below.
bool available() noexcept;

// Reads samples 0 .. (n rounded down to a multiple of 8) - 1 exactly as
// DelayRead's linear loop does, and returns how many it read.
unsigned long readLinear (const float* time, float toSeconds, float* out, const float* data, long base, long size,
                          float sampleRate, float shortest, float longest, unsigned long n) noexcept;
} // namespace DelayReadAvx2
