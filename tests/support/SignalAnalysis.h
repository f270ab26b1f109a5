#pragma once

#include <cstddef>
#include <vector>

// Measurements on rendered signals, shared by the tests.
namespace testsupport
{
double rms (const float* x, std::size_t n);
double peak (const float* x, std::size_t n);
double toDecibels (double linear);
// Magnitude of the component at `frequency` (Goertzel), normalised so that a
// full-scale sine gives 1.
double toneMagnitude (const float* x, std::size_t n, double frequency, double sampleRate);
// Frequency of the largest DFT bin between minHz and maxHz (Hann window).
double dominantFrequency (const float* x, std::size_t n, double sampleRate, double minHz = 20.0, double maxHz = 20000.0);
// Share of the signal's energy at and above `fromHz`, in dB (Hann window,
// one FFT over the first n samples; n a power of two).
double bandAboveDecibels (const float* x, std::size_t n, double sampleRate, double fromHz);
// Level of a - b relative to b, in dB (both of n samples); -infinity when equal.
double differenceDecibels (const float* a, const float* b, std::size_t n);
std::vector<float> sine (double frequency, double sampleRate, std::size_t n, float amplitude = 1.0f);
bool allFinite (const float* x, std::size_t n);
} // namespace testsupport
