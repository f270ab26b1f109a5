// The editor's preset actions on the real processor: stepping through the user
// and factory lists, saving, saving as, deleting, and selecting.
#include <gtest/gtest.h>

#include "EditorTestRig.h"

using namespace editortest;

namespace
{
class EditorPresetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder().deleteRecursively();
        processor = VantrelProcessor::create();
        editor = makeEditor (*processor, std::make_unique<TestDesign> (1));
    }
    void TearDown() override
    {
        editor.reset();
        processor.reset();
        folder().deleteRecursively();
    }

    static juce::File folder()
    {
        return juce::File::getSpecialLocation (juce::File::userDocumentsDirectory)
            .getChildFile ("KARVON")
            .getChildFile ("KARVON Vantrel");
    }

    PluginHeader& header() { return editor->getHeader(); }
    juce::String shownName()
    {
        editor->timerCallback();
        return header().presetButton.getButtonText();
    }
    juce::String currentName() const
    {
        return processor->currentPreset != nullptr ? processor->currentPreset->name : juce::String ("<none>");
    }
    int factorySize() const { return static_cast<int> (processor->presetLists[1].size()); }
    juce::String lastFactoryName() const { return processor->presetLists[1].back()->name; }

    void selectFactory (int index)
    {
        editor->onPresetTypeSelected (1);
        editor->onPresetSelected (index);
    }

    std::unique_ptr<VantrelProcessor> processor;
    std::unique_ptr<Editor> editor;
};
} // namespace

TEST_F (EditorPresetTest, ArrowsWrapAroundTheFactoryListWhenTheUserListIsEmpty)
{
    ASSERT_TRUE (processor->presetLists[0].empty());
    selectFactory (0);
    ASSERT_EQ (currentName(), "DEFAULT");

    editor->previousPreset();
    EXPECT_EQ (processor->currentPresetList, 1);
    EXPECT_EQ (processor->currentPresetIndex, factorySize() - 1);
    EXPECT_EQ (currentName(), lastFactoryName());
    EXPECT_EQ (shownName(), lastFactoryName());

    editor->nextPreset();
    EXPECT_EQ (processor->currentPresetList, 1);
    EXPECT_EQ (processor->currentPresetIndex, 0);
    EXPECT_EQ (currentName(), "DEFAULT");
    EXPECT_EQ (shownName(), "DEFAULT");

    // The values of the preset stepped to are applied.
    editor->nextPreset();
    const auto& second = *processor->presetLists[1][1];
    EXPECT_EQ (currentName(), second.name);
    const auto stored = static_cast<float> (second.state.getChildWithProperty ("id", "DryWet").getProperty ("value"));
    EXPECT_NEAR (hostValue (*processor, "DryWet"), stored, 0.01f);
}

TEST_F (EditorPresetTest, ArrowsRunThroughTheUserListThenTheFactoryList)
{
    setHostValue (*processor, "PitchA", 5.0f);
    ASSERT_TRUE (processor->writeUserPreset ("A").wasOk());
    setHostValue (*processor, "PitchA", -5.0f);
    ASSERT_TRUE (processor->writeUserPreset ("B").wasOk());
    editor->onPresetTypeSelected (1);
    editor->onPresetSelected (factorySize() - 1);
    ASSERT_EQ (currentName(), lastFactoryName());

    editor->nextPreset();
    EXPECT_EQ (processor->currentPresetList, 0);
    EXPECT_EQ (processor->currentPresetIndex, 0);
    EXPECT_EQ (currentName(), "A");
    EXPECT_FLOAT_EQ (hostValue (*processor, "PitchA"), 5.0f);
    EXPECT_EQ (shownName(), "A");
    EXPECT_EQ (header().presets, (std::vector<juce::String> { "A", "B" }));

    editor->nextPreset();
    EXPECT_EQ (currentName(), "B");
    EXPECT_FLOAT_EQ (hostValue (*processor, "PitchA"), -5.0f);
    editor->nextPreset();
    EXPECT_EQ (processor->currentPresetList, 1);
    EXPECT_EQ (currentName(), "DEFAULT");
    editor->previousPreset();
    EXPECT_EQ (currentName(), "B");

    editor->previousPreset();
    EXPECT_EQ (currentName(), "A");
    editor->previousPreset();
    EXPECT_EQ (processor->currentPresetList, 1);
    EXPECT_EQ (currentName(), lastFactoryName());
    EXPECT_EQ (shownName(), lastFactoryName());
}

