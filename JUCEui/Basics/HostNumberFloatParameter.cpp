#include "Basics/HostNumberFloatParameter.h"

template struct HostNumber::Grant<HostNumber::FloatHeld, &juce::AudioParameterFloat::value>;

HostNumberFloatParameter::HostNumberFloatParameter (const juce::ParameterID& parameterID,
                                                    const juce::String& name,
                                                    juce::NormalisableRange<float> range,
                                                    float defaultValue,
                                                    const juce::AudioParameterFloatAttributes& attributes)
    : juce::AudioParameterFloat (parameterID, name, std::move (range), defaultValue, attributes),
      hostNumber (convertTo0to1 (get()))
{
}

float HostNumberFloatParameter::getValue() const
{
    return HostNumber::read (*this, hostNumber, get());
}

void HostNumberFloatParameter::setValue (float newValue)
{
    // As JUCE's own setter: the held value snapped to the range's steps.
    const float held = convertFrom0to1 (newValue);
    this->*memberPointer (HostNumber::FloatHeld {}) = held;
    hostNumber.store (HostNumber::keep (*this, newValue, held), std::memory_order_relaxed);
    valueChanged (get());
}
