// Blocks that fold the fractional part into loops of their own must get
// exactly the vector layer's frac, or an oscillator or pitch window would
// drift apart from the same setting computed elsewhere.
#include "Math/Accelerate/FractionLanes.h"
#include "Math/Accelerate/SignalProcessing.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

TEST (FractionLanes, EqualTheVectorLayersFracForEveryKindOfFloat)
{
    std::vector<float> x;
    // Phases and ramps as the engine makes them, every magnitude and sign,
    // and the awkward ones: zeros, whole numbers, the edges of the integer
    // range, subnormals, infinities, NaN.
    std::mt19937 rng (29);
    std::uniform_real_distribution<float> phase (-3.0f, 3.0f);
    for (int k = 0; k < 20000; ++k)
    {
        x.push_back (phase (rng));
        x.push_back (std::bit_cast<float> (static_cast<std::uint32_t> (rng())));
    }
    for (const float v : { 0.0f, -0.0f, 1.0f, -1.0f, 0.5f, -0.5f, 8388607.5f, -8388607.5f, 8388608.0f, 2147483520.0f,
                           -2147483648.0f, 4294967296.0f, 1e-45f, -1e-45f, std::numeric_limits<float>::infinity(),
                           -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN() })
        x.push_back (v);
    while (x.size() % 4 != 0)
        x.push_back (0.25f);

    std::vector<float> expected (x);
    SignalProcessing::frac (expected.data(), expected.size());

    int mismatches = 0;
    for (std::size_t i = 0; i < x.size(); i += 4)
    {
        alignas (16) float lanes[4];
        _mm_store_ps (lanes, FractionLanes::fractionalPart (_mm_loadu_ps (x.data() + i)));
        for (std::size_t k = 0; k < 4; ++k)
        {
            const float single = FractionLanes::fractionalPart (x[i + k]);
            const auto want = std::bit_cast<std::uint32_t> (expected[i + k]);
            if ((std::bit_cast<std::uint32_t> (lanes[k]) != want || std::bit_cast<std::uint32_t> (single) != want)
                && ++mismatches <= 5)
                ADD_FAILURE() << "frac(" << x[i + k] << ") = " << expected[i + k] << ", lanes " << lanes[k]
                              << ", single " << single;
        }
    }
    EXPECT_EQ (0, mismatches);
}