TEST_F (EditorPresetTest, SaveAsWritesTheTypedNameAndMakesItCurrent)
{
    selectFactory (3);
    setHostValue (*processor, "DryWet", 33.0f);
    ASSERT_TRUE (shownName().startsWith ("*"));

    editor->savePresetAs ("my Sound");

    EXPECT_TRUE (folder().getChildFile ("my Sound.vnprs").existsAsFile());
    EXPECT_EQ (processor->currentPresetList, 0);
    EXPECT_EQ (currentName(), "MY SOUND");
    EXPECT_TRUE (processor->currentPreset->isUser);
    EXPECT_EQ (shownName(), "MY SOUND");
    EXPECT_EQ (header().presets, (std::vector<juce::String> { "MY SOUND" }));
    // The file holds the state as it was, edits included.
    const auto stored = static_cast<float> (
        processor->currentPreset->state.getChildWithProperty ("id", "DryWet").getProperty ("value"));
    EXPECT_NEAR (stored, 33.0f, 0.01f);
    EXPECT_NEAR (hostValue (*processor, "DryWet"), 33.0f, 0.01f);
}

TEST_F (EditorPresetTest, SaveAsThroughTheHeaderAndWithHostileNames)
{
    // The browser's dialog reaches the editor through the header.
    header().onSavePresetAs ("Night Drive");
    EXPECT_TRUE (folder().getChildFile ("Night Drive.vnprs").existsAsFile());
    EXPECT_EQ (shownName(), "NIGHT DRIVE");

    // A typed path never leaves the user folder.
    const auto documents = folder().getParentDirectory().getParentDirectory();
    editor->savePresetAs ("../../Escape");
    EXPECT_FALSE (documents.getChildFile ("Escape.vnprs").existsAsFile());
    EXPECT_FALSE (folder().getParentDirectory().getChildFile ("Escape.vnprs").existsAsFile());
    for (const auto& entry : juce::RangedDirectoryIterator (documents, true, "*.vnprs"))
        EXPECT_EQ (entry.getFile().getParentDirectory(), folder()) << entry.getFile().getFullPathName();

    // An empty name writes nothing and changes nothing.
    const auto before = processor->presetLists[0].size();
    const auto current = currentName();
    editor->savePresetAs ("");
    editor->savePresetAs ("   ");
    EXPECT_EQ (processor->presetLists[0].size(), before);
    EXPECT_EQ (currentName(), current);
}

TEST_F (EditorPresetTest, SavingAFactoryPresetMakesAUserPresetOfItsName)
{
    ASSERT_TRUE (processor->setPreset ("ABYSS", true));
    editor->onPresetTypeSelected (1);
    setHostValue (*processor, "RoomSize", 12.0f);
    ASSERT_EQ (shownName(), "*ABYSS");

    editor->savePreset (processor->currentPreset);

    EXPECT_TRUE (folder().getChildFile ("ABYSS.vnprs").existsAsFile());
    EXPECT_EQ (processor->currentPresetList, 0);
    ASSERT_NE (processor->currentPreset, nullptr);
    EXPECT_TRUE (processor->currentPreset->isUser);
    EXPECT_EQ (currentName(), "ABYSS");
    EXPECT_EQ (shownName(), "ABYSS (USER)");
    EXPECT_NEAR (hostValue (*processor, "RoomSize"), 12.0f, 0.01f);

    // From now on the name finds the user copy.
    editor->onPresetTypeSelected (1);
    editor->onPresetSelected (0);
    ASSERT_TRUE (processor->setPreset ("Abyss", true));
    EXPECT_TRUE (processor->currentPreset->isUser);
    EXPECT_NEAR (hostValue (*processor, "RoomSize"), 12.0f, 0.01f);

    // Saving over the current user preset rewrites its file.
    setHostValue (*processor, "RoomSize", 80.0f);
    header().onSavePreset();
    EXPECT_EQ (shownName(), "ABYSS (USER)");
    const auto text = folder().getChildFile ("ABYSS.vnprs").loadFileAsString();
    EXPECT_TRUE (text.contains ("80")) << text;
}

TEST_F (EditorPresetTest, ASaveThatCannotBeWrittenKeepsTheModifiedMark)
{
    ASSERT_TRUE (processor->setPreset ("ABYSS", true));
    editor->onPresetTypeSelected (1);
    setHostValue (*processor, "RoomSize", 12.0f);
    ASSERT_EQ (shownName(), "*ABYSS");

    // The user folder's place is taken by a file.
    folder().deleteRecursively();
    ASSERT_TRUE (folder().replaceWithText ("not a folder"));

    editor->savePreset (processor->currentPreset);
    EXPECT_EQ (shownName(), "*ABYSS");
    EXPECT_EQ (processor->currentPresetList, 1);
    EXPECT_FALSE (processor->currentPreset->isUser);

    editor->savePresetAs ("Lost");
    EXPECT_EQ (shownName(), "*ABYSS");
    EXPECT_EQ (currentName(), "ABYSS");
    folder().deleteFile();
}

