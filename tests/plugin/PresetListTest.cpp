#include "ProcessorFixture.h"

#include <algorithm>

using namespace plugintest;

namespace
{
const char* const factoryNames[] = {
    "Abyss", "Arpeggios", "Bright Detuned", "Cathedral Fall", "Clear", "Close Chorus", "Dark Tape Wobble",
    "Drum Room", "Ducked Vocal Hall", "Fourth Cascade", "Frozen Pad", "Golden Fifth", "Granular Octoverb",
    "Huge Vantrel", "Long and rich", "Long Major", "Noisy Trail", "Post impact", "Post octaver", "Rising Halo",
    "Seven Seconds", "Short Minor", "Slow detuned reverb", "Slow Movements", "Smooth Vantrel", "Spectrum Filler",
    "Starlight", "Sub room", "Three octaves", "Tight Booth", "World of brigthness",
};

juce::String abyssUserPreset()
{
    return presetText ({ { "DryWet", "12" } });
}
} // namespace

TEST_F (ProcessorTest, FactoryListIsDefaultThenTheThirtyOnePresetsInCodePointOrder)
{
    std::vector<juce::String> expected;
    for (auto* name : factoryNames)
        expected.push_back (juce::String (name).toUpperCase());
    std::sort (expected.begin(), expected.end(), [] (const auto& a, const auto& b) { return a.compare (b) < 0; });
    expected.insert (expected.begin(), "DEFAULT");

    EXPECT_EQ (namesOf (processor->getPresetList (EffectProcessor::factoryList)), expected);
    EXPECT_TRUE (processor->getPresetList (EffectProcessor::userList).empty());
    EXPECT_EQ (expected[1], "ABYSS");
    EXPECT_EQ (expected.back(), "WORLD OF BRIGTHNESS");
}

TEST_F (ProcessorTest, EveryFactoryPresetSetsAllParametersWithinTheirRanges)
{
    const auto defaults = valuesOf (processor->defaultState);
    for (auto* preset : processor->getPresetList (EffectProcessor::factoryList))
    {
        SCOPED_TRACE (preset->name.toStdString());
        EXPECT_FALSE (preset->isUser);
        const auto values = valuesOf (preset->state);
        ASSERT_EQ (values.size(), 24u);
        for (const auto& [id, value] : values)
        {
            auto* parameter = processor->parameterTree.getParameter (id);
            ASSERT_NE (parameter, nullptr) << id;
            const auto& range = processor->parameterTree.getParameterRange (id);
            EXPECT_GE (value, range.start) << id;
            EXPECT_LE (value, range.end) << id;
        }
    }
    // "DEFAULT" is the construction state itself.
    EXPECT_TRUE (processor->getPresetList (EffectProcessor::factoryList)[0]->state == processor->defaultState);
}

TEST_F (ProcessorTest, SmoothVantrelHoldsItsValuesAndNoPrepareAppliesAPreset)
{
    auto* smooth = processor->currentPreset;
    ASSERT_NE (smooth, nullptr);
    EXPECT_EQ (smooth->name, "SMOOTH VANTREL");
    const auto values = valuesOf (smooth->state);
    EXPECT_NEAR (values.at ("PitchA"), -12.0, 1e-9);
    EXPECT_NEAR (values.at ("PitchB"), 12.0, 1e-9);
    EXPECT_NEAR (values.at ("ReverbLength"), 15.0, 1e-9);
    EXPECT_NEAR (values.at ("DuckingThreshold"), -10.0, 1e-9);
    EXPECT_NEAR (values.at ("PitchShifterModeB"), 1.0, 1e-9);
    EXPECT_NEAR (values.at ("DelayTimeA"), 195.20002746582031, 1e-9);
    EXPECT_NEAR (values.at ("PitchShifterAmountA"), 49.9351806640625, 1e-9);

    // Whatever is set before the first prepare (a host's values, another
    // preset, the user's edits) is what plays afterwards.
    automate (*processor, "ReverbLength", 3.0f);
    ASSERT_TRUE (processor->setPreset ("abyss", true));
    automate (*processor, "PitchA", 5.0f);
    prepare();
    EXPECT_EQ (processor->currentPreset->name, "ABYSS");
    EXPECT_NEAR (hostValue (*processor, "ReverbLength"), 25.0f, 1e-3f);
    EXPECT_NEAR (hostValue (*processor, "PitchA"), 5.0f, 1e-3f);
    EXPECT_NEAR (processor->getKernel().getParameter (7), 5.0f, 1e-6f);
    EXPECT_NEAR (processor->getKernel().getParameter (16), 25.0f, 1e-3f);

    // Nor does a later prepare (new rate).
    automate (*processor, "ReverbLength", 3.0f);
    prepare (96000.0);
    EXPECT_NEAR (hostValue (*processor, "ReverbLength"), 3.0f, 1e-3f);
}

