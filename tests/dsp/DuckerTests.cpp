#include "Dynamics/Ducker.h"

#include <gtest/gtest.h>

#include <vector>

TEST (Ducker, InitRestartsTheGainsSoTheWetSignalFadesIn)
{
    Ducker ducker;
    EXPECT_EQ (Ducker::LevelByRms, ducker.mode);
    ducker.init (2, 44100.0);
    ASSERT_EQ (2u, ducker.channelGains.size());
    EXPECT_EQ (0.0f, ducker.channelGains[0]);
    EXPECT_EQ (0.0f, ducker.channelGains[1]);
    ASSERT_EQ (4096u, ducker.gainBuffer.size());

    // State from rendering is dropped by a new prepare and by clear.
    ducker.channelGains[0] = 0.7f;
    ducker.gainBuffer[10] = 0.5f;
    ducker.init (1, 48000.0);
    ASSERT_EQ (1u, ducker.channelGains.size());
    EXPECT_EQ (0.0f, ducker.channelGains[0]);
    EXPECT_EQ (0.0f, ducker.gainBuffer[10]);
    ducker.channelGains[0] = 0.7f;
    ducker.gainBuffer[10] = 0.5f;
    ducker.clear();
    EXPECT_EQ (0.0f, ducker.channelGains[0]);
    EXPECT_EQ (0.0f, ducker.gainBuffer[10]);

    // Its meter is ready for the same layout and reads the gains it is fed.
    std::vector<float> gains (256, 1.0f);
    for (int block = 0; block < 4; ++block)
        ducker.peakMeter->process (gains.data(), 256, 0, {});
    EXPECT_NEAR (100.0f, ducker.peakMeter->values[0], 1e-4f);
}
