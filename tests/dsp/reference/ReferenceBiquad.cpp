#include "ReferenceBiquad.h"

#include <algorithm>
#include <cmath>
#include <numbers>

void ReferenceBiquad::design (Type type, float f, float r, float g, float sampleRate)
{
    // The effect's sections keep their design frequency inside the band
    // (up to 0.49 of the rate): at low rates this, not the callers' limits
    // just below Nyquist, is the highest damping cutoff.
    f = std::clamp (f, 1.0e-5f * sampleRate, 0.49f * sampleRate);
    const float K = std::tan (static_cast<float> (std::numbers::pi * static_cast<double> (f) / static_cast<double> (sampleRate)));
    const auto Q = static_cast<float> (std::pow (10.0, static_cast<double> (r) * 0.05));
    const float level = type == Peak ? g : r;
    const auto V = static_cast<float> (std::pow (10.0, std::fabs (static_cast<double> (level)) / 20.0));
    const bool boost = level >= 0.0f;
    const auto S = static_cast<float> (std::numbers::sqrt2 * static_cast<double> (K));
    const float W = std::sqrt (2.0f * V) * K;
    const float KK = K * K;
    const float KQ = K / Q;

    float norm = 1.0f / (1.0f + KQ + KK);
    switch (type)
    {
        case LowPass:
            b0 = KK * norm, b1 = 2.0f * b0, b2 = b0;
            a1 = 2.0f * (KK - 1.0f) * norm, a2 = (1.0f - KQ + KK) * norm;
            break;
        case HighPass:
            b0 = norm, b1 = -2.0f * norm, b2 = norm;
            a1 = 2.0f * (KK - 1.0f) * norm, a2 = (1.0f - KQ + KK) * norm;
            break;
        case BandPass:
            b0 = KQ * norm, b1 = 0.0f, b2 = -b0;
            a1 = 2.0f * (KK - 1.0f) * norm, a2 = (1.0f - KQ + KK) * norm;
            break;
        case Notch:
            b0 = (1.0f + KK) * norm, b1 = 2.0f * (KK - 1.0f) * norm, b2 = b0;
            a1 = b1, a2 = (1.0f - KQ + KK) * norm;
            break;
        case Peak:
            if (! boost)
                norm = 1.0f / (1.0f + V * KQ + KK);
            b0 = (boost ? 1.0f + V * KQ + KK : 1.0f + KQ + KK) * norm;
            b1 = 2.0f * (KK - 1.0f) * norm;
            b2 = (boost ? 1.0f - V * KQ + KK : 1.0f - KQ + KK) * norm;
            a1 = b1;
            a2 = (boost ? 1.0f - KQ + KK : 1.0f - V * KQ + KK) * norm;
            break;
        case LowShelf:
            if (boost)
            {
                norm = 1.0f / (1.0f + S + KK);
                b0 = (1.0f + W + V * KK) * norm, b1 = 2.0f * (V * KK - 1.0f) * norm, b2 = (1.0f - W + V * KK) * norm;
                a1 = 2.0f * (KK - 1.0f) * norm, a2 = (1.0f - S + KK) * norm;
            }
            else
            {
                norm = 1.0f / (1.0f + W + V * KK);
                b0 = (1.0f + S + KK) * norm, b1 = 2.0f * (KK - 1.0f) * norm, b2 = (1.0f - S + KK) * norm;
                a1 = 2.0f * (V * KK - 1.0f) * norm, a2 = (1.0f - W + V * KK) * norm;
            }
            break;
        case HighShelf:
            if (boost)
            {
                norm = 1.0f / (1.0f + S + KK);
                b0 = (V + W + KK) * norm, b1 = 2.0f * (KK - V) * norm, b2 = (V - W + KK) * norm;
                a1 = 2.0f * (KK - 1.0f) * norm, a2 = (1.0f - S + KK) * norm;
            }
            else
            {
                norm = 1.0f / (V + W + KK);
                b0 = (1.0f + S + KK) * norm, b1 = 2.0f * (KK - 1.0f) * norm, b2 = (1.0f - S + KK) * norm;
                a1 = 2.0f * (KK - V) * norm, a2 = (V - W + KK) * norm;
            }
            break;
        case AllPass:
            b0 = (1.0f - KQ + KK) * norm, b1 = 2.0f * (KK - 1.0f) * norm, b2 = (1.0f + KQ + KK) * norm;
            a1 = b1, a2 = b0;
            break;
    }
}

float ReferenceBiquad::tick (float x)
{
    // y = b0 x + b1 x1 + b2 x2 - a1 y1 - a2 y2, summed with the previous
    // output's term last (the order the effect's sections use).
    const float y = (b0 * x + b1 * x1 + b2 * x2 - a2 * y2) - a1 * y1;
    x2 = x1, x1 = x;
    y2 = y1, y1 = y;
    return y;
}

void ReferenceBiquad::clear()
{
    x1 = x2 = y1 = y2 = 0.0f;
}

void ReferenceBiquad::prime (float newer, float older)
{
    x1 = y1 = newer;
    x2 = y2 = older;
}
