#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

namespace profile
{
// Plays a processor as an audio device would: a thread renders host blocks of
// a steady signal at real-time pace (one block per block period, on a fixed
// schedule), so that the processor's meters move and the editor shows them.
class RealTimeFeeder : public juce::Thread
{
public:
    RealTimeFeeder (juce::AudioProcessor& processor, double sampleRate, int blockSize);
    ~RealTimeFeeder() override;

    void run() override;

private:
    void fill();

    juce::AudioProcessor& processor;
    const double sampleRate;
    const int blockSize;
    juce::AudioBuffer<float> buffer;
    juce::MidiBuffer midi;
    juce::Random random { 1 };
    juce::int64 framesDone = 0;
};
} // namespace profile