TEST_F (EditorPresetTest, DeletingTheCurrentUserPresetLeavesNoneCurrent)
{
    ASSERT_TRUE (processor->setPreset ("ABYSS", true));
    editor->savePreset (processor->currentPreset);
    editor->savePresetAs ("Keep");
    editor->onPresetTypeSelected (0);
    editor->onPresetSelected (0);
    ASSERT_EQ (currentName(), "ABYSS");
    ASSERT_TRUE (processor->currentPreset->isUser);
    const float roomSize = hostValue (*processor, "RoomSize");

    header().onDeletePreset();

    EXPECT_FALSE (folder().getChildFile ("ABYSS.vnprs").existsAsFile());
    EXPECT_TRUE (folder().getChildFile ("Keep.vnprs").existsAsFile());
    EXPECT_EQ (processor->currentPreset, nullptr);
    EXPECT_EQ (header().presets, (std::vector<juce::String> { "KEEP" }));
    EXPECT_FLOAT_EQ (hostValue (*processor, "RoomSize"), roomSize);
    // The factory preset of that name is reachable again.
    ASSERT_TRUE (processor->setPreset ("ABYSS", true));
    EXPECT_FALSE (processor->currentPreset->isUser);

    // Factory presets and presets whose file is gone are not deleted.
    editor->deletePreset (processor->currentPreset);
    EXPECT_EQ (currentName(), "ABYSS");
    editor->deletePreset (nullptr);
    Preset ghost ("GHOST", processor->defaultState, true, folder().getChildFile ("GHOST.vnprs"));
    editor->deletePreset (&ghost);
    EXPECT_EQ (processor->presetLists[0].size(), 1u);
}

TEST_F (EditorPresetTest, ChoosingTheCurrentPresetAgainBringsItsValuesBackAndNoRowChangesNothing)
{
    selectFactory (2);
    const auto name = currentName();
    const auto stored = hostValue (*processor, "DuckingAttack");
    setHostValue (*processor, "DuckingAttack", 77.0f);
    ASSERT_EQ (shownName(), "*" + name);

    editor->onPresetSelected (-1);
    editor->onPresetSelected (100000);
    EXPECT_EQ (currentName(), name);
    EXPECT_EQ (shownName(), "*" + name);
    EXPECT_FLOAT_EQ (hostValue (*processor, "DuckingAttack"), 77.0f);

    // The edited preset chosen again: its stored values, no mark.
    editor->onPresetSelected (2);
    EXPECT_FLOAT_EQ (hostValue (*processor, "DuckingAttack"), stored);
    EXPECT_EQ (shownName(), name);

    // Unedited, choosing it again changes nothing (no write reaches the host).
    int writes = 0;
    struct Counter : juce::AudioProcessorParameter::Listener
    {
        explicit Counter (int& n) : n (n) {}
        void parameterValueChanged (int, float) override { ++n; }
        void parameterGestureChanged (int, bool) override {}
        int& n;
    } counter (writes);
    host (*processor, "DuckingAttack").addListener (&counter);
    editor->onPresetSelected (2);
    host (*processor, "DuckingAttack").removeListener (&counter);
    EXPECT_EQ (writes, 0);

    // Another row applies its values and clears the mark.
    editor->onPresetSelected (0);
    EXPECT_EQ (currentName(), "DEFAULT");
    EXPECT_EQ (shownName(), "DEFAULT");
}

TEST_F (EditorPresetTest, ChoosingAListShowsItWithoutChangingTheSelection)
{
    selectFactory (4);
    const auto index = processor->currentPresetIndex;
    auto* current = processor->currentPreset;
    editor->onPresetTypeSelected (0);
    // Only a view: the current preset and its list stay.
    EXPECT_EQ (processor->currentPresetList, 1);
    EXPECT_EQ (processor->currentPresetIndex, index);
    EXPECT_EQ (processor->currentPreset, current);
    EXPECT_EQ (editor->getViewedList(), 0);
    EXPECT_TRUE (header().presets.empty());
    editor->onPresetTypeSelected (1);
    EXPECT_EQ (header().presets.size(), static_cast<std::size_t> (factorySize()));

    // Lists that do not exist are ignored; the arrows step from the current
    // preset whatever list is viewed.
    editor->onPresetTypeSelected (7);
    editor->onPresetTypeSelected (-1);
    EXPECT_EQ (processor->currentPresetList, 1);
    editor->onPresetDirectorySelected (3);
    editor->onPresetTypeSelected (0);
    editor->nextPreset();
    EXPECT_EQ (processor->currentPresetList, 1);
    EXPECT_EQ (processor->currentPresetIndex, index + 1);
    editor->onPresetTypeSelected (0);
    editor->previousPreset();
    EXPECT_EQ (processor->currentPresetIndex, index);
    EXPECT_EQ (processor->currentPreset, current);
}
