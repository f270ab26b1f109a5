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

// For `channels` (1 or 2) storages of equal size and write position, times
// in seconds: out[c] = weightA tapA + weightB tapB, with tapA and tapB read
// from data[c] as readLinear reads them at timeA and timeB. The same count
// of samples as readLinear.
unsigned long readWindowedTaps (const float* timeA, const float* timeB, const float* weightA, const float* weightB,
                                const float* const* data, float* const* out, int channels, long base, long size,
                                float sampleRate, float shortest, float longest, unsigned long n) noexcept;

// readLinear of `count` (at most kMostLines) storages of equal size and
// write position, each at its own times (neighbours with equal time
// pointers share their positions), in one call: the same samples as count calls.
constexpr int kMostLines = 8;
unsigned long readLinearMany (const float* const* time, float toSeconds, float* const* out, const float* const* data,
                              int count, long base, long size, float sampleRate, float shortest, float longest,
                              unsigned long n) noexcept;
} // namespace DelayReadAvx2
