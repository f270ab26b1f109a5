#include "SignalAnalysis.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
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

double bandAboveDecibels (const float* x, std::size_t n, double sampleRate, double fromHz)
{
    std::vector<std::complex<double>> a (n);
    for (std::size_t i = 0; i < n; ++i)
        a[i] = double (x[i]) * (0.5 - 0.5 * std::cos (2.0 * std::numbers::pi * double (i) / double (n)));

    // Iterative radix-2 FFT.
    for (std::size_t i = 1, j = 0; i < n; ++i)
    {
        std::size_t bit = n >> 1;
        for (; (j & bit) != 0; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap (a[i], a[j]);
    }
    for (std::size_t length = 2; length <= n; length <<= 1)
    {
        const double angle = -2.0 * std::numbers::pi / double (length);
        const std::complex<double> turn (std::cos (angle), std::sin (angle));
        for (std::size_t i = 0; i < n; i += length)
        {
            std::complex<double> w (1.0);
            for (std::size_t k = 0; k < length / 2; ++k)
            {
                const auto u = a[i + k];
                const auto v = a[i + k + length / 2] * w;
                a[i + k] = u + v;
                a[i + k + length / 2] = u - v;
                w *= turn;
            }
        }
    }

    double above = 0.0, total = 0.0;
    for (std::size_t b = 1; b < n / 2; ++b)
    {
        const double e = std::norm (a[b]);
        total += e;
        if (double (b) * sampleRate / double (n) >= fromHz)
            above += e;
    }
    return 10.0 * std::log10 (above / total + 1e-300);
}

double differenceDecibels (const float* a, const float* b, std::size_t n)
{
    double difference = 0.0, reference = 0.0;
    for (std::size_t i = 0; i < n; ++i)
    {
        const double d = double (a[i]) - double (b[i]);
        difference += d * d;
        reference += double (b[i]) * double (b[i]);
    }
    return difference == 0.0 ? -std::numeric_limits<double>::infinity() : 10.0 * std::log10 (difference / reference);
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
