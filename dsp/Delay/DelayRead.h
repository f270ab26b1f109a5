#pragma once

#include "Delay/DelayWrite.h"

// A block reader of one channel's DelayWrite with a fractional delay per
// sample. Reads sit 64 samples behind the requested delay (the storage keeps
// that margin so the newest block can be written after the read), plus one
// sample in Lagrange mode, whose four-point kernel is centred one sample late.
class DelayRead
{
public:
    static constexpr int Linear = 1;
    static constexpr int Lagrange = 2; // third order, the default

    // out[i] = the signal of `w` delayed by timeSeconds[i] (clipped to the
    // block length below and to what the storage holds above), for i < n.
    // Non-finite times read at the shortest delay. out may be timeSeconds.
    void process (const float* timeSeconds, float* out, const DelayWrite& w, unsigned long n) noexcept;
    // The same with times in ms: each is taken x 0.001 to seconds and then
    // read exactly as process reads it.
    void processMilliseconds (const float* timeMs, float* out, const DelayWrite& w, unsigned long n) noexcept;

    int interpolationMode = Lagrange;
    float sampleRate = 44100.0f;

private:
    // Each sample is read in one pass (delay, position, taps and
    // interpolation together): the reader needs no scratch memory, and the
    // per-sample arithmetic is the same sequence of operations whatever the
    // block length.
    // Times in units of toSeconds seconds (1 or 0.001).
    void read (const float* time, float toSeconds, float* out, const DelayWrite& w, unsigned long n) noexcept;
    void readLinear (const float* time, float toSeconds, float* out, const DelayWrite& w, unsigned long n, float shortest,
                     float longest) const noexcept;
    void readLagrange (const float* time, float toSeconds, float* out, const DelayWrite& w, unsigned long n,
                       float shortest, float longest) const noexcept;
};
