#pragma once

#include <juce_core/juce_core.h>

#include "Parameters/Parameter.h"

#include <cstdint>
#include <optional>

// What a typed text means as a value of a parameter, in the parameter's own
// units: the one reading behind the texts hosts hand to the plug-in (the host
// parameters' text-to-value callbacks) and the control editor's value field.
//  - A parameter with value names (a voice's mode, the filter type): one of
//    its names, in any case ("post").
//  - Otherwise, or when no name matches, a number (LeadingNumber: blanks
//    first, a comma for the point, an exponent) followed by nothing or by a
//    unit the value can be written in, in any case, blanks between allowed:
//    the unit the control shows ("%", "dB", "Hz", "st", the degree sign), for
//    milliseconds also seconds and for seconds also milliseconds (the
//    controls switch to seconds from 1000 ms: "1.5s" is 1500 ms), and for a
//    frequency thousands ("2k", "2.0kHz", "2.5 kHz").
// Anything else after the number ("2x", "5%" for decibels) means no value,
// as does text that is neither a name nor starts with a number.
class ParameterText
{
public:
    // `unit` is a ParameterUnit code; `names` gives the names of the whole
    // values `first` to `last` (none when null).
    static std::optional<double> read (const juce::String& text, std::uint32_t unit,
                                       Parameter::ValueTextFunction names = nullptr, int first = 0, int last = -1);
    static std::optional<double> read (const juce::String& text, const Parameter& parameter);
};
