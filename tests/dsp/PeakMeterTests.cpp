#include "Dynamics/PeakMeter.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST (PeakMeter, UpdatesEveryFourth256FrameBlock)
{
    PeakMeter meter; // hop 64, window 1024
    meter.init (2, 48000.0);
    std::vector<float> loud (256, 0.1f); // -20 dBFS
    for (int block = 1; block <= 3; ++block)
    {
        meter.process (loud.data(), 256, 0, {});
        EXPECT_EQ (0.0f, meter.values[0]) << "block " << block;
    }
    meter.process (loud.data(), 256, 0, {});
    EXPECT_NEAR (80.0f, meter.values[0], 1e-4f);
    EXPECT_EQ (0.0f, meter.values[1]); // channels are separate

    // A window of silence reads 0, a full-scale peak 100, values below -100 dBFS 0.
    std::vector<float> silent (256, 0.0f);
    for (int block = 0; block < 4; ++block)
        meter.process (silent.data(), 256, 0, {});
    EXPECT_EQ (0.0f, meter.values[0]);

    std::vector<float> full (256, 0.0f);
    full[100] = -1.0f;
    meter.process (full.data(), 256, 1, {});
    for (int block = 0; block < 3; ++block)
        meter.process (silent.data(), 256, 1, {});
    EXPECT_NEAR (100.0f, meter.values[1], 1e-4f);

    std::vector<float> faint (256, 1e-6f);
    for (int block = 0; block < 4; ++block)
        meter.process (faint.data(), 256, 1, {});
    EXPECT_EQ (0.0f, meter.values[1]);
}

TEST (PeakMeter, SeesOnlyTheLatestWindowAndTakesLongBlocks)
{
    PeakMeter meter;
    meter.init (1, 48000.0);
    // A loud window of 1200 samples (blocks of 300), then a quiet one of 1024:
    // the quiet reading must not keep the loud samples of the longer window.
    std::vector<float> loud (300, 0.5f), quiet (256, 0.01f);
    for (int block = 0; block < 4; ++block)
        meter.process (loud.data(), 300, 0, {});
    EXPECT_NEAR (20.0f * std::log10 (0.5f) + 100.0f, meter.values[0], 1e-4f);
    for (int block = 0; block < 4; ++block)
        meter.process (quiet.data(), 256, 0, {});
    EXPECT_NEAR (60.0f, meter.values[0], 1e-3f);

    // Far more than one window in one call: every window is read, none overruns.
    std::vector<float> longBlock (5000, 0.01f);
    longBlock[4990] = 0.25f;
    meter.process (longBlock.data(), 5000, 0, {});
    meter.process (quiet.data(), 256, 0, {});
    EXPECT_NEAR (20.0f * std::log10 (0.25f) + 100.0f, meter.values[0], 1e-3f);

    // NaN reads as silence rather than poisoning the reading.
    std::vector<float> broken (1024, std::nanf (""));
    meter.process (broken.data(), 1024, 0, {});
    EXPECT_EQ (0.0f, meter.values[0]);

    // Channels beyond the two windows are ignored; nothing allocates.
    testsupport::ScopedAllocationCounter counter;
    meter.process (quiet.data(), 256, 5, {});
    meter.process (quiet.data(), 256, 0, {});
    EXPECT_EQ (0u, counter.allocations());
}
