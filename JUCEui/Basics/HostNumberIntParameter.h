#pragma once

#include "Basics/HostNumber.h"

// An integer parameter that gives the host back the exact number it wrote (see
// HostNumber.h); its value, range, steps and texts are JUCE's own.
class HostNumberIntParameter : public juce::AudioParameterInt
{
public:
    HostNumberIntParameter (const juce::ParameterID& parameterID,
                            const juce::String& name,
                            int minValue,
                            int maxValue,
                            int defaultValue,
                            const juce::AudioParameterIntAttributes& attributes = {});

    float getValue() const override;
    void setValue (float newValue) override;

private:
    std::atomic<float> hostNumber;
};
