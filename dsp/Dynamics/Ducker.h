#pragma once

#include "Dynamics/LegacyCompressor.h"
#include "Dynamics/PeakMeter.h"

#include <cstdint>
#include <memory>
#include <vector>

// The state of the wet signal's ducking: how the key level is measured, the
// current gain of each channel, one block of gains and the meter that shows
// them. The kernel computes the gains into this state block by block.
class Ducker : public LegacyCompressor
{
public:
    static constexpr std::uint32_t LevelByRms = 0;
    static constexpr std::uint32_t LevelByPeak = 1;

    Ducker();

    // Also restarts every channel's gain at 0, so the wet signal fades in.
    void init (int numChannels, double newSampleRate) override;
    void clear() noexcept override;

    std::uint32_t mode = LevelByRms;
    std::unique_ptr<PeakMeter> peakMeter;
    std::vector<float> channelGains;
    std::vector<float> gainBuffer;
};
