#include "Preset/BoundedXml.h"
#include "Preset/XmlNestingScan.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <gtest/gtest.h>

#include <cstring>

namespace
{
juce::String nested (int depth, const juce::String& inner = {})
{
    return juce::String::repeatedString ("<e>", depth) + inner + juce::String::repeatedString ("</e>", depth);
}

juce::String withAttributes (int count)
{
    juce::String text ("<e");
    for (int i = 0; i < count; ++i)
        text << " a" << i << "='" << i << "'";
    return text + "/>";
}
} // namespace

TEST (BoundedXml, DepthIsCountedAsTheParserNestsAndBoundedAtThirtyTwo)
{
    EXPECT_NE (BoundedXml::parse (nested (BoundedXml::maxDepth)), nullptr);
    EXPECT_EQ (BoundedXml::parse (nested (BoundedXml::maxDepth + 1)), nullptr);
    // Empty elements, closed siblings, comments and CDATA add no depth...
    EXPECT_NE (BoundedXml::parse (nested (BoundedXml::maxDepth - 1, juce::String::repeatedString ("<x/><y></y><!-- <z> --><![CDATA[<w>]]>", 500))),
               nullptr);
    // ...while what the parser reads as an element opening does, wherever a
    // '>' or '/' stands in quotes or unclosed tags.
    EXPECT_EQ (BoundedXml::parse (nested (1, juce::String::repeatedString ("<a x='/>'>", 40))), nullptr);
    EXPECT_EQ (BoundedXml::parse (nested (1, juce::String::repeatedString ("< a>", 40))), nullptr);
    EXPECT_EQ (BoundedXml::parse (nested (1, juce::String::repeatedString ("<a x='&quot;' y=\"'\">", 40))), nullptr);
    // A tag whose attributes the parser gives up on opens nothing (the
    // parser reads on, and reports the error at the end).
    EXPECT_TRUE (XmlNestingScan (nested (1, juce::String::repeatedString ("<a \"x\">", 40)), 32, 256).isAcceptable());
    EXPECT_FALSE (XmlNestingScan (nested (1, juce::String::repeatedString ("<a>", 40)), 32, 256).isAcceptable());
}

TEST (BoundedXml, AttributesAndReferencesAreBounded)
{
    EXPECT_NE (BoundedXml::parse (withAttributes (BoundedXml::maxAttributes)), nullptr);
    EXPECT_EQ (BoundedXml::parse (withAttributes (BoundedXml::maxAttributes + 1)), nullptr);

    const auto good = BoundedXml::parse ("<e a='&amp;&LT;&#65;&#x42;&#x10FFFF;'>&quot;&apos;&gt;</e>");
    ASSERT_NE (good, nullptr);
    EXPECT_EQ (good->getStringAttribute ("a"), juce::String ("&<AB") + juce::String::charToString (0x10ffff));
    EXPECT_EQ (good->getAllSubText(), "\"'>");

    for (const char* text : { "<e a='&#x'/>", "<e>&#;</e>", "<e>&#1a;</e>", "<e>&nbsp;</e>", "<e>& </e>", "<e>&#0;</e>",
                              "<e>&#xD800;</e>", "<e>&#x110000;</e>", "<e>&#1234567890123;</e>", "<e>&#x123456789;</e>", "<e>&amp</e>" })
        EXPECT_EQ (BoundedXml::parse (text), nullptr) << text;
}

TEST (BoundedXml, OnlyStrictUtf8AndAttributesGivenOnceAreRead)
{
    EXPECT_NE (BoundedXml::parse (juce::String::fromUTF8 ("<e a='caf\xc3\xa9 \xf0\x9f\x8e\xb9'/>")), nullptr);
    EXPECT_EQ (BoundedXml::parse ("<e a='1' b='2' a='3'/>"), nullptr);
    EXPECT_EQ (BoundedXml::parse ("<e><x a='1' a='1'/></e>"), nullptr);

    // Bytes as a state block carries them: Latin-1, overlong, surrogate,
    // beyond U+10FFFF, cut short.
    for (const char* text : { "<e a='caf\xe9'/>", "<e a='\xe0\x99\x99'/>", "<e a='\xed\xa0\x80'/>", "<e a='\xf4\x90\x80\x80'/>",
                              "<e a='\xc3'/>", "<e/>\xe2\x82" })
    {
        juce::MemoryBlock block;
        juce::MemoryOutputStream out (block, false);
        out.writeInt (0x21324356);
        out.writeInt (static_cast<int> (std::strlen (text)) + 1);
        out.write (text, std::strlen (text) + 1);
        out.flush();
        EXPECT_EQ (BoundedXml::parseStateBlock (block.getData(), static_cast<int> (block.getSize())), nullptr) << text;
    }
}

TEST (BoundedXml, DocumentTypesWithDeclarationsAndEndlessInstructionsAreRefused)
{
    EXPECT_EQ (BoundedXml::parse ("<!DOCTYPE e [<!ENTITY a 'x'>]><e/>"), nullptr);
    EXPECT_EQ (BoundedXml::parse ("<e><?pi?>text</e>"), nullptr);
    EXPECT_EQ (BoundedXml::parse ("<e> <?pi?>text</e>"), nullptr);

    // What presets and states look like is read as the parser reads it.
    const juce::String factoryForm = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Example//DTD PLIST 1.0//EN" "http://example.com/PropertyList-1.0.dtd">
<plist version="1.0"><dict><key>Categories</key><array/><key>DryWet</key><real>80</real></dict></plist>)";
    const auto bounded = BoundedXml::parse (factoryForm);
    ASSERT_NE (bounded, nullptr);
    EXPECT_TRUE (bounded->isEquivalentTo (juce::XmlDocument::parse (factoryForm).get(), false));
    EXPECT_NE (BoundedXml::parse ("<e><?pi?><x/>text</e>"), nullptr);
}

TEST (BoundedXml, StateBlocksAreUnwrappedAsTheFrameworkWrapsThem)
{
    juce::MemoryBlock block;
    const auto xml = juce::XmlDocument::parse ("<Parameters PresetName='X'><PARAM id='a' value='1'/></Parameters>");
    juce::AudioProcessor::copyXmlToBinary (*xml, block);

    const auto read = BoundedXml::parseStateBlock (block.getData(), static_cast<int> (block.getSize()));
    ASSERT_NE (read, nullptr);
    EXPECT_TRUE (read->isEquivalentTo (xml.get(), false));

    // Cut short, wrong magic, no length, nothing.
    EXPECT_EQ (BoundedXml::parseStateBlock (block.getData(), 20), nullptr);
    EXPECT_EQ (BoundedXml::parseStateBlock (block.getData(), 8), nullptr);
    EXPECT_EQ (BoundedXml::parseStateBlock (nullptr, 100), nullptr);
    static_cast<char*> (block.getData())[0] = 0;
    EXPECT_EQ (BoundedXml::parseStateBlock (block.getData(), static_cast<int> (block.getSize())), nullptr);
}
