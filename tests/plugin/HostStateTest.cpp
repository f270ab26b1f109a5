#include "ProcessorFixture.h"

using namespace plugintest;

TEST_F (ProcessorTest, StateRoundTripIsExactAndCarriesThePresetName)
{
    prepare();
    ASSERT_TRUE (processor->setPreset ("Abyss", true));
    automate (*processor, "ReverbColor", 4321.5f);
    automate (*processor, "PitchB", -7.0f);
    automate (*processor, "InputFilterType", 1.0f);
    const auto saved = stateOf (*processor);
    const auto expected = currentValues (*processor);

    const auto xml = juce::AudioProcessor::getXmlFromBinary (saved.getData(), static_cast<int> (saved.getSize()));
    ASSERT_NE (xml, nullptr);
    EXPECT_TRUE (xml->hasTagName ("Parameters"));
    EXPECT_EQ (xml->getStringAttribute ("PresetName"), "ABYSS");
    EXPECT_EQ (xml->getNumChildElements(), 24);

    auto other = VantrelProcessor::create();
    restore (*other, saved);
    EXPECT_EQ (currentValues (*other), expected);
    EXPECT_NEAR (other->getKernel().getParameter (17), 4321.5f, 0.01f);
    EXPECT_NEAR (other->getKernel().getParameter (12), -7.0f, 1e-6f);
    EXPECT_TRUE (other->stateRestoredPending);
    EXPECT_TRUE (other->restoredPresetFound);
    EXPECT_EQ (other->restoredPresetName, "ABYSS");
    ASSERT_NE (other->currentPreset, nullptr);
    EXPECT_EQ (other->currentPreset->name, "ABYSS");

    // Saving again gives the same block.
    EXPECT_EQ (stateOf (*other), saved);
}

TEST_F (ProcessorTest, ARestoreBeforeTheFirstPrepareIsNotOverwrittenByTheDefaultPreset)
{
    automate (*processor, "RoomSize", 12.0f);
    automate (*processor, "PitchA", 5.0f);
    const auto saved = stateOf (*processor);
    const auto expected = currentValues (*processor);

    auto reopened = VantrelProcessor::create();
    restore (*reopened, saved);
    reopened->setRateAndBufferSizeDetails (44100.0, 256);
    reopened->prepareToPlay (44100.0, 256);

    EXPECT_EQ (currentValues (*reopened), expected);
    EXPECT_NEAR (reopened->getKernel().getParameter (7), 5.0f, 1e-6f);
}

TEST_F (ProcessorTest, ARestoreKeepsTheSavedValuesOfAnEditedPreset)
{
    prepare();
    ASSERT_TRUE (processor->setPreset ("Three octaves", true));
    automate (*processor, "DryWet", 91.0f);
    const auto saved = stateOf (*processor);

    // Into a fresh instance and into one where another preset is current.
    auto fresh = VantrelProcessor::create();
    restore (*fresh, saved);
    EXPECT_NEAR (hostValue (*fresh, "DryWet"), 91.0f, 1e-3f);
    ASSERT_NE (fresh->currentPreset, nullptr);
    EXPECT_EQ (fresh->currentPreset->name, "THREE OCTAVES");

    ASSERT_TRUE (processor->setPreset ("Clear", true));
    restore (*processor, saved);
    EXPECT_NEAR (hostValue (*processor, "DryWet"), 91.0f, 1e-3f);
    EXPECT_EQ (processor->currentPreset->name, "THREE OCTAVES");
}

TEST_F (ProcessorTest, ARestoreNamingAMissingPresetLeavesNoPresetCurrent)
{
    writeUserFile ("Gone.vnprs", presetText ({ { "RoomSize", "20" } }));
    processor->retrieveUserPresets();
    ASSERT_TRUE (processor->setPreset ("Gone", true));
    automate (*processor, "RoomSize", 44.0f);
    const auto saved = stateOf (*processor);

    ASSERT_TRUE (userFolder().getChildFile ("Gone.vnprs").deleteFile());
    processor->retrieveUserPresets();
    ASSERT_TRUE (processor->setPreset ("Clear", true));
    restore (*processor, saved);

    EXPECT_EQ (processor->currentPreset, nullptr) << "a later save must not overwrite CLEAR";
    EXPECT_FALSE (processor->restoredPresetFound);
    EXPECT_EQ (processor->restoredPresetName, "GONE");
    EXPECT_TRUE (processor->stateRestoredPending);
    EXPECT_NEAR (hostValue (*processor, "RoomSize"), 44.0f, 1e-3f);

    // With no preset current the state names none (an empty name, which no
    // preset has): reopened, it shows no preset, not the factory DEFAULT.
    const auto none = stateOf (*processor);
    const auto again = juce::AudioProcessor::getXmlFromBinary (none.getData(), static_cast<int> (none.getSize()));
    ASSERT_TRUE (again->hasAttribute ("PresetName"));
    EXPECT_EQ (again->getStringAttribute ("PresetName"), "");
    auto reopened = VantrelProcessor::create();
    restore (*reopened, none);
    EXPECT_EQ (reopened->currentPreset, nullptr);
    EXPECT_FALSE (reopened->restoredPresetFound);
    EXPECT_NEAR (hostValue (*reopened, "RoomSize"), 44.0f, 1e-3f);
}

