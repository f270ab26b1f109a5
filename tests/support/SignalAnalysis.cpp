#include "SignalAnalysis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace testsupport
{
double rms (const float* x, std::size_t n)
{
    if (n == 0)
        return 0.0;
    double sum = 0.0;
    for (std::size_t i = 0; i < n; ++i)
        sum += double (x[i]) * x[i];
    return std::sqrt (sum / double (n));
}

double peak (const float* x, std::size_t n)
{
    double p = 0.0;
    for (std::size_t i = 0; i < n; ++i)
        p = std::max (p, std::abs (double (x[i])));
    return p;
}

double toDecibels (double linear) { return 20.0 * std::log10 (std::max (linear, 1e-30)); }

double toneMagnitude (const float* x, std::size_t n, double frequency, double sampleRate)
{
    const double w = 2.0 * std::numbers::pi * frequency / sampleRate;
    double re = 0.0, im = 0.0;
    for (std::size_t i = 0; i < n; ++i)
    {
        const double window = 0.5 - 0.5 * std::cos (2.0 * std::numbers::pi * double (i) / double (n));
        re += window * x[i] * std::cos (w * double (i));
        im -= window * x[i] * std::sin (w * double (i));
    }
    // A Hann window has a coherent gain of 0.5.
    return 2.0 * std::sqrt (re * re + im * im) / (0.5 * double (n));
}

double dominantFrequency (const float* x, std::size_t n, double sampleRate, double minHz, double maxHz)
{
    const double binHz = sampleRate / double (n);
    double best = 0.0, bestHz = 0.0;
    for (double f = std::ceil (minHz / binHz) * binHz; f <= std::min (maxHz, sampleRate / 2); f += binHz)
    {
        const double m = toneMagnitude (x, n, f, sampleRate);
        if (m > best)
        {
            best = m;
            bestHz = f;
        }
    }
    return bestHz;
}

std::vector<float> sine (double frequency, double sampleRate, std::size_t n, float amplitude)
{
    std::vector<float> out (n);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = amplitude * float (std::sin (2.0 * std::numbers::pi * frequency * double (i) / sampleRate));
    return out;
}

bool allFinite (const float* x, std::size_t n)
{
    return std::all_of (x, x + n, [] (float v) { return std::isfinite (v); });
}
} // namespace testsupport
