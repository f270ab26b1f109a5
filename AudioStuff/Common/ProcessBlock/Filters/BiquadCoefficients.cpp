#include "ProcessBlock/Filters/BiquadCoefficients.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

void BiquadCoefficients::calculateParams (float frequency, float resonance, float gain, BiquadFilterType type) noexcept
{
    if (static_cast<int> (type) < LowPass || static_cast<int> (type) > AllPass)
        return;
    // No meaningful design from NaN settings or without a sample rate: keep
    // the previous coefficients rather than filling the filter with NaN.
    if (! (sampleRate > 0.0f) || std::isnan (frequency) || std::isnan (resonance) || std::isnan (gain))
        return;
    // At or below 0 Hz the sections turn unstable, and beyond Nyquist tan()
    // folds the design over onto a mirrored frequency: keep the frequency
    // inside the usable band.
    frequency = std::clamp (frequency, 1.0e-5f * sampleRate, 0.49f * sampleRate);

    const float K = std::tan (static_cast<float> (std::numbers::pi * static_cast<double> (frequency) / static_cast<double> (sampleRate)));
    const auto Q = static_cast<float> (std::pow (10.0, static_cast<double> (resonance) * 0.05));
    // Shelves take their level from the resonance argument; only the peak
    // uses the gain argument.
    const float level = type == Peak ? gain : resonance;
    const auto V = static_cast<float> (std::pow (10.0, std::fabs (static_cast<double> (level)) / 20.0));
    const bool boost = level >= 0.0f;
    const auto S = static_cast<float> (std::numbers::sqrt2 * static_cast<double> (K));
    const float W = std::sqrt (2.0f * V) * K;
    const float KK = K * K;
    const float KQ = K / Q;

    float norm = 0.0f;
    switch (type)
    {
        case LowPass:
            norm = 1.0f / (1.0f + KQ + KK);
            b0 = KK * norm;
            b1 = 2.0f * b0;
            b2 = b0;
            a1 = 2.0f * (KK - 1.0f) * norm;
            a2 = (1.0f - KQ + KK) * norm;
            break;
        case HighPass:
            norm = 1.0f / (1.0f + KQ + KK);
            b0 = norm;
            b1 = -2.0f * norm;
            b2 = norm;
            a1 = 2.0f * (KK - 1.0f) * norm;
            a2 = (1.0f - KQ + KK) * norm;
            break;
        case BandPass:
            norm = 1.0f / (1.0f + KQ + KK);
            b0 = KQ * norm;
            b1 = 0.0f;
            b2 = -b0;
            a1 = 2.0f * (KK - 1.0f) * norm;
            a2 = (1.0f - KQ + KK) * norm;
            break;
        case Notch:
            norm = 1.0f / (1.0f + KQ + KK);
            b0 = (1.0f + KK) * norm;
            b1 = 2.0f * (KK - 1.0f) * norm;
            b2 = b0;
            a1 = b1;
            a2 = (1.0f - KQ + KK) * norm;
            break;
        case Peak:
            if (boost)
            {
                norm = 1.0f / (1.0f + KQ + KK);
                b0 = (1.0f + V * KQ + KK) * norm;
                b1 = 2.0f * (KK - 1.0f) * norm;
                b2 = (1.0f - V * KQ + KK) * norm;
                a1 = b1;
                a2 = (1.0f - KQ + KK) * norm;
            }
            else
            {
                norm = 1.0f / (1.0f + V * KQ + KK);
                b0 = (1.0f + KQ + KK) * norm;
                b1 = 2.0f * (KK - 1.0f) * norm;
                b2 = (1.0f - KQ + KK) * norm;
                a1 = b1;
                a2 = (1.0f - V * KQ + KK) * norm;
            }
            break;
        case LowShelf:
            if (boost)
            {
                norm = 1.0f / (1.0f + S + KK);
                b0 = (1.0f + W + V * KK) * norm;
                b1 = 2.0f * (V * KK - 1.0f) * norm;
                b2 = (1.0f - W + V * KK) * norm;
                a1 = 2.0f * (KK - 1.0f) * norm;
                a2 = (1.0f - S + KK) * norm;
            }
            else
            {
                norm = 1.0f / (1.0f + W + V * KK);
                b0 = (1.0f + S + KK) * norm;
                b1 = 2.0f * (KK - 1.0f) * norm;
                b2 = (1.0f - S + KK) * norm;
                a1 = 2.0f * (V * KK - 1.0f) * norm;
                a2 = (1.0f - W + V * KK) * norm;
            }
            break;
        case HighShelf:
            if (boost)
            {
                norm = 1.0f / (1.0f + S + KK);
                b0 = (V + W + KK) * norm;
                b1 = 2.0f * (KK - V) * norm;
                b2 = (V - W + KK) * norm;
                a1 = 2.0f * (KK - 1.0f) * norm;
                a2 = (1.0f - S + KK) * norm;
            }
            else
            {
                norm = 1.0f / (V + W + KK);
                b0 = (1.0f + S + KK) * norm;
                b1 = 2.0f * (KK - 1.0f) * norm;
                b2 = (1.0f - S + KK) * norm;
                a1 = 2.0f * (KK - V) * norm;
                a2 = (V - W + KK) * norm;
            }
            break;
        case AllPass:
            norm = 1.0f / (1.0f + KQ + KK);
            b0 = (1.0f - KQ + KK) * norm;
            b1 = 2.0f * (KK - 1.0f) * norm;
            b2 = (1.0f + KQ + KK) * norm;
            a1 = b1;
            a2 = b0;
            break;
    }
}

double BiquadCoefficients::magnitudeForFrequency (double x) const noexcept
{
    const double w = std::numbers::pi * x;
    const std::complex<double> z1 = std::polar (1.0, w);
    const std::complex<double> z2 = std::polar (1.0, 2.0 * w);
    // Numerator and denominator multiplied through by z^2.
    const auto numerator = static_cast<double> (b0) * z2 + static_cast<double> (b1) * z1 + static_cast<double> (b2);
    const auto denominator = z2 + static_cast<double> (a1) * z1 + static_cast<double> (a2);
    return std::abs (numerator) / std::abs (denominator);
}
