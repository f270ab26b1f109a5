#include "Basics/HostNumber.h"

#include <cmath>

namespace HostNumber
{
template struct Grant<FloatHeld, &juce::AudioParameterFloat::value>;
template struct Grant<IntHeld, &juce::AudioParameterInt::value>;

template <typename Base, typename Held>
float Parameter<Base, Held>::getValue() const
{
    const float number = hostNumber.load (std::memory_order_relaxed);
    const float held = heldValue();
    return this->convertFrom0to1 (number) == held ? number : this->convertTo0to1 (held);
}

template <typename Base, typename Held>
void Parameter<Base, Held>::setValue (float newValue)
{
    // As JUCE's own setter: the held value snapped to the range's steps
    // (rounded to a whole step for an integer).
    const float held = this->convertFrom0to1 (newValue);
    this->*memberPointer (Held {}) = held;
    // Kept clamped as the parameter reads it; a number that is not finite
    // keeps the one the held value maps to.
    hostNumber.store (std::isfinite (newValue) ? juce::jlimit (0.0f, 1.0f, newValue) : this->convertTo0to1 (held),
                      std::memory_order_relaxed);
    this->valueChanged (this->get());
}

template class Parameter<juce::AudioParameterFloat, FloatHeld>;
template class Parameter<juce::AudioParameterInt, IntHeld>;
} // namespace HostNumber
