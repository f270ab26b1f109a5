#pragma once

#include <juce_data_structures/juce_data_structures.h>

// A named, complete set of parameter values. Names are upper case: presets are
// found by name regardless of how the file was spelled.
class Preset
{
public:
    // `file` is the user file the preset was read from (empty for factory
    // presets): saving and deleting go through it, so a file whose name is not
    // upper case is still found on a case-sensitive file system.
    Preset (juce::String name, juce::ValueTree state, bool isUser, juce::File file = {});

    static bool comparePresets (const Preset* a, const Preset* b);
    bool operator< (const Preset& other) const;
    bool operator== (const Preset& other) const;

    juce::String name;
    juce::ValueTree state;
    bool isUser;
    juce::File file;
};
