#include "Preset/Preset.h"

Preset::Preset (juce::String presetName, juce::ValueTree presetState, bool user, juce::File presetFile)
    : name (std::move (presetName)), state (std::move (presetState)), isUser (user), file (std::move (presetFile))
{
}

bool Preset::comparePresets (const Preset* a, const Preset* b)
{
    return *a < *b;
}

bool Preset::operator< (const Preset& other) const
{
    // Code-point order of the upper-case names.
    return name.compare (other.name) < 0;
}

bool Preset::operator== (const Preset& other) const
{
    return name == other.name && isUser == other.isUser && state == other.state;
}
