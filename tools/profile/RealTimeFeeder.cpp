#include "RealTimeFeeder.h"

#include <chrono>
#include <thread>

namespace profile
{
RealTimeFeeder::RealTimeFeeder (juce::AudioProcessor& p, double rate, int frames)
    : juce::Thread ("vantrel audio"), processor (p), sampleRate (rate), blockSize (frames), buffer (2, frames)
{
}

RealTimeFeeder::~RealTimeFeeder() { stopThread (2000); }

void RealTimeFeeder::fill()
{
    // Noise bursts of a quarter second every second: the ducker's level, and
    // with it the meter, rises and falls as with music.
    for (int i = 0; i < blockSize; ++i)
    {
        const auto position = (framesDone + i) % static_cast<juce::int64> (sampleRate);
        const bool loud = position < static_cast<juce::int64> (sampleRate / 4);
        const float sample = loud ? (random.nextFloat() * 2.0f - 1.0f) * 0.25f : 0.0f;
        buffer.setSample (0, i, sample);
        buffer.setSample (1, i, sample);
    }
    framesDone += blockSize;
}

void RealTimeFeeder::run()
{
    using clock = std::chrono::steady_clock;
    const auto period = std::chrono::duration<double> (blockSize / sampleRate);
    auto next = clock::now();
    while (! threadShouldExit())
    {
        fill();
        processor.processBlock (buffer, midi);
        next += std::chrono::duration_cast<clock::duration> (period);
        std::this_thread::sleep_until (next);
    }
}
} // namespace profile
