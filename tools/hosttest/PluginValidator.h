#pragma once

#include "HostedPlugin.h"

#include <functional>
#include <vector>

namespace hosttest
{
struct CheckResult
{
    bool passed = true;
    juce::String detail;

    void fail (const juce::String& reason)
    {
        passed = false;
        detail << (detail.isEmpty() ? "" : "; ") << reason;
    }
    void note (const juce::String& text) { detail << (detail.isEmpty() ? "" : "; ") << text; }
};

// The checklist a validator runs on a plug-in a host did not write itself:
// lifetime, rates and block sizes, automation, state, parameter texts, threads,
// real-time safety of the render call, and bus layouts.
class PluginValidator
{
public:
    PluginValidator (HostedPlugin& plugin, juce::int64 seed);

    struct Check
    {
        const char* name;
        const char* what;
        CheckResult (PluginValidator::*run)();
    };
    static const std::vector<Check>& checks();

    CheckResult openClose();
    CheckResult ratesAndBlockSizes();
    CheckResult automationStorm();
    CheckResult prepareTwice();
    CheckResult oversizedBlocks();
    CheckResult stateRoundTrip();
    CheckResult parameterText();
    CheckResult parameterThreads();
    CheckResult noAllocation();
    CheckResult busLayouts();
    CheckResult hostCallOrders(); // HostOrderCheck.cpp
    CheckResult hostValuesAfterRestore(); // HostValuesCheck.cpp
    CheckResult hostViewOfNewInstance(); // HostValuesCheck.cpp

private:
    using Instance = std::unique_ptr<juce::AudioPluginInstance>;

    // A new instance, not yet prepared (a host restores state into such an
    // instance before its first prepare). Null on failure, noted in `result`.
    Instance create (double sampleRate, int blockSize, CheckResult& result);
    // Creates an instance and prepares it the way a host does.
    Instance open (double sampleRate, int blockSize, CheckResult& result);
    static void prepare (juce::AudioPluginInstance& instance, double sampleRate, int blockSize);
    static int channelsOf (const juce::AudioPluginInstance& instance);

    void fillNoise (juce::AudioBuffer<float>& buffer, int channels, int frames);
    // Renders `frames` frames of `buffer` in place.
    void render (juce::AudioPluginInstance& instance, juce::AudioBuffer<float>& buffer, int frames);
    // Renders `blocks` blocks of 512 frames of fresh noise.
    void renderNoise (juce::AudioPluginInstance& instance, juce::AudioBuffer<float>& buffer, int blocks);
    // The same, then lets the host hand the changes the plug-in reported over
    // on its message thread, as hosts do.
    void renderAndHandOver (juce::AudioPluginInstance& instance, juce::AudioBuffer<float>& buffer, int blocks, int milliseconds);

    std::vector<juce::AudioProcessorParameter*> automatable (juce::AudioPluginInstance& instance) const;
    static int stepsOf (const juce::AudioProcessorParameter& parameter); // 0: continuous
    static float legalValue (const juce::AudioProcessorParameter& parameter, float normalised);
    void randomiseParameters (juce::AudioPluginInstance& instance, int count);
    std::vector<int> shuffledOrder (int count); // 0..count-1 in a random order
    static juce::String textOf (const juce::AudioProcessorParameter& parameter);
    // Equal up to the rounding of a non-linear mapping's float arithmetic: a
    // value the plug-in snapped to its grid may come back a few ulps away
    // when set again.
    static bool sameValue (float a, float b);
    static juce::MemoryBlock stateOf (juce::AudioPluginInstance& instance);
    // `sets` rows of one value per automatable parameter, each a value the
    // plug-in keeps exactly once set.
    std::vector<std::vector<float>> settledValues (int sets, CheckResult& result);

    HostedPlugin& plugin;
    juce::Random random;
    juce::MidiBuffer midi;
};
} // namespace hosttest
