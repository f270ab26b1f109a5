#pragma once

#include "ProcessBlock/Filters/BiquadFilterType.h"

// Coefficients of H(z) = (b0 + b1 z^-1 + b2 z^-2) / (1 + a1 z^-1 + a2 z^-2).
struct BiquadCoefficients
{
    // frequency in Hz; resonance in dB (the quality factor, and the level of
    // the shelves); gain in dB (the level of the peak). A type outside the
    // eight known ones, NaN settings or a missing sample rate leave the
    // coefficients untouched. Frequencies are kept between 1e-5 and 0.49 times
    // the sample rate, where every design is stable.
    void calculateParams (float frequency, float resonance, float gain, BiquadFilterType type) noexcept;

    // |H(e^jw)| at w = pi * x, where x is the frequency as a fraction of the
    // Nyquist frequency; evaluated in double from the float coefficients.
    // The sample rate is not read: the caller divides by its own Nyquist.
    double magnitudeForFrequency (double x) const noexcept;

    float sampleRate = 44100.0f;
    float a1 = 0.0f;
    float a2 = 0.0f;
    float b0 = 0.0f;
    float b1 = 0.0f;
    float b2 = 0.0f;
};