TEST_F (ProcessorTest, SetPresetByIndexChecksTheCurrentListAndTheCurrentPreset)
{
    const auto factorySize = static_cast<int> (processor->getPresetList (EffectProcessor::factoryList).size());
    auto* start = processor->currentPreset;
    const auto startIndex = processor->currentPresetIndex;
    EXPECT_FALSE (processor->setPreset (-1));
    EXPECT_FALSE (processor->setPreset (factorySize));
    EXPECT_FALSE (processor->setPreset (1000));
    EXPECT_EQ (processor->currentPreset, start);
    EXPECT_EQ (processor->currentPresetIndex, startIndex);

    ASSERT_TRUE (processor->setPreset (1)); // ABYSS
    EXPECT_EQ (processor->currentPreset->name, "ABYSS");
    EXPECT_NEAR (hostValue (*processor, "ReverbLength"), 25.0f, 1e-3f);
    EXPECT_NEAR (processor->getKernel().getParameter (16), 25.0f, 1e-3f);

    // Applying the current preset again changes nothing, not even edits.
    automate (*processor, "DryWet", 10.0f);
    EXPECT_FALSE (processor->setPreset (1));
    EXPECT_TRUE (processor->setPreset ("Abyss", true)) << "found, though not applied again";
    EXPECT_NEAR (hostValue (*processor, "DryWet"), 10.0f, 1e-3f);

    // The user list is empty: any index there is refused.
    processor->currentPresetList = EffectProcessor::userList;
    EXPECT_FALSE (processor->setPreset (0));
    EXPECT_EQ (processor->currentPreset->name, "ABYSS");
}

TEST_F (ProcessorTest, SetPresetByNameIgnoresCaseAndFailsWithoutChange)
{
    EXPECT_TRUE (processor->setPreset ("Default", true));
    EXPECT_EQ (processor->currentPresetList, EffectProcessor::factoryList);
    EXPECT_EQ (processor->currentPresetIndex, 0);

    EXPECT_TRUE (processor->setPreset ("tHREE OCTAVES", true));
    const auto index = processor->currentPresetIndex;
    EXPECT_EQ (processor->currentPreset->name, "THREE OCTAVES");

    EXPECT_FALSE (processor->setPreset ("No such preset", true));
    EXPECT_EQ (processor->currentPresetIndex, index);
    EXPECT_EQ (processor->currentPreset->name, "THREE OCTAVES");
}

TEST_F (ProcessorTest, UserPresetsAreListedUpperCaseAndHideFactoryPresetsOfTheSameName)
{
    writeUserFile ("my sound.vnprs", presetText ({ { "RoomSize", "77" } }));
    writeUserFile ("Abyss.vnprs", abyssUserPreset());
    writeUserFile ("notes.txt", presetText ({ { "RoomSize", "1" } }));
    writeUserFile ("broken.vnprs", "this is not xml");
    writeUserFile ("empty.vnprs", "");
    writeUserFile ("not a plist.vnprs", "<?xml version=\"1.0\"?><html><body/></html>");
    processor->retrieveUserPresets();

    const auto names = namesOf (processor->getPresetList (EffectProcessor::userList));
    EXPECT_EQ (names, (std::vector<juce::String> { "ABYSS", "MY SOUND" }));
    for (auto* preset : processor->getPresetList (EffectProcessor::userList))
        EXPECT_TRUE (preset->isUser);

    ASSERT_TRUE (processor->setPreset ("abyss", true));
    EXPECT_EQ (processor->currentPresetList, EffectProcessor::userList);
    EXPECT_TRUE (processor->currentPreset->isUser);
    EXPECT_NEAR (hostValue (*processor, "DryWet"), 12.0f, 1e-3f);
    // Values missing from the file are the defaults.
    EXPECT_NEAR (hostValue (*processor, "ReverbLength"), 5.0f, 1e-3f);
}

TEST_F (ProcessorTest, ReloadingTheUserListKeepsTheCurrentPresetAndTheEdits)
{
    writeUserFile ("Keep.vnprs", presetText ({ { "RoomSize", "20" } }));
    processor->retrieveUserPresets();
    ASSERT_TRUE (processor->setPreset ("KEEP", true));
    automate (*processor, "RoomSize", 90.0f);

    writeUserFile ("Another.vnprs", presetText ({ { "RoomSize", "40" } }));
    processor->retrieveUserPresets();

    ASSERT_NE (processor->currentPreset, nullptr);
    EXPECT_EQ (processor->currentPreset->name, "KEEP");
    EXPECT_EQ (processor->currentPresetIndex, 1);
    EXPECT_NEAR (hostValue (*processor, "RoomSize"), 90.0f, 1e-3f);

    // A current preset whose file went away is no longer current.
    ASSERT_TRUE (userFolder().getChildFile ("Keep.vnprs").deleteFile());
    processor->retrieveUserPresets();
    EXPECT_EQ (processor->currentPreset, nullptr);
    EXPECT_NEAR (hostValue (*processor, "RoomSize"), 90.0f, 1e-3f);
}
