#pragma once

#include "ReferenceLine.h"

#include <cmath>

// Where the effect's lines read, in samples of the stream. The kernel
// decides per chunk of the stream grid; within a chunk everything is one
// sample at a time.
namespace ReferenceTiming
{
// The stream grid: chunks of this many frames from the start of the stream.
constexpr long kGrid = 256;

// A read from a line `delay` samples back, with the line's shortest delay and
// the age (in pushes) at which a whole delay of 0 would read.
struct Reading
{
    float shortest;
    long ageAtZero;
};

// Lines inside a feedback loop read before the sample is written: the
// reverb's network lines and the voices' repeating delays. They read 64
// samples behind the delay asked for, and never less than a grid chunk.
constexpr Reading kInLoop { static_cast<float> (kGrid), 64 - 1 };
// Feed-forward lines store the sample first and then read it: the
// pre-delay, the early reflections, the pitch shifters' storage. The delay
// heard is the delay set, down to 0.
constexpr Reading kAfterWrite { 0.0f, 0 };
// The shortest delay of a shifter's taps, in seconds, added to the sweep.
constexpr float kShifterShortestSeconds = 0.001f;

// The delay in samples (as a line computes it, clipped below at the
// shortest), split into the whole and fractional part the line interpolates.
inline float read (const ReferenceLine& line, float delaySamples, Reading r)
{
    const float d = delaySamples < r.shortest ? r.shortest : delaySamples;
    const long whole = static_cast<long> (d);
    const float fraction = d - static_cast<float> (whole);
    return line.read (r.ageAtZero + whole, fraction);
}

} // namespace ReferenceTiming
