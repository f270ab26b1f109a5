#pragma once

#include "Basics/HostNumber.h"

// A float parameter that gives the host back the exact number it wrote (see
// HostNumber.h); its value, range, steps and texts are JUCE's own.
class HostNumberFloatParameter : public juce::AudioParameterFloat
{
public:
    HostNumberFloatParameter (const juce::ParameterID& parameterID,
                              const juce::String& name,
                              juce::NormalisableRange<float> range,
                              float defaultValue,
                              const juce::AudioParameterFloatAttributes& attributes = {});

    float getValue() const override;
    void setValue (float newValue) override;

private:
    std::atomic<float> hostNumber;
};
