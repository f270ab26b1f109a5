#include "Preset/BoundedXml.h"

#include "Preset/XmlNestingScan.h"

std::unique_ptr<juce::XmlElement> BoundedXml::parse (const juce::String& text)
{
    if (! XmlNestingScan (text, maxDepth, maxAttributes).isAcceptable())
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
    return parse (juce::String::fromUTF8 (static_cast<const char*> (data) + 8, std::min (sizeInBytes - 8, length)));
}
