#pragma once

#include "ProcessBlock/ProcessBlock.h"

#include <array>
#include <cstdint>
#include <vector>

// A windowed peak meter for channels 0 and 1. Samples collect in a window;
// once more than windowSize - hopSize have arrived, the reading becomes the
// window's peak in decibels above -100 dBFS (0 = silence or below -100 dBFS,
// 100 = full scale) and the window starts again.
class PeakMeter : public MultiChannelProcessBlock<ProcessBlockParameters>
{
public:
    explicit PeakMeter (std::uint64_t hopSize = 64, std::uint64_t windowSize = 1024);

    // Allocates both windows, cleared, and restarts their collection.
    void init (int numChannels, double newSampleRate) override;
    void clear() noexcept override {}

    void process (float* buffer, unsigned long frames, unsigned long channel, ProcessBlockParameters) noexcept override;

    std::uint64_t hopSize;
    std::uint64_t windowSize;
    std::array<std::uint64_t, 2> writePositions {};
    std::array<std::vector<float>, 2> windows; // 2 x windowSize floats each
    std::array<float, 2> values {};            // the readings
};
