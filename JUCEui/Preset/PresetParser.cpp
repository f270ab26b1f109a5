#include "Preset/PresetParser.h"

#include <charconv>
#include <cmath>

namespace
{
const juce::Identifier idProperty { "id" };
const juce::Identifier valueProperty { "value" };
} // namespace

juce::ValueTree PresetParser::valueTreeFromPreset (juce::ValueTree defaults, const juce::XmlElement& dict)
{
    auto result = defaults.createCopy();
    juce::String key;

    for (auto* element : dict.getChildIterator())
    {
        if (element->hasTagName ("key"))
        {
            key = element->getAllSubText();
        }
        else if (element->hasTagName ("real"))
        {
            const auto text = element->getAllSubText().trim();
            double number = 0.0;
            if (! parseFiniteNumber (text, number))
                continue;

            auto parameter = result.getChildWithProperty (idProperty, key);
            if (parameter.isValid())
                parameter.setProperty (valueProperty, text, nullptr);
        }
    }
    return result;
}

std::unique_ptr<juce::XmlElement> PresetParser::presetFromValueTree (juce::ValueTree state)
{
    auto plist = std::make_unique<juce::XmlElement> ("plist");
    plist->setAttribute ("version", "1.0");
    auto* dict = plist->createNewChildElement ("dict");

    for (const auto& parameter : state)
    {
        dict->createNewChildElement ("key")->addTextElement (parameter.getProperty (idProperty).toString());
        dict->createNewChildElement ("real")->addTextElement (parameter.getProperty (valueProperty).toString());
    }
    return plist;
}

const juce::XmlElement* PresetParser::findDict (const juce::XmlElement& document)
{
    if (! document.hasTagName ("plist"))
        return nullptr;
    auto* first = document.getFirstChildElement();
    return first != nullptr && first->hasTagName ("dict") ? first : nullptr;
}

bool PresetParser::parseFiniteNumber (const juce::String& text, double& result)
{
    auto utf8 = text.trim().toStdString();
    std::string_view digits { utf8 };
    if (! digits.empty() && digits.front() == '+')
        digits.remove_prefix (1);
    if (digits.empty())
        return false;

    double value = 0.0;
    const auto [end, error] = std::from_chars (digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || ! std::isfinite (value))
        return false;

    // The text is kept and read again by the framework later, whose reader
    // overflows on an exponent of ten digits ("0e9999999999"): no writer
    // needs more than four.
    const auto exponent = digits.find_first_of ("eE");
    if (exponent != std::string_view::npos)
    {
        auto significant = digits.substr (exponent + 1);
        if (! significant.empty() && (significant.front() == '+' || significant.front() == '-'))
            significant.remove_prefix (1);
        while (! significant.empty() && significant.front() == '0')
            significant.remove_prefix (1);
        if (significant.size() > 4)
            return false;
    }
    result = value;
    return true;
}