TEST_F (ProcessorTest, AnOldStateSayingDefaultStillSelectsTheDefaultPresetAndKeepsItsValues)
{
    automate (*processor, "RoomSize", 61.0f);
    auto xml = juce::AudioProcessor::getXmlFromBinary (stateOf (*processor).getData(),
                                                       static_cast<int> (stateOf (*processor).getSize()));
    xml->setAttribute ("PresetName", "Default");
    juce::MemoryBlock old;
    juce::AudioProcessor::copyXmlToBinary (*xml, old);

    auto reopened = VantrelProcessor::create();
    restore (*reopened, old);
    ASSERT_NE (reopened->currentPreset, nullptr);
    EXPECT_EQ (reopened->currentPreset->name, "DEFAULT");
    EXPECT_NEAR (hostValue (*reopened, "RoomSize"), 61.0f, 1e-3f);
    // The values are not DEFAULT's, which the editor shows with the mark.
    EXPECT_TRUE (reopened->differsFromPreset (*reopened->currentPreset));
    EXPECT_TRUE (reopened->reapplyCurrentPreset());
    EXPECT_FALSE (reopened->differsFromPreset (*reopened->currentPreset));
    EXPECT_FALSE (reopened->reapplyCurrentPreset());
}

TEST_F (ProcessorTest, AStateNamesThePresetsListAndOneWithoutItFindsTheUsersPresetFirst)
{
    writeUserFile ("Abyss.vnprs", presetText ({ { "RoomSize", "20" } }));
    processor->retrieveUserPresets();
    processor->currentPresetList = EffectProcessor::factoryList;
    ASSERT_TRUE (processor->setPreset (1)); // the factory ABYSS
    auto xml = juce::AudioProcessor::getXmlFromBinary (stateOf (*processor).getData(),
                                                       static_cast<int> (stateOf (*processor).getSize()));
    EXPECT_EQ (xml->getStringAttribute ("PresetName"), "ABYSS");
    EXPECT_EQ (xml->getStringAttribute ("PresetType"), "FACTORY");

    const std::pair<const char*, bool> cases[] = { { "FACTORY", false }, { "USER", true }, { nullptr, true } };
    for (const auto& [type, isUser] : cases)
    {
        if (type != nullptr)
            xml->setAttribute ("PresetType", type);
        else
            xml->removeAttribute ("PresetType"); // saved before the list was stored
        auto reopened = VantrelProcessor::create();
        restore (*reopened, blockFromXml (xml->toString()));
        ASSERT_NE (reopened->currentPreset, nullptr);
        EXPECT_EQ (reopened->currentPreset->isUser, isUser) << (type != nullptr ? type : "none");
    }

    // With no preset current the state names no list.
    processor->currentPreset = nullptr;
    const auto none = stateOf (*processor);
    EXPECT_FALSE (juce::AudioProcessor::getXmlFromBinary (none.getData(), static_cast<int> (none.getSize()))->hasAttribute ("PresetType"));
}

TEST_F (ProcessorTest, ForeignOrBrokenStateChangesNothing)
{
    prepare();
    automate (*processor, "RoomSize", 33.0f);
    const auto before = currentValues (*processor);
    auto* current = processor->currentPreset;

    const char garbage[] = "definitely not a state block, just bytes";
    processor->setStateInformation (garbage, sizeof (garbage));
    processor->setStateInformation (nullptr, 100);
    processor->setStateInformation (garbage, 0);
    restore (*processor, blockFromXml (R"(<OtherPlugin PresetName="Abyss"><PARAM id="RoomSize" value="1"/></OtherPlugin>)"));

    // A valid block cut short.
    auto cut = stateOf (*processor);
    cut.setSize (cut.getSize() / 2);
    restore (*processor, cut);

    EXPECT_EQ (currentValues (*processor), before);
    EXPECT_EQ (processor->currentPreset, current);
    EXPECT_FALSE (processor->stateRestoredPending);
}

TEST_F (ProcessorTest, NonFiniteValuesInAStateKeepTheirParametersAndOutOfRangeValuesAreClamped)
{
    automate (*processor, "RoomSize", 33.0f);
    automate (*processor, "DryWet", 70.0f);
    restore (*processor, blockFromXml (R"(<Parameters PresetName="Nothing">
        <PARAM id="ReverbLength"/>
        <PARAM id="RoomSize" value="nan"/>
        <PARAM id="DryWet" value="inf"/>
        <PARAM id="PreDelay" value="1e9"/>
        <PARAM id="InputGain" value="-500"/>
        <PARAM id="NotAParameter" value="3"/>
        </Parameters>)"));

    EXPECT_NEAR (hostValue (*processor, "RoomSize"), 33.0f, 1e-3f);
    EXPECT_NEAR (hostValue (*processor, "DryWet"), 70.0f, 1e-3f);
    EXPECT_NEAR (hostValue (*processor, "PreDelay"), 200.0f, 1e-3f);
    EXPECT_NEAR (hostValue (*processor, "InputGain"), -30.0f, 1e-3f);
    // No value at all leaves the parameter on the default a new instance
    // starts with, not on the bottom of the range.
    EXPECT_NEAR (hostValue (*processor, "ReverbLength"), 15.0f, 1e-3f);
    for (unsigned long i = 0; i < 24; ++i)
        EXPECT_TRUE (std::isfinite (processor->getKernel().getParameter (i)));
}
