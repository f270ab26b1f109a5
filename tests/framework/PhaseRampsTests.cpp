// The vector phase loops must give, on every target,, sample for sample and bit for bit,
// what the pitch shifter's and the oscillator's per-sample steps give: the
// same ramp, the same fractional parts, the same rounding of every step.
#include "VectorTargets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace
{
float frac (float x)
{
    return x - std::trunc (x);
}

bool same (float a, float b)
{
    return std::memcmp (&a, &b, sizeof a) == 0;
}
} // namespace

TEST_P (VectorTargets, PhaseRampsAreThePerSampleSteps)
{
    std::mt19937 rng (13);
    std::uniform_real_distribution<float> phases (-0.999f, 0.999f);
    std::uniform_real_distribution<float> steps (-0.002f, 0.002f);
    std::uniform_real_distribution<float> windows (40.0f, 1000.0f);
    const float halfTurn = 2.0f * 3.14159265358979f * 0.5f;
    const float twoPi = 6.28318530717958647692f;
    const float minusHalfPi = -1.57079632679489661923f;

    int mismatches = 0;
    for (int trial = 0; trial < 200; ++trial)
    {
        const unsigned long n = 1 + static_cast<unsigned long> (rng() % 300);
        const float phase = trial == 0 ? 0.0f : phases (rng);
        const float inc = trial == 1 ? 0.0f : steps (rng);
        const float shortest = 0.0063f;
        std::vector<float> window (n), offset (n, 0.25f * float (trial % 4)), pA (n), pB (n), dA (n), dB (n), out (n);
        for (auto& w : window)
            w = windows (rng);

        float last = NAN;
        const unsigned long first = trial % 5 == 0 ? 0 : rng() % 256;
        const unsigned long done = VectorKernels::windowPhases (phase, inc, window.data(), shortest, halfTurn, pA.data(), pB.data(),
                                                                dA.data(), dB.data(), n, first, last);
        EXPECT_LT (n - done, 8u); // whole vectors of 1, 4 or 8 lanes
        for (unsigned long i = 0; i < done; ++i)
        {
            const float unfolded = frac (phase + float (int (first + i)) * inc);
            const float a = frac (unfolded + 1.0f);
            const float b = frac (a + 1.5f);
            const bool ok = same (a * window[i] * 0.001f + shortest, dA[i]) && same (b * window[i] * 0.001f + shortest, dB[i])
                            && same ((a + -0.5f) * halfTurn, pA[i]) && same ((b + -0.5f) * halfTurn, pB[i])
                            && (i + 1 != n || same (unfolded, last));
            if (! ok && ++mismatches <= 5)
                ADD_FAILURE() << "windows: trial " << trial << ", sample " << i;
        }

        const bool sine = trial % 2 == 0;
        const float* offsets = trial % 3 == 0 ? nullptr : offset.data();
        const unsigned long ramped = VectorKernels::oscillatorPhases (phase, inc, offsets, sine, twoPi, minusHalfPi, out.data(),
                                                                      n, last);
        EXPECT_EQ (done, ramped);
        for (unsigned long i = 0; i < ramped; ++i)
        {
            const float unfolded = frac (phase + float (int (i)) * inc);
            float p = unfolded;
            if (offsets != nullptr)
                p = frac ((p + offsets[i]) + 1.0f);
            if (sine)
                p = p * twoPi + minusHalfPi;
            if (! (same (p, out[i]) && (i + 1 != n || same (unfolded, last))) && ++mismatches <= 5)
                ADD_FAILURE() << "oscillator: trial " << trial << ", sample " << i;
        }
    }
    EXPECT_EQ (0, mismatches);
}
