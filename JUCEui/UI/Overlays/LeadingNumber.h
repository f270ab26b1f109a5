#pragma once

#include <juce_core/juce_core.h>

#include <optional>

// The number a typed text starts with, as the control editor reads it: white
// space skipped, then an optional sign ("+", "-" or the typographic minus),
// digits with an optional decimal point or comma and an optional exponent;
// what follows ("%" in "50%") is left to the caller. Nothing when the text
// does not start with a number ("abc", "inf", "nan", or hexadecimal "0x10",
// which would otherwise read as 0); too large a number is an infinity of its
// sign, too small a one 0. Independent of the C locale, and defined for any text (the
// framework's own reader overflows on an exponent of ten digits).
class LeadingNumber
{
public:
    static std::optional<double> read (const juce::String& text);
    // The same, and `rest` = the text after the number (empty when there is none).
    static std::optional<double> read (const juce::String& text, juce::String& rest);
};
