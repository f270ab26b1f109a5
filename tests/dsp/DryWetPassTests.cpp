// The crossfade without the power curve runs in one pass; every sample must
// be exactly what the law's steps give one vector operation at a time, on
// every vector target, including mixes out of range and crossfades written
// over either input.
#include "Dynamics/DryWet.h"
#include "Math/Accelerate/SignalProcessing.h"
#include "VectorTargets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace
{
using SP = SignalProcessing;

std::vector<float> stepByStep (const std::vector<float>& dry, const std::vector<float>& wet, const std::vector<float>& mix,
                               bool twoSegment)
{
    const auto n = dry.size();
    std::vector<float> m (n), d (n), w (n), out (n);
    SP::mul_s (mix.data(), 0.01f, m.data(), n);
    SP::clip (m.data(), 0.0f, 1.0f, m.data(), n);
    if (twoSegment)
    {
        SP::mul_s (m.data(), 2.0f, w.data(), n);
        SP::clip (w.data(), 0.0f, 1.0f, w.data(), n);
        SP::mul_s_add_s (m.data(), -2.0f, 2.0f, d.data(), n);
        SP::clip (d.data(), 0.0f, 1.0f, d.data(), n);
    }
    else
    {
        w = m;
        SP::mul_s_add_s (m.data(), -1.0f, 1.0f, d.data(), n);
    }
    SP::mul_mul_add (dry.data(), d.data(), wet.data(), w.data(), out.data(), n);
    return out;
}
} // namespace

// (VectorTargets is instantiated once for the DSP tests, in DelayReadTests.cpp.)

TEST_P (VectorTargets, DryWetOnePassIsTheStepByStepLaw)
{
    std::mt19937 rng (10);
    std::uniform_real_distribution<float> sample (-1.0f, 1.0f);
    std::uniform_real_distribution<float> percent (-20.0f, 130.0f);
    for (const bool twoSegment : { false, true })
        for (const std::size_t n : { 1UL, 3UL, 4UL, 7UL, 64UL, 259UL })
            for (int target = 0; target < 3; ++target) // a separate output, over dry, over wet
            {
                std::vector<float> dry (n), wet (n), mix (n);
                for (std::size_t i = 0; i < n; ++i)
                {
                    dry[i] = sample (rng);
                    wet[i] = sample (rng);
                    mix[i] = i % 11 == 3 ? NAN : percent (rng);
                }
                const auto expected = stepByStep (dry, wet, mix, twoSegment);

                KarvonDSP::DryWet fade;
                fade.twoSegment = twoSegment;
                fade.usePower = false;
                std::vector<float> separate (n);
                float* out = target == 0 ? separate.data() : target == 1 ? dry.data() : wet.data();
                fade.process (dry.data(), wet.data(), out, n, mix.data());
                for (std::size_t i = 0; i < n; ++i)
                    ASSERT_EQ (std::memcmp (&expected[i], out + i, sizeof (float)), 0)
                        << (twoSegment ? "two segments" : "linear") << ", n " << n << ", target " << target << ", sample " << i
                        << ": " << out[i] << " instead of " << expected[i];
            }
}

TEST (DryWetPass, ScaledWetIsTheScaleThenTheLaw)
{
    // wet x scale in place, then the crossfade: in one pass when the result
    // replaces the wet signal, in two otherwise (and always with the power
    // curve). Every sample as the two steps give it.
    std::mt19937 rng (11);
    std::uniform_real_distribution<float> sample (-1.0f, 1.0f);
    std::uniform_real_distribution<float> percent (-20.0f, 130.0f);
    for (const bool power : { false, true })
        for (const bool twoSegment : { false, true })
            for (const std::size_t n : { 1UL, 5UL, 64UL, 257UL })
                for (int target = 0; target < 3; ++target) // over wet, a separate output, over dry
                {
                    std::vector<float> dry (n), wet (n), mix (n);
                    for (std::size_t i = 0; i < n; ++i)
                    {
                        dry[i] = sample (rng);
                        wet[i] = sample (rng);
                        mix[i] = i % 13 == 5 ? NAN : percent (rng);
                    }
                    const float scale = 1.995f;
                    KarvonDSP::DryWet plain, folded;
                    for (auto* f : { &plain, &folded })
                        f->twoSegment = twoSegment, f->usePower = power;

                    auto dryA = dry, wetA = wet, dryB = dry, wetB = wet;
                    std::vector<float> outA (n), outB (n);
                    auto pick = [target] (std::vector<float>& d, std::vector<float>& w, std::vector<float>& o) {
                        return target == 0 ? w.data() : target == 1 ? o.data() : d.data();
                    };
                    float* a = pick (dryA, wetA, outA);
                    SP::mul_s (wetA.data(), scale, wetA.data(), n);
                    plain.process (dryA.data(), wetA.data(), a, n, mix.data());
                    float* b = pick (dryB, wetB, outB);
                    folded.processScaledWet (dryB.data(), wetB.data(), scale, b, n, mix.data());
                    for (std::size_t i = 0; i < n; ++i)
                        ASSERT_EQ (std::memcmp (a + i, b + i, sizeof (float)), 0)
                            << "power " << power << ", two segments " << twoSegment << ", n " << n << ", target " << target
                            << ", sample " << i << ": " << b[i] << " instead of " << a[i];
                    if (target != 0)
                    {
                        EXPECT_EQ (0, std::memcmp (wetA.data(), wetB.data(), n * sizeof (float)))
                            << "the wet signal is left scaled";
                    }
                }
}
