#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <cmath>
#include <string>

// Reading and writing a host parameter in its own units, for containers that
// talk to the parameter tree directly. Message thread only.
namespace HostParameter
{
// The parameter's current value in its own units; 0 for a missing parameter.
inline float read (const juce::RangedAudioParameter* parameter)
{
    return parameter != nullptr ? parameter->convertFrom0to1 (parameter->getValue()) : 0.0f;
}

// Sets the value (clamped into the range and snapped to a legal value by the
// parameter's own range) and notifies the host and the listeners. An equal
// value, a non-finite one or a missing parameter changes nothing.
inline void assign (juce::RangedAudioParameter* parameter, float value)
{
    if (parameter == nullptr || ! std::isfinite (value) || value == read (parameter))
        return;
    parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
}

// A single write from a click, bracketed as one gesture so that hosts record
// it in touch and latch automation. An equal value writes nothing and sends
// no gesture.
inline void assignAsGesture (juce::RangedAudioParameter* parameter, float value)
{
    if (parameter == nullptr || ! std::isfinite (value) || value == read (parameter))
        return;
    parameter->beginChangeGesture();
    parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
    parameter->endChangeGesture();
}

// The tree's parameter with the identifier `id`, or null.
inline juce::RangedAudioParameter* find (juce::AudioProcessorValueTreeState& state, const std::string& id)
{
    return state.getParameter (juce::String::fromUTF8 (id.c_str()));
}

// Brackets a drag, so that hosts record automation as one touch.
inline void beginGesture (juce::RangedAudioParameter* parameter)
{
    if (parameter != nullptr)
        parameter->beginChangeGesture();
}

inline void endGesture (juce::RangedAudioParameter* parameter)
{
    if (parameter != nullptr)
        parameter->endChangeGesture();
}
} // namespace HostParameter
