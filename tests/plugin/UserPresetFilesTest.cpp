#include "ProcessorFixture.h"

#include "Preset/PresetFileName.h"

using namespace plugintest;

namespace
{
juce::Array<juce::File> filesIn (const juce::File& folder)
{
    return folder.findChildFiles (juce::File::findFiles | juce::File::ignoreHiddenFiles, false, "*", juce::File::FollowSymlinks::no);
}

juce::Array<juce::File> allFilesIn (const juce::File& folder)
{
    return folder.findChildFiles (juce::File::findFiles, false, "*", juce::File::FollowSymlinks::no);
}
} // namespace

TEST_F (ProcessorTest, WritingAUserPresetListsItAndMakesItCurrent)
{
    automate (*processor, "RoomSize", 66.0f);
    automate (*processor, "PitchB", 7.0f);
    const auto written = processor->writeUserPreset ("my Sound");
    ASSERT_TRUE (written.wasOk()) << written.getErrorMessage();

    const auto file = userFolder().getChildFile ("my Sound.vnprs");
    ASSERT_TRUE (file.existsAsFile());
    ASSERT_NE (processor->currentPreset, nullptr);
    EXPECT_EQ (processor->currentPreset->name, "MY SOUND");
    EXPECT_TRUE (processor->currentPreset->isUser);
    EXPECT_EQ (processor->currentPresetList, EffectProcessor::userList);
    EXPECT_EQ (processor->currentPreset->file, file);

    // The file holds the state; a fresh processor reads the same values.
    const auto expected = currentValues (*processor);
    auto other = VantrelProcessor::create();
    ASSERT_TRUE (other->setPreset ("MY SOUND", true));
    EXPECT_EQ (currentValues (*other), expected);
    EXPECT_EQ (allFilesIn (userFolder()).size(), 1) << "no temporary file is left behind";
}

TEST_F (ProcessorTest, OverwritingGoesThroughTheFileThePresetWasReadFrom)
{
    writeUserFile ("mixed Case.vnprs", presetText ({ { "RoomSize", "20" } }));
    processor->retrieveUserPresets();
    ASSERT_TRUE (processor->setPreset ("MIXED CASE", true));

    automate (*processor, "RoomSize", 80.0f);
    ASSERT_TRUE (processor->overwritePreset (*processor->currentPreset).wasOk());
    EXPECT_EQ (filesIn (userFolder()).size(), 1) << "no upper-case twin is created";
    EXPECT_EQ (processor->currentPreset->name, "MIXED CASE");

    // Save-as with the same name in another case also replaces that file.
    automate (*processor, "RoomSize", 30.0f);
    ASSERT_TRUE (processor->writeUserPreset ("MIXED case").wasOk());
    ASSERT_EQ (filesIn (userFolder()).size(), 1);
    // A twin made outside the editor goes when the name is saved again.
    writeUserFile ("MIXED CASE.vnprs", presetText ({ { "RoomSize", "5" } }));
    processor->retrieveUserPresets();
    ASSERT_TRUE (processor->writeUserPreset ("Mixed Case").wasOk());
    ASSERT_EQ (filesIn (userFolder()).size(), 1);
    processor->retrieveUserPresets();
    auto* preset = processor->getPresetList (EffectProcessor::userList).at (0);
    EXPECT_NEAR (valuesOf (preset->state).at ("RoomSize"), 30.0, 1e-3);

    // Deleting also goes through the file it was read from.
    EXPECT_TRUE (processor->deleteUserPreset (*preset));
    EXPECT_EQ (filesIn (userFolder()).size(), 0);
    EXPECT_TRUE (processor->getPresetList (EffectProcessor::userList).empty());
    EXPECT_EQ (processor->currentPreset, nullptr);
}

TEST_F (ProcessorTest, SavingAFactoryPresetCreatesAUserPresetThatHidesIt)
{
    ASSERT_TRUE (processor->setPreset ("Abyss", true));
    automate (*processor, "DryWet", 33.0f);
    auto* factoryAbyss = processor->currentPreset;
    ASSERT_TRUE (processor->overwritePreset (*factoryAbyss).wasOk());

    EXPECT_TRUE (userFolder().getChildFile ("ABYSS.vnprs").existsAsFile());
    ASSERT_NE (processor->currentPreset, nullptr);
    EXPECT_TRUE (processor->currentPreset->isUser);
    EXPECT_EQ (processor->currentPreset->name, "ABYSS");

    // Deleting the user copy keeps the edited values; the factory preset is
    // listed again and nothing is current.
    ASSERT_TRUE (processor->deleteUserPreset (*processor->currentPreset));
    EXPECT_EQ (processor->currentPreset, nullptr);
    EXPECT_NEAR (hostValue (*processor, "DryWet"), 33.0f, 1e-3f);
    ASSERT_TRUE (processor->setPreset ("Abyss", true));
    EXPECT_FALSE (processor->currentPreset->isUser);
    EXPECT_NEAR (hostValue (*processor, "DryWet"), 55.0f, 1e-3f);
}

