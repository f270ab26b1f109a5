#include "ProcessorFixture.h"

using namespace plugintest;

namespace
{
juce::ValueTree makeDefaults()
{
    juce::ValueTree state ("Parameters");
    const std::pair<const char*, double> parameters[] = { { "DryWet", 50.0 }, { "PitchA", 0.0 }, { "ReverbLength", 5.0 } };
    for (const auto& [id, value] : parameters)
    {
        juce::ValueTree child ("PARAM");
        child.setProperty ("id", id, nullptr);
        child.setProperty ("value", value, nullptr);
        state.appendChild (child, nullptr);
    }
    return state;
}

juce::ValueTree read (const juce::String& text, const juce::ValueTree& defaults)
{
    const auto document = juce::XmlDocument::parse (text);
    EXPECT_NE (document, nullptr);
    const auto* dict = document != nullptr ? PresetParser::findDict (*document) : nullptr;
    EXPECT_NE (dict, nullptr);
    return dict != nullptr ? PresetParser().valueTreeFromPreset (defaults, *dict) : juce::ValueTree();
}

const char* const factoryForm = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>Categories</key>
	<array/>
	<key>DryWet</key>
	<real>80</real>
	<key>PitchA</key>
	<real>-12</real>
	<key>ReverbLength</key>
	<real>195.20002746582031</real>
</dict>
</plist>
)";
} // namespace

TEST (PresetParser, ReadsOnlyTheNamedParametersOverACopyOfTheDefaults)
{
    const auto defaults = makeDefaults();
    const auto state = read (presetText ({ { "DryWet", "80" } }), defaults);

    EXPECT_EQ (valuesOf (state), (std::map<juce::String, double> { { "DryWet", 80.0 }, { "PitchA", 0.0 }, { "ReverbLength", 5.0 } }));
    EXPECT_EQ (state.getChildWithProperty ("id", "DryWet")["value"].toString(), "80");
    // The defaults themselves are untouched.
    EXPECT_EQ (static_cast<double> (defaults.getChildWithProperty ("id", "DryWet")["value"]), 50.0);
}

TEST (PresetParser, FactoryFormAndWrittenFormReadTheSame)
{
    const auto defaults = makeDefaults();
    const auto fromFactory = read (factoryForm, defaults);

    PresetParser parser;
    const auto written = parser.presetFromValueTree (fromFactory);
    ASSERT_NE (written, nullptr);
    EXPECT_TRUE (written->hasTagName ("plist"));
    EXPECT_EQ (written->getStringAttribute ("version"), "1.0");
    const auto text = written->toString();
    EXPECT_FALSE (text.contains ("DOCTYPE"));
    EXPECT_FALSE (text.contains ("Categories"));

    const auto fromWritten = read (text, defaults);
    EXPECT_EQ (valuesOf (fromWritten), valuesOf (fromFactory));
    EXPECT_EQ (valuesOf (fromWritten).at ("ReverbLength"), 195.20002746582031);
}

TEST (PresetParser, IgnoresOtherTagsStrayValuesAndValuesThatAreNotFiniteNumbers)
{
    const auto defaults = makeDefaults();
    const auto state = read (R"(<plist version="1.0"><dict>
        <real>11</real>
        <key>DryWet</key><integer>70</integer>
        <key>PitchA</key><string>7</string>
        <key>ReverbLength</key><real>nan</real>
        <key>Unknown</key><real>3</real>
        <key>DryWet</key><real>inf</real>
        <key>PitchA</key><real>twelve</real>
        <key></key><real>4</real>
        <key>DryWet</key><real>0e99999999999</real>
        <key>ReverbLength</key><real>1e-00000000000000300000</real>
        </dict></plist>)",
                             defaults);
    EXPECT_EQ (valuesOf (state), valuesOf (defaults));

    // Exponents are read up to four significant digits.
    const auto exponents = read (R"(<plist><dict><key>DryWet</key><real>2e+0001</real>
        <key>ReverbLength</key><real>1E-0009</real></dict></plist>)", defaults);
    EXPECT_EQ (exponents.getChildWithProperty ("id", "DryWet")["value"].toString(), "2e+0001");
    EXPECT_EQ (exponents.getChildWithProperty ("id", "ReverbLength")["value"].toString(), "1E-0009");
}

TEST (PresetParser, OnlyAPropertyListWithADictIsAPreset)
{
    EXPECT_EQ (PresetParser::findDict (*juce::XmlDocument::parse ("<plist><array/></plist>")), nullptr);
    EXPECT_EQ (PresetParser::findDict (*juce::XmlDocument::parse ("<html><dict/></html>")), nullptr);
    EXPECT_EQ (PresetParser::findDict (*juce::XmlDocument::parse ("<plist/>")), nullptr);
    EXPECT_NE (PresetParser::findDict (*juce::XmlDocument::parse ("<plist><dict/></plist>")), nullptr);
}

TEST (PresetParser, NumbersAreReadIndependentlyOfTheLocale)
{
    double value = 0.0;
    EXPECT_TRUE (PresetParser::parseFiniteNumber (" -12 ", value));
    EXPECT_EQ (value, -12.0);
    EXPECT_TRUE (PresetParser::parseFiniteNumber ("+1.5e2", value));
    EXPECT_EQ (value, 150.0);
    EXPECT_TRUE (PresetParser::parseFiniteNumber ("195.20002746582031", value));
    EXPECT_EQ (value, 195.20002746582031);
    for (const char* bad : { "", "1,5", "12abc", "nan", "-inf", "1e999", "0x10" })
        EXPECT_FALSE (PresetParser::parseFiniteNumber (bad, value)) << bad;
}

TEST_F (ProcessorTest, AStateWrittenAsAPresetReadsBackExactly)
{
    ASSERT_TRUE (processor->setPreset ("Smooth Vantrel", true));
    automate (*processor, "ReverbColor", 12345.67f);
    automate (*processor, "FineB", -33.3f);
    const auto state = processor->parameterTree.copyState();

    const auto xml = processor->parser->presetFromValueTree (state);
    const auto reread = read (xml->toString(), processor->defaultState);
    // Parameters hold single-precision values: each one reads back exactly.
    const auto before = valuesOf (state);
    const auto after = valuesOf (reread);
    ASSERT_EQ (after.size(), 24u);
    for (const auto& [id, value] : before)
        EXPECT_EQ (static_cast<float> (after.at (id)), static_cast<float> (value)) << id;
}
