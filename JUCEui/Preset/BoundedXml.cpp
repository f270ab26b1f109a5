#include "Preset/BoundedXml.h"

#include "Preset/Utf8Text.h"
#include "Preset/XmlNestingScan.h"

#include <cstring>

std::unique_ptr<juce::XmlElement> BoundedXml::parse (const juce::String& text)
{
    if (! Utf8Text::isValid (text) || ! XmlNestingScan (text, maxDepth, maxAttributes).isAcceptable())
        return nullptr;
    return juce::XmlDocument::parse (text);
}

std::unique_ptr<juce::XmlElement> BoundedXml::parseStateBlock (const void* data, int sizeInBytes)
{
    // The framework's wrapping: 0x21324356 and the text's byte length, both
    // little-endian, then the text.
    constexpr juce::uint32 magic = 0x21324356;
    if (data == nullptr || sizeInBytes <= 8 || juce::ByteOrder::littleEndianInt (data) != magic)
        return nullptr;

    // A state is a few kilobytes; one of more than a megabyte is not ours.
    const auto length = static_cast<int> (juce::ByteOrder::littleEndianInt (juce::addBytesToPointer (data, 4)));
    if (length <= 0 || std::min (sizeInBytes - 8, length) > maxStateTextBytes)
        return nullptr;
    // The framework writes the text with a terminating zero and reads up to
    // it; anything else must be UTF-8 before it becomes a string.
    const auto* text = static_cast<const char*> (data) + 8;
    const auto textBytes = strnlen (text, static_cast<size_t> (std::min (sizeInBytes - 8, length)));
    if (! Utf8Text::isValid (text, textBytes))
        return nullptr;
    return parse (juce::String::fromUTF8 (text, static_cast<int> (textBytes)));
}
