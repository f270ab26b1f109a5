// The input gain runs on both channels at once, computing its factors once
// and only once per block while the gain holds: the samples must be those
// of the gain applied to each channel on its own, moving or not.
#include "ProcessBlock/Mix/Gain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

TEST (GainChannels, BothChannelsAtOnceAreEachChannelAlone)
{
    std::mt19937 rng (14);
    std::uniform_real_distribution<float> sample (-1.0f, 1.0f);
    std::vector<float> ramp (512), held (512, -6.0f), zeros (512, 0.0f), spike (512, 3.0f);
    for (std::size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = -24.0f + 0.1f * float (i);
    spike[511] = 3.5f; // holds until the very last sample
    zeros[7] = -0.0f;  // -0 and +0 give the same factor

    for (auto* gain : { &ramp, &held, &zeros, &spike })
        for (const unsigned long n : { 1UL, 7UL, 64UL, 512UL })
        {
            std::vector<float> left (n), right (n);
            for (auto* x : { &left, &right })
                for (auto& v : *x)
                    v = sample (rng);
            auto expectedLeft = left, expectedRight = right;
            Gain alone, together;
            alone.process (expectedLeft.data(), n, gain->data());
            alone.process (expectedRight.data(), n, gain->data());
            float* buffers[2] = { left.data(), right.data() };
            together.processChannels (buffers, 2, n, gain->data());
            EXPECT_EQ (expectedLeft, left) << n;
            EXPECT_EQ (expectedRight, right) << n;
        }
}
