#pragma once

#include <juce_core/juce_core.h>

#include <memory>

// Parses XML that comes from outside (preset files, host state blocks) only
// when the framework's parser can read it without harm (see XmlNestingScan).
// Presets are four levels deep and states two; anything much deeper is not
// ours and is refused unread.
class BoundedXml
{
public:
    static constexpr int maxDepth = 32;
    static constexpr int maxAttributes = 256;
    static constexpr int maxStateTextBytes = 1 << 20;

    // The document element of `text`, or null when it does not parse or is
    // refused (also when it is not UTF-8: `text` may come straight from a
    // file's bytes).
    static std::unique_ptr<juce::XmlElement> parse (const juce::String& text);

    // The XML of a state block in the framework's binary wrapping (magic
    // number, length, UTF-8 text), read as juce::AudioProcessor's
    // getXmlFromBinary reads it; null when the block is not one, its text is
    // longer than maxStateTextBytes, or it is refused.
    static std::unique_ptr<juce::XmlElement> parseStateBlock (const void* data, int sizeInBytes);
};
