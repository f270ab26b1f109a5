#pragma once

#include <juce_data_structures/juce_data_structures.h>

#include <memory>

// Converts between a preset file's property list ("plist" > "dict" > key/real
// pairs) and a parameter state tree ("Parameters" > "PARAM" {id, value}).
class PresetParser
{
public:
    virtual ~PresetParser() = default;

    // A copy of `defaults` with the value of every parameter the dict names.
    // A value that is not a finite number leaves that parameter at its default.
    virtual juce::ValueTree valueTreeFromPreset (juce::ValueTree defaults, const juce::XmlElement& dict);

    // The property list for `state`, ready to be written to a preset file.
    virtual std::unique_ptr<juce::XmlElement> presetFromValueTree (juce::ValueTree state);

    // The "dict" element of a parsed preset document, or null when the document
    // is not a property list holding one.
    static const juce::XmlElement* findDict (const juce::XmlElement& document);

    // Reads a decimal number as written by this or any other tool, independently
    // of the C locale; false for anything else, including infinities, NaN and
    // exponents of more than four digits.
    static bool parseFiniteNumber (const juce::String& text, double& result);
};
