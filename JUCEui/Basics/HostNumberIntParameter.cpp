#include "Basics/HostNumberIntParameter.h"

template struct HostNumber::Grant<HostNumber::IntHeld, &juce::AudioParameterInt::value>;

HostNumberIntParameter::HostNumberIntParameter (const juce::ParameterID& parameterID,
                                                const juce::String& name,
                                                int minValue,
                                                int maxValue,
                                                int defaultValue,
                                                const juce::AudioParameterIntAttributes& attributes)
    : juce::AudioParameterInt (parameterID, name, minValue, maxValue, defaultValue, attributes),
      hostNumber (convertTo0to1 (static_cast<float> (get())))
{
}

float HostNumberIntParameter::getValue() const
{
    return HostNumber::read (*this, hostNumber, static_cast<float> (get()));
}

void HostNumberIntParameter::setValue (float newValue)
{
    // As JUCE's own setter: the held value rounded to a whole step.
    const float held = convertFrom0to1 (newValue);
    this->*memberPointer (HostNumber::IntHeld {}) = held;
    hostNumber.store (HostNumber::keep (*this, newValue, held), std::memory_order_relaxed);
    valueChanged (get());
}
