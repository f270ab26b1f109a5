#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

// A processor that does nothing, no MIDI, no editor, one program: tests
// derive from it and override only what they exercise.
namespace testsupport
{
class PlainProcessor : public juce::AudioProcessor
{
public:
    explicit PlainProcessor (juce::String processorName) : name (std::move (processorName)) {}

    const juce::String getName() const override { return name; }
    void prepareToPlay (double, int) override {}
    void releaseResources() override {}
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override {}
    using juce::AudioProcessor::processBlock;
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override { return nullptr; }
    bool hasEditor() const override { return false; }
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return {}; }
    void changeProgramName (int, const juce::String&) override {}
    void getStateInformation (juce::MemoryBlock&) override {}
    void setStateInformation (const void*, int) override {}

private:
    const juce::String name;
};
} // namespace testsupport