TEST_F (ProcessorTest, NamesThatAreNotLegalFileNamesAsTypedAreRefusedNotChanged)
{
    // Each would be stored under another name (or outside the folder).
    const juce::String names[] = { "../../escape", "a/b\\c", "~home", "line\nbreak", "what?*<>|\"", "..", "fade.",
                                   juce::String::repeatedString (juce::String::fromUTF8 ("\xc3\xa9"), 101) };
    for (const auto& name : names)
        EXPECT_EQ (processor->writeUserPreset (name).getErrorMessage(), PresetFileName::whyUnusable (name)) << name;
    EXPECT_EQ (allFilesIn (userFolder()).size(), 0);
    EXPECT_EQ (filesIn (userFolder().getParentDirectory()).size(), 0);
    EXPECT_FALSE (juce::File ("~/home.vnprs").exists());

    // Blanks around a name are the only change made unasked.
    ASSERT_TRUE (processor->writeUserPreset ("  spaced  ").wasOk());
    EXPECT_TRUE (userFolder().getChildFile ("spaced.vnprs").existsAsFile());
    ASSERT_TRUE (processor->writeUserPreset (juce::String::repeatedString (juce::String::fromUTF8 ("\xc3\xa9"), 100)).wasOk());
    EXPECT_EQ (filesIn (userFolder()).size(), 2);
}

TEST_F (ProcessorTest, EmptyNamesAndFailedWritesChangeNothing)
{
    ASSERT_TRUE (processor->setPreset ("Clear", true));
    auto* current = processor->currentPreset;

    for (const juce::String name : { "", "   ", "...", "/", "~" })
    {
        const auto result = processor->writeUserPreset (name);
        EXPECT_TRUE (result.failed()) << name;
    }
    EXPECT_EQ (processor->currentPreset, current);
    EXPECT_TRUE (processor->getPresetList (EffectProcessor::userList).empty());

    // A file where the maker's folder should be: the user folder cannot exist.
    clearUserFolder();
    const auto maker = userFolder().getParentDirectory();
    ASSERT_TRUE (maker.replaceWithText ("in the way"));
    EXPECT_TRUE (processor->writeUserPreset ("Cannot Write").failed());
    processor->retrieveUserPresets();
    EXPECT_EQ (processor->currentPreset, current) << "a factory preset stays current";
    EXPECT_TRUE (processor->getPresetList (EffectProcessor::userList).empty());
    EXPECT_TRUE (maker.deleteFile());
}

TEST_F (ProcessorTest, AFailedWriteLeavesNoTemporaryFileAndChangesNothing)
{
    writeUserFile ("Keep.vnprs", presetText ({ { "RoomSize", "20" } }));
    processor->retrieveUserPresets();
    ASSERT_TRUE (processor->setPreset ("KEEP", true));
    const auto before = userFolder().getChildFile ("Keep.vnprs").loadFileAsString();

    // A folder where the target should be makes the final rename fail.
    auto* keep = processor->currentPreset;
    ASSERT_TRUE (keep->file.deleteFile());
    ASSERT_TRUE (keep->file.createDirectory());
    automate (*processor, "RoomSize", 99.0f);
    EXPECT_TRUE (processor->overwritePreset (*keep).failed());
    EXPECT_EQ (processor->currentPreset, keep);
    EXPECT_EQ (allFilesIn (userFolder()).size(), 0) << "the temporary file is removed";

    ASSERT_TRUE (keep->file.deleteRecursively());
    ASSERT_TRUE (keep->file.replaceWithText (before));
    ASSERT_TRUE (processor->overwritePreset (*keep).wasOk());
    EXPECT_NEAR (valuesOf (processor->currentPreset->state).at ("RoomSize"), 99.0, 1e-3);
}

TEST_F (ProcessorTest, DeletingRefusesFactoryPresetsAndMissingFiles)
{
    ASSERT_TRUE (processor->setPreset ("Clear", true));
    auto* factoryClear = processor->currentPreset;
    EXPECT_FALSE (processor->deleteUserPreset (*factoryClear));
    EXPECT_NE (processor->currentPreset, nullptr);
    // Nor the user's preset of its name, whose file it names where case is ignored.
    ASSERT_TRUE (processor->writeUserPreset ("CLEAR").wasOk());
    EXPECT_FALSE (processor->deleteUserPreset (*factoryClear));
    EXPECT_TRUE (userFolder().getChildFile ("CLEAR.vnprs").existsAsFile());

    const Preset ghost ("GHOST", processor->defaultState, true, userFolder().getChildFile ("Ghost.vnprs"));
    EXPECT_FALSE (processor->deleteUserPreset (ghost));

    // A preset file outside the user folder is never deleted.
    const auto outside = userFolder().getParentDirectory().getChildFile ("Outside.vnprs");
    userFolder().createDirectory();
    ASSERT_TRUE (outside.replaceWithText ("x"));
    EXPECT_FALSE (processor->deleteUserPreset (Preset ("OUTSIDE", processor->defaultState, true, outside)));
    EXPECT_TRUE (outside.existsAsFile());
    EXPECT_NE (processor->currentPreset, nullptr);
}
