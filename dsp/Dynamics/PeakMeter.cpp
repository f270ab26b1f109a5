#include "Dynamics/PeakMeter.h"

#include "Math/Accelerate/SignalProcessing.h"
#include "Math/Memory.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

PeakMeter::PeakMeter (std::uint64_t hopSize_, std::uint64_t windowSize_)
    : windowSize (std::max<std::uint64_t> (windowSize_, 1))
{
    // A hop longer than the window would make the reading threshold negative.
    hopSize = std::clamp<std::uint64_t> (hopSize_, 1, windowSize);
    subBlockSize = 64;
}

void PeakMeter::init (int numChannels, double newSampleRate)
{
    ProcessBlock::init (numChannels, newSampleRate);
    for (auto& window : windows)
        window.assign (static_cast<std::size_t> (2 * windowSize), 0.0f);
    writePositions = {};
}

void PeakMeter::process (float* buffer, unsigned long frames, unsigned long channel, ProcessBlockParameters) noexcept
{
    if (buffer == nullptr || channel >= windows.size() || windows[channel].empty())
        return;

    float* window = windows[channel].data();
    auto& position = writePositions[channel];
    const std::uint64_t readAfter = windowSize - hopSize;

    // Long calls are taken in pieces that fit behind the write position, so
    // every sample is seen and none lands outside the window.
    while (frames > 0)
    {
        const unsigned long piece = std::min<unsigned long> (frames, 2 * windowSize - position);
        Memory::copy (buffer, window + position, piece);
        position += piece;
        buffer += piece;
        frames -= piece;

        if (position > readAfter)
        {
            float largest = 0.0f;
            SignalProcessing::peak (window, &largest, position);
            float reading = 0.0f;
            if (largest > 0.0f) // NaN reads as silence
                reading = 20.0f * std::log10 (std::min (largest, FLT_MAX)) + 100.0f;
            values[channel] = std::max (0.0f, reading);
            position = 0;
        }
    }
}
