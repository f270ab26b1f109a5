#include "ReferenceBandLimit.h"

#include <cmath>

namespace
{
// The low-pass prototype (band edge 1): zero, pole magnitude and -2 Re(pole)
// of each section, and the gain that centres its 0.7 dB ripple.
constexpr double kBand[2][3] = { { 6.879060368, 0.582681913, 0.779204022 }, { 2.923117618, 1.012613876, 0.293478507 } };
constexpr double kBandGain = 0.9605058184;

// One section of the prototype by the bilinear transform, its band edge at
// 0.8 Nyquist / ratio, unity at DC times `gain`.
std::array<float, 5> designBand (const double* p, float ratio, double gain)
{
    const double edge = std::tan (3.14159265358979323846 * 0.4 / static_cast<double> (ratio));
    const double c1 = p[2] * edge, c0 = p[1] * p[1] * edge * edge, z = p[0] * p[0] * edge * edge;
    const double a0 = 1.0 + c1 + c0, g = gain * c0 / z;
    const auto b0 = static_cast<float> (g * (1.0 + z) / a0);
    return { b0, static_cast<float> (2.0 * g * (z - 1.0) / a0), b0, static_cast<float> (2.0 * (c0 - 1.0) / a0),
             static_cast<float> ((1.0 - c1 + c0) / a0) };
}

// A section's two states after inputs x1, x2 and outputs y1, y2 (newest first).
void statesOf (const std::array<float, 5>& c, double x1, double x2, double y1, double y2, float& s1, float& s2)
{
    s1 = static_cast<float> (c[1] * x1 + c[2] * x2 - c[3] * y1 - c[4] * y2);
    s2 = static_cast<float> (c[2] * x1 - c[4] * y1);
}
} // namespace

void ReferenceBandLimit::design (float ratio)
{
    first = designBand (kBand[0], ratio, kBandGain);
    second = designBand (kBand[1], ratio, 1.0);
    weigh();
}

void ReferenceBandLimit::startSections (const Section& a, const Section& b)
{
    first = a;
    second = b;
    weigh();
    clear();
}

void ReferenceBandLimit::weigh()
{
    // Four samples of the two sections in double, from each unit input or
    // unit state alone.
    for (int c = 0; c < 8; ++c)
    {
        double z[4] = {};
        if (c >= 4)
            z[c - 4] = 1.0;
        for (int k = 0; k < 4; ++k)
        {
            const double x = c == k ? 1.0 : 0.0;
            const double u = first[0] * x + z[0];
            const double y = second[0] * u + z[2];
            const double z0 = first[1] * x - first[3] * u + z[1];
            const double z1 = first[2] * x - first[4] * u;
            const double z2 = second[1] * u - second[3] * y + z[3];
            const double z3 = second[2] * u - second[4] * y;
            z[0] = z0, z[1] = z1, z[2] = z2, z[3] = z3;
            weights[c][k] = static_cast<float> (y);
        }
        for (int i = 0; i < 4; ++i)
            next[c][i] = static_cast<float> (z[i]);
    }
}

void ReferenceBandLimit::statesFrom (double x1, double x2, double u1, double u2, double y1, double y2)
{
    statesOf (first, x1, x2, u1, u2, state[0], state[1]);
    statesOf (second, u1, u2, y1, y2, state[2], state[3]);
    count = 0;
    lastIn[0] = static_cast<float> (x1), lastIn[1] = static_cast<float> (x2);
    lastOut[0] = static_cast<float> (y1), lastOut[1] = static_cast<float> (y2);
}

void ReferenceBandLimit::start (float ratio, float newer, float older)
{
    design (ratio);
    statesFrom (newer, older, newer, older, newer, older);
}

void ReferenceBandLimit::redesign (float ratio)
{
    // The first section's last two outputs, from its states and inputs.
    const double x1 = lastIn[0], x2 = lastIn[1];
    const double u1 = (first[2] * x1 - state[1]) / first[4];
    const double u2 = (first[1] * x1 + first[2] * x2 - first[3] * u1 - state[0]) / first[4];
    design (ratio);
    statesFrom (x1, x2, u1, u2, lastOut[0], lastOut[1]);
}

float ReferenceBandLimit::tick (float x)
{
    held[count] = x;
    for (int j = count + 1; j < 4; ++j)
        held[j] = 0.0f;
    const auto sum = [] (const float (*w)[4], const float* v, int k) {
        return (w[0][k] * v[0] + w[1][k] * v[1]) + (w[2][k] * v[2] + w[3][k] * v[3]);
    };
    const float y = sum (weights, held, count) + sum (weights + 4, state, count);
    if (++count == 4)
    {
        float after[4];
        for (int i = 0; i < 4; ++i)
            after[i] = sum (next, held, i) + sum (next + 4, state, i);
        for (int i = 0; i < 4; ++i)
            state[i] = after[i];
        count = 0;
    }
    lastIn[1] = lastIn[0], lastIn[0] = x;
    lastOut[1] = lastOut[0], lastOut[0] = y;
    return y;
}

void ReferenceBandLimit::clear()
{
    statesFrom (0.0, 0.0, 0.0, 0.0, 0.0, 0.0);
    for (float& v : held)
        v = 0.0f;
}
