#pragma once

#include "Delay/DelayWrite.h"

#include <vector>

// A block reader of one channel's DelayWrite with a fractional delay per
// sample. Reads sit 64 samples behind the requested delay (the storage keeps
// that margin so the newest block can be written after the read), plus one
// sample in Lagrange mode, whose four-point kernel is centred one sample late.
class DelayRead
{
public:
    static constexpr int Linear = 1;
    static constexpr int Lagrange = 2; // third order, the default

    DelayRead();

    // out[i] = the signal of `w` delayed by timeSeconds[i] (clipped to the
    // block length below and to what the storage holds above), for i < n.
    // Non-finite times read at the shortest delay.
    void process (const float* timeSeconds, float* out, const DelayWrite& w, unsigned long n) noexcept;

    int interpolationMode = Lagrange;
    float sampleRate = 44100.0f;

private:
    void processPiece (const float* timeSeconds, float* out, const DelayWrite& w, unsigned long first, unsigned long n,
                       float shortest, float longest) noexcept;

    // Scratch, one entry per sample of a piece: delay in samples, its fraction,
    // the four taps and the terms of the interpolation.
    std::vector<float> delay, fraction, tap0, tap1, tap2, tap3, coefficient, termA, termB, termC;
};
