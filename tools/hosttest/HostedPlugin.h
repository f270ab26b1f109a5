#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

namespace hosttest
{
// Finds one plug-in through JUCE's own hosting formats and creates instances of
// it. The identifier is a VST3 bundle path, or an LV2 plug-in URI found on the
// given LV2 search path (JUCE does not read LV2_PATH) and the default places.
class HostedPlugin
{
public:
    HostedPlugin (const juce::String& identifier, const juce::String& lv2SearchPath);

    bool isLoaded() const noexcept { return loaded; }
    const juce::String& getError() const noexcept { return error; }
    bool isLV2() const noexcept { return lv2; }
    const juce::PluginDescription& getDescription() const noexcept { return description; }

    // A new instance prepared by the format for this rate and block size (not yet
    // prepareToPlay'ed). Null on failure, with the reason in errorMessage.
    std::unique_ptr<juce::AudioPluginInstance> create (double sampleRate, int blockSize, juce::String& errorMessage);

private:
    juce::AudioPluginFormatManager formats;
    juce::PluginDescription description;
    juce::String error;
    bool loaded = false;
    bool lv2 = false;
};
} // namespace hosttest
