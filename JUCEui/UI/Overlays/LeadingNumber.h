#pragma once

#include <juce_core/juce_core.h>

// The number a typed text starts with, as the control editor reads it: white
// space skipped, then an optional sign, digits with an optional point and an
// optional exponent; the rest ignored. 0 when the text does not start with a
// number; too large a number is an infinity of its sign, too small a one 0.
// Independent of the C locale, and defined for any text (the framework's
// own reader overflows on an exponent of ten digits).
class LeadingNumber
{
public:
    static double read (const juce::String& text);
};
