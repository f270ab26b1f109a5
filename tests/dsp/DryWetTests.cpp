#include "Dynamics/DryWet.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
// Mixes dry = 1 and wet = 10 at a constant mix, so out = dryGain + 10 wetGain.
float mixOf (KarvonDSP::DryWet& mixer, float percent)
{
    std::vector<float> dry (8, 1.0f), wet (8, 10.0f), out (8), mix (8, percent);
    mixer.process (dry.data(), wet.data(), out.data(), 8, mix.data());
    return out[0];
}
} // namespace

TEST (DryWet, TwoSegmentLawKeepsBothUpToHalfway)
{
    KarvonDSP::DryWet mixer;
    mixer.init (2, 48000.0);
    mixer.usePower = false;
    EXPECT_FLOAT_EQ (1.0f, mixOf (mixer, 0.0f));          // dry only
    EXPECT_FLOAT_EQ (1.0f + 5.0f, mixOf (mixer, 25.0f));  // dry + half the wet
    EXPECT_FLOAT_EQ (1.0f + 10.0f, mixOf (mixer, 50.0f)); // both in full
    EXPECT_FLOAT_EQ (0.5f + 10.0f, mixOf (mixer, 75.0f)); // dry fading out
    EXPECT_FLOAT_EQ (10.0f, mixOf (mixer, 100.0f));       // wet only
    EXPECT_FLOAT_EQ (10.0f, mixOf (mixer, 180.0f));       // beyond the range: clipped
    EXPECT_FLOAT_EQ (1.0f, mixOf (mixer, -40.0f));
}

TEST (DryWet, PowerCurveBendsTheFadingSide)
{
    KarvonDSP::DryWet mixer;
    mixer.init (2, 48000.0);
    const float bent = 0.35355339f; // 0.5^1.5
    EXPECT_NEAR (bent * 1.0f + 10.0f, mixOf (mixer, 75.0f), 1e-5f);
    EXPECT_NEAR (1.0f + bent * 10.0f, mixOf (mixer, 25.0f), 1e-4f);
    EXPECT_NEAR (11.0f, mixOf (mixer, 50.0f), 1e-5f);
    EXPECT_NEAR (10.0f, mixOf (mixer, 100.0f), 1e-6f);
}

TEST (DryWet, LinearLawCrossfades)
{
    KarvonDSP::DryWet mixer;
    mixer.init (2, 48000.0);
    mixer.twoSegment = false;
    EXPECT_FLOAT_EQ (0.5f + 5.0f, mixOf (mixer, 50.0f));
    EXPECT_FLOAT_EQ (0.75f + 2.5f, mixOf (mixer, 25.0f));
    EXPECT_FLOAT_EQ (10.0f, mixOf (mixer, 100.0f));
    EXPECT_FLOAT_EQ (1.0f, mixOf (mixer, -5.0f));
}

TEST (DryWet, FollowsAPerSampleMixInPlaceOverLongBlocks)
{
    KarvonDSP::DryWet mixer;
    mixer.init (2, 48000.0);
    mixer.twoSegment = false;
    const unsigned long n = 10000; // longer than the scratch buffers
    std::vector<float> dry (n, 1.0f), wet (n, 3.0f), mix (n);
    for (unsigned long k = 0; k < n; ++k)
        mix[k] = 100.0f * float (k) / float (n - 1);
    // The result may overwrite the dry signal.
    mixer.process (dry.data(), wet.data(), dry.data(), n, mix.data());
    for (unsigned long k = 0; k < n; k += 7)
    {
        const float m = float (k) / float (n - 1);
        ASSERT_NEAR (1.0f - m + 3.0f * m, dry[k], 1e-5f) << k;
    }

    testsupport::ScopedAllocationCounter counter;
    mixer.process (dry.data(), wet.data(), wet.data(), 256, mix.data());
    EXPECT_EQ (0u, counter.allocations());
}
