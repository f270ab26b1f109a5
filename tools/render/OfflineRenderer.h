#pragma once

#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <functional>
#include <optional>

namespace render
{
// Runs a prepared processor over an input file and then a tail of silence, in
// host blocks of a fixed size (the last block of each part may be shorter),
// and writes what it renders.
class OfflineRenderer
{
public:
    // Level below which the automatic tail counts as silent: -90 dBFS.
    static constexpr float silenceThreshold = 3.1622776e-5f;
    // The automatic tail ends once the output stayed below the threshold this
    // long (longer than the longest delay of the effect, so a late echo cannot
    // be mistaken for the end) or when it reaches the longest automatic tail.
    static constexpr double quietWindowSeconds = 1.5;
    static constexpr double maximumAutomaticTailSeconds = 60.0;

    struct Progress
    {
        juce::int64 inputFramesDone = 0;
        juce::int64 inputFrames = 0;
        juce::int64 tailFramesDone = 0;
        juce::int64 tailFrames = -1; // -1 while the automatic tail is running
        double sampleRate = 0.0;
    };

    struct Report
    {
        juce::int64 inputFrames = 0;
        juce::int64 tailFrames = 0;   // frames of tail written
        bool tailReachedLimit = false; // the automatic tail was still audible at its limit
        float peak = 0.0f;
        juce::int64 nonFinite = 0;    // non-finite output samples (written as they are)
    };

    OfflineRenderer (juce::AudioProcessor& processor, int blockSize);

    // Renders `reader` then the tail (`tailSeconds`, or automatic when empty)
    // into `writer`. The processor must be prepared for the reader's rate and
    // channel count. `progress` is called after every block.
    juce::Result render (juce::AudioFormatReader& reader,
                         juce::AudioFormatWriter& writer,
                         std::optional<double> tailSeconds,
                         const std::function<void (const Progress&)>& progress,
                         Report& report);

private:
    void process (int frames);
    void measure (int frames, Report& report) const;

    juce::AudioProcessor& processor;
    const int blockSize;
    juce::AudioBuffer<float> buffer;
    juce::MidiBuffer midi;
};
} // namespace render
