// The preset browser, the header and the overlays used with the mouse and the
// keyboard in a real window: viewing a tab applies nothing, the arrows step
// from the current preset, a deleted preset stays gone, a reopened project
// shows its edits, choosing the current preset again restores it, a refused
// name keeps the dialog open with its reason, overlays are exclusive and
// close with Escape, a right click works no button, Save As asks before it
// replaces a preset, after a delete the arrows go to its neighbours, keys act
// only on what has the focus; a user and a factory preset of one name stay
// apart, failed saves and deletes say why, and the browser shows what the
// folder holds.
// Pictures of each state go to the build tree's artefacts.
#include "EffectWindowTest.h"

#include "UI/Controls/Radio/RadioContainer.h"
#include "UI/Controls/Slider/SliderContainer.h"

#include <X11/keysym.h>

using namespace windowtest;
using P = VantrelParameterList;

namespace
{
juce::File userFolder()
{
    return juce::File::getSpecialLocation (juce::File::userDocumentsDirectory).getChildFile ("KARVON").getChildFile ("KARVON Vantrel");
}

class PresetWindowTest : public EffectWindowTest
{
protected:
    void SetUp() override
    {
        userFolder().deleteRecursively();
        EffectWindowTest::SetUp();
    }
    void TearDown() override { userFolder().deleteRecursively(); }

    bool openBrowser()
    {
        if (! browser().isVisible())
            input.clickCentre (header().presetButton);
        return waitUntil ([&] { return browser().isVisible(); });
    }
    bool clickRow (juce::ListBox& list, int row)
    {
        list.scrollToEnsureRowIsOnscreen (row);
        pump (5);
        return input.click (list, list.getRowPosition (row, true).getCentre());
    }
    bool viewTab (int type) { return clickRow (browser().typesList, type); }
    int rowOf (const juce::String& name)
    {
        const auto& names = browser().presetsModel.elements;
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i] == name)
                return static_cast<int> (i);
        return -1;
    }
    juce::String current() { return processor->currentPreset != nullptr ? processor->currentPreset->name : "(none)"; }
    // Types `name` into the open browser's Save As dialog and leaves it open.
    bool typeInSaveAs (const juce::String& name)
    {
        auto& dialog = browser().saveAsDialog;
        if (! input.clickCentre (browser().saveAsButton)
            || ! waitUntil ([&] { return dialog.nameEditor.hasKeyboardFocus (false); }))
            return false;
        input.type (name);
        return waitUntil ([&] { return dialog.nameEditor.getText() == name; });
    }
    // The project saved, then opened again in a fresh instance, as a host does.
    void reopenProject()
    {
        juce::MemoryBlock project;
        processor->getStateInformation (project);
        record.reset();
        window.reset();
        editor.reset();
        processor = VantrelProcessor::create();
        processor->setStateInformation (project.getData(), static_cast<int> (project.getSize()));
        processor->setRateAndBufferSizeDetails (48000.0, 512);
        processor->prepareToPlay (48000.0, 512);
        openEditor();
    }
    // What the browser's confirmation dialog says once it is open.
    juce::String confirmation()
    {
        auto& confirm = browser().confirmDialog;
        if (! waitUntil ([&] { return confirm.isVisible(); }))
            return "(closed)";
        return (confirm.reasonLabel.isVisible() ? confirm.reasonLabel : confirm.messageLabel).getText();
    }
    void closeConfirmation()
    {
        input.clickCentre (browser().confirmDialog.cancelButton);
        waitUntil ([&] { return ! browser().confirmDialog.isVisible(); });
    }
};
} // namespace

TEST_F (PresetWindowTest, ViewingATabAppliesNothingAndKeepsTheEdits)
{
    // A user copy of ABYSS with its own room size, current.
    set ("RoomSize", 12.0f);
    ASSERT_TRUE (processor->writeUserPreset ("Abyss").wasOk());
    openEditor();
    ASSERT_EQ (current(), "ABYSS");
    ASSERT_TRUE (processor->currentPreset->isUser);

    ASSERT_TRUE (openBrowser());
    ASSERT_TRUE (viewTab (EffectProcessor::factoryList));
    EXPECT_EQ (editor->getViewedList(), EffectProcessor::factoryList);
    EXPECT_FLOAT_EQ (value ("RoomSize"), 12.0f) << "the factory ABYSS was not applied";
    EXPECT_TRUE (processor->currentPreset->isUser);
    EXPECT_EQ (browser().presetsList.getSelectedRow(), -1) << "the factory ABYSS is another preset";
    saveArtefact (*editor, "browser-factory-tab");

    set ("RoomSize", 50.0f);
    ASSERT_TRUE (viewTab (EffectProcessor::userList));
    EXPECT_FLOAT_EQ (value ("RoomSize"), 50.0f) << "the edit survives";
    EXPECT_EQ (browser().presetsList.getSelectedRow(), rowOf ("ABYSS"));
    EXPECT_EQ (shownPresetAfterTick(), "*ABYSS (USER)");
    saveArtefact (*editor, "browser-user-tab");
}

TEST_F (PresetWindowTest, TheArrowsStepFromTheCurrentPresetWhateverTabWasViewed)
{
    ASSERT_TRUE (openBrowser());
    ASSERT_TRUE (viewTab (EffectProcessor::factoryList));
    ASSERT_TRUE (clickRow (browser().presetsList, 4));
    const auto fourth = processor->presetLists[1][4]->name;
    const auto fifth = processor->presetLists[1][5]->name;
    ASSERT_EQ (current(), fourth);

    ASSERT_TRUE (viewTab (EffectProcessor::userList)); // empty
    EXPECT_EQ (current(), fourth);
    ASSERT_TRUE (input.clickCentre (header().nextButton));
    EXPECT_EQ (current(), fifth);
    ASSERT_TRUE (viewTab (EffectProcessor::userList));
    ASSERT_TRUE (input.clickCentre (header().previousButton));
    EXPECT_EQ (current(), fourth);
    EXPECT_EQ (shownPresetAfterTick(), fourth);
    // The browser follows the arrows to the current preset's list and row.
    EXPECT_EQ (editor->getViewedList(), EffectProcessor::factoryList);
    EXPECT_EQ (browser().presetsList.getSelectedRow(), 4);
}

TEST_F (PresetWindowTest, ARightClickInTheBrowserChoosesNothing)
{
    ASSERT_TRUE (openBrowser());
    ASSERT_TRUE (viewTab (EffectProcessor::factoryList));
    ASSERT_TRUE (clickRow (browser().presetsList, 3));
    const auto chosen = current();
    const auto values = record->values();

    browser().presetsList.scrollToEnsureRowIsOnscreen (6);
    pump (5);
    ASSERT_TRUE (input.click (browser().presetsList, browser().presetsList.getRowPosition (6, true).getCentre(), FakeInput::right));
    ASSERT_TRUE (input.click (browser().typesList, browser().typesList.getRowPosition (0, true).getCentre(), FakeInput::right));
    EXPECT_EQ (current(), chosen);
    EXPECT_EQ (record->values(), values);
    EXPECT_EQ (browser().presetsList.getSelectedRow(), 3);
    EXPECT_EQ (browser().typesList.getSelectedRow(), EffectProcessor::factoryList);
}

TEST_F (PresetWindowTest, ADeletedPresetStaysGone)
{
    set ("RoomSize", 33.0f);
    ASSERT_TRUE (processor->writeUserPreset ("Mine").wasOk());
    openEditor();
    ASSERT_EQ (current(), "MINE");
    ASSERT_TRUE (openBrowser());
    ASSERT_TRUE (browser().deleteButton.isEnabled());

    ASSERT_TRUE (input.clickCentre (browser().deleteButton));
    ASSERT_TRUE (waitUntil ([&] { return browser().confirmDialog.isVisible(); }));
    ASSERT_TRUE (input.clickCentre (browser().confirmDialog.deleteButton));
    ASSERT_TRUE (waitUntil ([&] { return ! browser().confirmDialog.isVisible(); }));

    EXPECT_FALSE (userFolder().getChildFile ("MINE.vnprs").exists());
    EXPECT_EQ (processor->currentPreset, nullptr);
    EXPECT_EQ (shownPresetAfterTick(), PluginHeader::noPresetText);
    EXPECT_FALSE (browser().saveButton.isEnabled());
    EXPECT_FALSE (browser().deleteButton.isEnabled());
    saveArtefact (*editor, "after-delete");

    // SAVE cannot bring it back, and the next project state names no preset.
    input.clickCentre (browser().saveButton);
    EXPECT_FALSE (userFolder().getChildFile ("MINE.vnprs").exists());
    EXPECT_TRUE (processor->presetLists[0].empty());
    juce::MemoryBlock state;
    processor->getStateInformation (state);
    const auto xml = juce::AudioProcessor::getXmlFromBinary (state.getData(), static_cast<int> (state.getSize()));
    EXPECT_EQ (xml->getStringAttribute ("PresetName"), "");
    EXPECT_FLOAT_EQ (value ("RoomSize"), 33.0f);
}

TEST_F (PresetWindowTest, AReopenedProjectShowsItsEditsAndChoosingThePresetAgainRestoresIt)
{
    ASSERT_TRUE (processor->setPreset ("Golden Fifth", true));
    const float stored = value ("RoomSize");
    set ("RoomSize", stored > 50.0f ? 10.0f : 90.0f);
    const float edited = value ("RoomSize");
    reopenProject();
    EXPECT_FLOAT_EQ (value ("RoomSize"), edited);
    EXPECT_EQ (shownPresetAfterTick(), "*GOLDEN FIFTH");
    saveArtefact (*editor, "modified-after-restore");

    // Choosing it again in the browser brings the stored values back.
    ASSERT_TRUE (openBrowser());
    const int row = browser().presetsList.getSelectedRow();
    ASSERT_GE (row, 0);
    ASSERT_TRUE (clickRow (browser().presetsList, row));
    EXPECT_FLOAT_EQ (value ("RoomSize"), stored);
    EXPECT_EQ (shownPresetAfterTick(), "GOLDEN FIFTH");
    // Unedited, choosing it again writes nothing.
    record->clear();
    ASSERT_TRUE (clickRow (browser().presetsList, row));
    EXPECT_EQ (record->totalWrites(), 0);

    // A project saved with no preset current reopens showing none, even though
    // a factory preset is called DEFAULT.
    processor->currentPreset = nullptr;
    juce::MemoryBlock project;
    processor->getStateInformation (project);
    processor->setStateInformation (project.getData(), static_cast<int> (project.getSize()));
    EXPECT_EQ (shownPresetAfterTick(), PluginHeader::noPresetText);
}

TEST_F (PresetWindowTest, ARefusedNameKeepsTheDialogOpenWithItsReason)
{
    ASSERT_TRUE (processor->setPreset ("Clear", true));
    openEditor();
    ASSERT_TRUE (openBrowser());
    ASSERT_TRUE (input.clickCentre (browser().saveAsButton));
    auto& dialog = browser().saveAsDialog;
    ASSERT_TRUE (waitUntil ([&] { return dialog.nameEditor.hasKeyboardFocus (false); }));
    input.type ("///");
    ASSERT_TRUE (waitUntil ([&] { return dialog.nameEditor.getText() == "///"; }));
    ASSERT_TRUE (input.clickCentre (dialog.saveButton));

    EXPECT_TRUE (dialog.isVisible());
    EXPECT_TRUE (dialog.reasonLabel.isVisible());
    EXPECT_EQ (dialog.reasonLabel.getText(), "A preset name cannot use /");
    EXPECT_EQ (shownPresetAfterTick(), "CLEAR") << "the header shows only names that exist";
    EXPECT_EQ (current(), "CLEAR");
    EXPECT_TRUE (processor->presetLists[0].empty());
    saveArtefact (*editor, "save-refused");

    // An empty name: Return says what is missing.
    dialog.nameEditor.setText ({}, true);
    ASSERT_TRUE (input.clickCentre (dialog.nameEditor));
    input.key (XK_Return);
    EXPECT_TRUE (waitUntil ([&] { return dialog.reasonLabel.isVisible(); }));
    EXPECT_EQ (dialog.reasonLabel.getText(), "The preset needs a name");

    // A name that can be stored: saved, the dialog closes, the header shows it.
    input.type ("My Sound");
    ASSERT_TRUE (waitUntil ([&] { return dialog.nameEditor.getText() == "My Sound"; }));
    ASSERT_TRUE (input.clickCentre (dialog.saveButton));
    EXPECT_FALSE (dialog.isVisible());
    EXPECT_EQ (current(), "MY SOUND");
    EXPECT_EQ (shownPresetAfterTick(), "MY SOUND");
}

TEST_F (PresetWindowTest, OverlaysAreExclusiveAndEscapeClosesTheOpenOne)
{
    auto& mode = dynamic_cast<RadioContainer&> (container (P::PitchShifterModeA));
    ASSERT_TRUE (input.clickCentre (*mode.buttons[1], FakeInput::right));
    ASSERT_TRUE (waitUntil ([&] { return controlEditor().isVisible(); }));

    // The browser opened from the header replaces the control editor, and
    // its first click already reaches it.
    ASSERT_TRUE (openBrowser());
    EXPECT_FALSE (controlEditor().isVisible());
    ASSERT_TRUE (viewTab (EffectProcessor::userList));
    EXPECT_EQ (editor->getViewedList(), EffectProcessor::userList);
    input.key (XK_Escape);
    EXPECT_TRUE (waitUntil ([&] { return ! browser().isVisible(); }));

    // The about overlay, from the name in the header.
    ASSERT_TRUE (input.clickCentre (header().nameButton));
    ASSERT_TRUE (waitUntil ([&] { return header().aboutOverlay->isVisible(); }));
    input.key (XK_Escape);
    EXPECT_TRUE (waitUntil ([&] { return ! header().aboutOverlay->isVisible(); }));

    // A dialog inside the browser closes first, then the browser.
    ASSERT_TRUE (openBrowser());
    ASSERT_TRUE (input.clickCentre (browser().saveAsButton));
    ASSERT_TRUE (waitUntil ([&] { return browser().saveAsDialog.isVisible(); }));
    input.key (XK_Escape);
    EXPECT_TRUE (waitUntil ([&] { return ! browser().saveAsDialog.isVisible(); }));
    EXPECT_TRUE (browser().isVisible());
    input.key (XK_Escape);
    EXPECT_TRUE (waitUntil ([&] { return ! browser().isVisible(); }));
}

TEST_F (PresetWindowTest, SaveAsAsksBeforeReplacingAndTheArrowsKeepTheirPlaceAfterADelete)
{
    // Opened on SMOOTH VANTREL, far down the factory list: its row is in view.
    ASSERT_TRUE (openBrowser());
    const int smooth = browser().presetsList.getSelectedRow();
    ASSERT_GT (smooth, 15);
    EXPECT_TRUE (browser().presetsList.getLocalBounds().contains (browser().presetsList.getRowPosition (smooth, true).getCentre()));

    for (const char* name : { "A1", "B1", "C1", "Zeta" })
        ASSERT_TRUE (processor->writeUserPreset (name).wasOk());
    openEditor();
    ASSERT_EQ (current(), "ZETA");
    auto& list = browser().presetsList;

    // SAVE and DELETE act on the current preset, whichever list is viewed.
    ASSERT_TRUE (openBrowser());
    ASSERT_TRUE (viewTab (EffectProcessor::factoryList));
    EXPECT_TRUE (browser().saveButton.isEnabled());
    EXPECT_TRUE (browser().deleteButton.isEnabled());

    // A dialog closes with its browser (here replaced by the about overlay).
    auto& dialog = browser().saveAsDialog;
    auto& confirm = browser().confirmDialog;
    ASSERT_TRUE (input.clickCentre (browser().saveAsButton));
    ASSERT_TRUE (waitUntil ([&] { return dialog.isVisible(); }));
    ASSERT_TRUE (input.clickCentre (header().nameButton));
    ASSERT_TRUE (openBrowser());
    EXPECT_FALSE (dialog.isVisible());

    // Deleting the first, then a middle preset: the arrows go to the deleted
    // preset's neighbours.
    ASSERT_TRUE (viewTab (EffectProcessor::userList));
    const auto deleteRow = [&] (const char* name) {
        return clickRow (list, rowOf (name)) && current() == name && input.clickCentre (browser().deleteButton)
               && waitUntil ([&] { return confirm.isVisible(); }) && input.clickCentre (confirm.deleteButton)
               && processor->currentPreset == nullptr;
    };
    ASSERT_TRUE (deleteRow ("A1"));
    ASSERT_TRUE (input.clickCentre (header().nextButton));
    EXPECT_EQ (current(), "B1");
    ASSERT_TRUE (deleteRow ("C1"));
    ASSERT_TRUE (input.clickCentre (header().previousButton));
    EXPECT_EQ (current(), "B1");

    // Save As over ZETA in another case asks, naming it; CANCEL changes nothing.
    ASSERT_TRUE (clickRow (list, rowOf ("ZETA")));
    const auto zeta = userFolder().getChildFile ("Zeta.vnprs");
    const auto stored = zeta.loadFileAsString();
    set ("RoomSize", 77.0f);
    ASSERT_TRUE (input.clickCentre (browser().saveAsButton));
    ASSERT_TRUE (waitUntil ([&] { return dialog.nameEditor.hasKeyboardFocus (false); }));
    input.type ("zeta");
    ASSERT_TRUE (waitUntil ([&] { return dialog.nameEditor.getText() == "zeta"; }));
    ASSERT_TRUE (input.clickCentre (dialog.saveButton));
    ASSERT_TRUE (waitUntil ([&] { return confirm.isVisible(); }));
    EXPECT_TRUE (confirm.messageLabel.getText().contains ("ZETA"));
    saveArtefact (*editor, "save-as-replace-question");
    ASSERT_TRUE (input.clickCentre (confirm.cancelButton));
    EXPECT_TRUE (waitUntil ([&] { return ! confirm.isVisible(); }));
    EXPECT_TRUE (dialog.isVisible());
    EXPECT_EQ (dialog.nameEditor.getText(), "zeta");
    EXPECT_EQ (zeta.loadFileAsString(), stored);

    // Confirmed: ZETA's one file holds the new values.
    ASSERT_TRUE (input.clickCentre (dialog.saveButton));
    ASSERT_TRUE (waitUntil ([&] { return confirm.isVisible(); }));
    ASSERT_TRUE (input.clickCentre (confirm.deleteButton));
    EXPECT_TRUE (waitUntil ([&] { return ! dialog.isVisible(); }));
    const auto files = userFolder().findChildFiles (juce::File::findFiles, false, "*.vnprs");
    EXPECT_EQ (files.size(), 2);
    EXPECT_NE (zeta.loadFileAsString(), stored);
    EXPECT_EQ (current(), "ZETA");
    EXPECT_EQ (shownPresetAfterTick(), "ZETA");
    // The confirmation asks about deleting again.
    ASSERT_TRUE (input.clickCentre (browser().deleteButton));
    ASSERT_TRUE (waitUntil ([&] { return confirm.isVisible(); }));
    EXPECT_EQ (confirm.deleteButton.getButtonText(), "DELETE");
}

// Only the left button works a button: a right click on any button of the
// header, the browser, its dialogs and the overlays clicks nothing (it
// neither overwrites nor deletes a preset, nor opens anything).
TEST_F (PresetWindowTest, ARightClickWorksNoButton)
{
    set ("RoomSize", 20.0f);
    ASSERT_TRUE (processor->writeUserPreset ("RC").wasOk());
    openEditor();
    const auto file = userFolder().getChildFile ("RC.vnprs");
    const auto stored = file.loadFileAsString();
    set ("RoomSize", 70.0f);

    struct : juce::Button::Listener
    {
        void buttonClicked (juce::Button* b) override { clicked.add (b->getButtonText().isNotEmpty() ? b->getButtonText() : "a picture"); }
        juce::StringArray clicked;
    } clicks;
    const auto clickedSinceLastAsked = [&] { return std::exchange (clicks.clicked, {}).joinIntoString (", "); };
    // Every button showing in `place`, but not those of the controls (whose
    // right clicks are the control's own).
    std::function<void (juce::Component&)> rightClickEveryButton = [&] (juce::Component& place) {
        for (auto* child : place.getChildren())
            if (dynamic_cast<UIContainer*> (child) == nullptr)
                rightClickEveryButton (*child);
        if (auto* button = dynamic_cast<juce::Button*> (&place); button != nullptr && button->isShowing())
        {
            button->addListener (&clicks);
            pump (juce::MouseEvent::getDoubleClickTimeout() + 100);
            EXPECT_TRUE (input.clickCentre (*button, FakeInput::right));
            button->removeListener (&clicks);
        }
    };

    rightClickEveryButton (header());
    EXPECT_EQ (clickedSinceLastAsked(), "");
    // Each place with buttons, opened with the left button; Escape closes
    // the dialogs and the about box, the browser stays under its dialogs.
    const std::pair<juce::Button*, juce::Component*> places[] = {
        { &header().presetButton, &browser() },
        { &browser().deleteButton, &browser().confirmDialog },
        { &browser().saveAsButton, &browser().saveAsDialog },
        { &header().nameButton, header().aboutOverlay.get() },
    };
    for (auto [opener, place] : places)
    {
        ASSERT_TRUE (input.clickCentre (*opener));
        ASSERT_TRUE (waitUntil ([&] { return place->isVisible(); }));
        rightClickEveryButton (*place);
        EXPECT_EQ (clickedSinceLastAsked(), "");
        if (place != &browser())
            input.key (XK_Escape);
    }
    ASSERT_TRUE (input.clickCentre (*dynamic_cast<RadioContainer&> (container (P::PitchShifterModeA)).buttons[0], FakeInput::right));
    ASSERT_TRUE (waitUntil ([&] { return controlEditor().isVisible(); }));
    rightClickEveryButton (controlEditor());
    EXPECT_EQ (clickedSinceLastAsked(), "");
    EXPECT_EQ (file.loadFileAsString(), stored);
    EXPECT_EQ (current(), "RC");
    EXPECT_FLOAT_EQ (value ("RoomSize"), 70.0f);
}

// The factory STARLIGHT and the user's own STARLIGHT are two presets: the
// header says which one is current, a reopened project comes back on the one
// it was saved with, and saving the factory one asks before it replaces the
// user's file.
TEST_F (PresetWindowTest, TwoPresetsOfOneNameStayApartAcrossAReopenedProject)
{
    set ("RoomSize", 12.0f);
    ASSERT_TRUE (openBrowser());
    ASSERT_TRUE (typeInSaveAs ("Starlight"));
    ASSERT_TRUE (input.clickCentre (browser().saveAsDialog.saveButton));
    ASSERT_EQ (current(), "STARLIGHT");
    const auto userFile = userFolder().getChildFile ("Starlight.vnprs");
    const auto users = userFile.loadFileAsString();
    EXPECT_EQ (shownPresetAfterTick(), "STARLIGHT (USER)");

    ASSERT_TRUE (viewTab (EffectProcessor::factoryList));
    ASSERT_TRUE (clickRow (browser().presetsList, rowOf ("STARLIGHT")));
    EXPECT_FLOAT_EQ (value ("RoomSize"), 80.0f);
    EXPECT_EQ (shownPresetAfterTick(), "STARLIGHT (FACTORY)");

    reopenProject();
    EXPECT_FLOAT_EQ (value ("RoomSize"), 80.0f);
    EXPECT_EQ (shownPresetAfterTick(), "STARLIGHT (FACTORY)");
    ASSERT_TRUE (openBrowser());
    EXPECT_EQ (browser().typesList.getSelectedRow(), EffectProcessor::factoryList);
    EXPECT_EQ (browser().presetsList.getSelectedRow(), rowOf ("STARLIGHT"));
    EXPECT_FALSE (browser().saveButton.isEnabled());
    saveArtefact (*editor, "factory-namesake-reopened");

    // Saving the factory STARLIGHT would replace the user's: asked first.
    set ("RoomSize", 40.0f);
    input.clickCentre (browser().saveButton);
    header().onSavePreset();
    EXPECT_EQ (confirmation(), "Replace the preset STARLIGHT?");
    closeConfirmation();
    EXPECT_EQ (userFile.loadFileAsString(), users);
    EXPECT_EQ (shownPresetAfterTick(), "*STARLIGHT (FACTORY)");

    // The user's one, from its own tab.
    ASSERT_TRUE (viewTab (EffectProcessor::userList));
    ASSERT_TRUE (clickRow (browser().presetsList, rowOf ("STARLIGHT")));
    EXPECT_FLOAT_EQ (value ("RoomSize"), 12.0f);
    EXPECT_EQ (shownPresetAfterTick(), "STARLIGHT (USER)");
    EXPECT_TRUE (browser().saveButton.isEnabled());
    reopenProject();
    EXPECT_EQ (shownPresetAfterTick(), "STARLIGHT (USER)");
}

// A save or delete that fails says why in the browser, keeps what was typed,
// and leaves the header, the selection and the files as they are on disk.
// Tests run as root, which no permission bit stops: a file in the folder's
// place, and a folder in the preset file's place, make the writes fail.
TEST_F (PresetWindowTest, AFailedSaveOrDeleteSaysWhyAndLosesNothing)
{
    ASSERT_TRUE (processor->writeUserPreset ("Mine").wasOk());
    openEditor();
    const auto file = userFolder().getChildFile ("Mine.vnprs");
    const auto stored = file.loadFileAsString();
    ASSERT_TRUE (openBrowser());
    ASSERT_TRUE (typeInSaveAs ("Mine"));
    ASSERT_TRUE (input.clickCentre (browser().saveAsDialog.cancelButton));
    set ("InputGain", -6.0f);

    const auto aside = userFolder().getSiblingFile ("aside");
    ASSERT_TRUE (userFolder().moveFileTo (aside));
    ASSERT_TRUE (userFolder().replaceWithText ("in the way"));
    ASSERT_TRUE (input.clickCentre (browser().saveButton));
    const auto why = confirmation();
    EXPECT_TRUE (why.contains ("MINE") && why.contains ("Not a directory")) << why;
    EXPECT_FALSE (browser().saveAsDialog.isVisible());
    EXPECT_EQ (browser().saveAsDialog.nameEditor.getText(), "Mine");
    EXPECT_EQ (shownPresetAfterTick(), "*MINE");
    saveArtefact (*editor, "save-failed");
    closeConfirmation();
    // Save As over MINE, confirmed: the dialog stays open with the reason.
    ASSERT_TRUE (input.clickCentre (browser().saveAsButton));
    ASSERT_TRUE (waitUntil ([&] { return browser().saveAsDialog.isVisible(); }));
    ASSERT_TRUE (input.clickCentre (browser().saveAsDialog.saveButton));
    ASSERT_TRUE (waitUntil ([&] { return browser().confirmDialog.isVisible(); }));
    ASSERT_TRUE (input.clickCentre (browser().confirmDialog.deleteButton));
    EXPECT_TRUE (browser().saveAsDialog.isVisible());
    EXPECT_EQ (browser().saveAsDialog.reasonLabel.getText(), "Cannot create the user preset folder");
    input.clickCentre (browser().saveAsDialog.cancelButton);
    ASSERT_TRUE (userFolder().deleteFile() && aside.moveFileTo (userFolder()));
    EXPECT_EQ (file.loadFileAsString(), stored);

    ASSERT_TRUE (file.deleteFile() && file.getChildFile ("inside").create().wasOk());
    ASSERT_TRUE (input.clickCentre (browser().deleteButton));
    ASSERT_TRUE (waitUntil ([&] { return browser().confirmDialog.isVisible(); }));
    ASSERT_TRUE (input.clickCentre (browser().confirmDialog.deleteButton));
    const auto refusal = confirmation();
    EXPECT_TRUE (refusal.contains ("Mine.vnprs") && refusal.contains ("Is a directory")) << refusal;
    EXPECT_EQ (browser().presetsList.getSelectedRow(), rowOf ("MINE"));
    EXPECT_EQ (shownPresetAfterTick(), "*MINE");
    EXPECT_EQ (current(), "MINE");
    saveArtefact (*editor, "delete-failed");
    closeConfirmation();
    EXPECT_TRUE (file.isDirectory());
}

// The browser lists what the folder holds each time it opens, a preset loads
// the values its file holds now, a preset whose file went says so, and a name
// that would have to change to be saved is refused.
TEST_F (PresetWindowTest, TheBrowserShowsWhatIsOnDiskAndPresetsLoadFromTheirFiles)
{
    for (const char* name : { "Gone", "Mine", "Other" })
        ASSERT_TRUE (processor->writeUserPreset (name).wasOk());
    openEditor();
    ASSERT_EQ (current(), "OTHER");
    ASSERT_TRUE (userFolder().getChildFile ("Gone.vnprs").deleteFile());
    ASSERT_TRUE (userFolder().getChildFile ("Other.vnprs").copyFileTo (userFolder().getChildFile ("Added.vnprs")));
    ASSERT_TRUE (userFolder().getChildFile ("Mine.vnprs").replaceWithText (
        "<plist version=\"1.0\"><dict><key>InputGain</key><real>-20</real></dict></plist>"));

    ASSERT_TRUE (openBrowser());
    EXPECT_EQ (browser().presetsModel.elements, (std::vector<juce::String> { "ADDED", "MINE", "OTHER" }));
    ASSERT_TRUE (clickRow (browser().presetsList, rowOf ("MINE")));
    EXPECT_FLOAT_EQ (value ("InputGain"), -20.0f);
    EXPECT_EQ (shownPresetAfterTick(), "MINE");

    // Removed while the browser lists it: choosing or deleting it says so.
    ASSERT_TRUE (userFolder().getChildFile ("Other.vnprs").deleteFile());
    ASSERT_TRUE (clickRow (browser().presetsList, rowOf ("OTHER")));
    EXPECT_EQ (confirmation(), "The preset OTHER is no longer in the user folder");
    closeConfirmation();
    EXPECT_EQ (browser().presetsModel.elements, (std::vector<juce::String> { "ADDED", "MINE" }));
    EXPECT_EQ (current(), "MINE");
    EXPECT_EQ (browser().presetsList.getSelectedRow(), rowOf ("MINE"));

    ASSERT_TRUE (userFolder().getChildFile ("Mine.vnprs").deleteFile());
    ASSERT_TRUE (input.clickCentre (browser().deleteButton));
    ASSERT_TRUE (waitUntil ([&] { return browser().confirmDialog.isVisible(); }));
    ASSERT_TRUE (input.clickCentre (browser().confirmDialog.deleteButton));
    EXPECT_EQ (confirmation(), "The preset MINE is no longer in the user folder");
    closeConfirmation();
    EXPECT_EQ (browser().presetsModel.elements, (std::vector<juce::String> { "ADDED" }));
    // Changed while the browser lists it: chosen, it loads what it holds now.
    ASSERT_TRUE (userFolder().getChildFile ("Added.vnprs").replaceWithText (
        "<plist version=\"1.0\"><dict><key>InputGain</key><real>-10</real></dict></plist>"));
    ASSERT_TRUE (clickRow (browser().presetsList, rowOf ("ADDED")));
    EXPECT_FLOAT_EQ (value ("InputGain"), -10.0f);

    // "AC/DC Live" would be stored as "ACDC Live": refused, nothing written.
    ASSERT_TRUE (typeInSaveAs ("AC/DC Live"));
    ASSERT_TRUE (input.clickCentre (browser().saveAsDialog.saveButton));
    EXPECT_TRUE (browser().saveAsDialog.isVisible());
    EXPECT_EQ (browser().saveAsDialog.reasonLabel.getText(), "A preset name cannot use /");
    EXPECT_EQ (userFolder().findChildFiles (juce::File::findFiles, false).size(), 1);
}

// Keys act only on what visibly has the focus: no button takes it (a right
// click least of all), Return and Escape do what the open overlay or dialog
// offers and nothing when none is open, and the about box's link answers on
// its text only.
TEST_F (PresetWindowTest, KeysActOnlyOnWhatHasTheFocus)
{
    ASSERT_TRUE (processor->setPreset ("Clear", true));
    openEditor();
    auto& about = *header().aboutOverlay;
    auto& gain = dynamic_cast<SliderContainer&> (container (P::InputGain));
    const auto rightClick = [&] (juce::Component& target) {
        pump (juce::MouseEvent::getDoubleClickTimeout() + 100);
        return input.clickCentre (target, FakeInput::right);
    };

    input.key (XK_Return);
    EXPECT_FALSE (about.isVisible()) << "Return in the window just opened";

    // The control editor's Return sets the value; the next ones do nothing.
    ASSERT_TRUE (rightClick (*gain.slider));
    ASSERT_TRUE (waitUntil ([&] { return controlEditor().isVisible(); }));
    input.type ("3");
    input.key (XK_Return);
    EXPECT_FLOAT_EQ (value ("InputGain"), 3.0f);
    input.key (XK_Return);
    EXPECT_FALSE (about.isVisible()) << "Return after the control editor opened the about box";
    input.key (XK_Return);
    EXPECT_EQ (openedPages.size(), 0) << "Return followed the about box's link";
    input.key (XK_Escape);

    // Escape on the control editor, then Return.
    ASSERT_TRUE (rightClick (*gain.slider));
    ASSERT_TRUE (waitUntil ([&] { return controlEditor().isVisible(); }));
    input.key (XK_Escape);
    ASSERT_TRUE (waitUntil ([&] { return ! controlEditor().isVisible(); }));
    EXPECT_TRUE (editor->hasKeyboardFocus (false)) << "keys would reach the window around the editor";
    input.key (XK_Return);
    EXPECT_FALSE (about.isVisible()) << "Return after Escape opened the about box";
    input.key (XK_Escape);

    // A right click on the arrow gives it no focus: Return keeps the preset and its edit.
    set ("RoomSize", 33.0f);
    ASSERT_TRUE (rightClick (header().nextButton));
    input.key (XK_Return);
    EXPECT_EQ (current(), "CLEAR");
    EXPECT_FLOAT_EQ (value ("RoomSize"), 33.0f);

    // The about box's link answers on its text, not along the panel's bottom strip.
    ASSERT_TRUE (input.clickCentre (header().nameButton));
    ASSERT_TRUE (waitUntil ([&] { return about.isVisible(); }));
    ASSERT_TRUE (input.click (*editor, { 60, 305 }));
    EXPECT_EQ (openedPages.size(), 0) << "the strip beside the link's text followed it";
    input.key (XK_Return);
    EXPECT_TRUE (about.isVisible());
    EXPECT_EQ (openedPages.size(), 0);
    ASSERT_TRUE (input.clickCentre (about.linkButton));
    EXPECT_EQ (openedPages.joinIntoString (" "), "https://karvon.example/");
    input.key (XK_Escape);
    ASSERT_TRUE (waitUntil ([&] { return ! about.isVisible(); }));

    // Save As: a right click on CANCEL leaves the name's field with the
    // keyboard, and Return saves.
    ASSERT_TRUE (openBrowser());
    ASSERT_TRUE (input.clickCentre (browser().saveAsButton));
    auto& dialog = browser().saveAsDialog;
    ASSERT_TRUE (waitUntil ([&] { return dialog.nameEditor.hasKeyboardFocus (false); }));
    input.type ("Beta");
    ASSERT_TRUE (rightClick (dialog.cancelButton));
    input.key (XK_Return);
    EXPECT_EQ (current(), "BETA") << "Return after a right click on CANCEL saved nothing";
    const auto beta = userFolder().getChildFile ("Beta.vnprs");
    ASSERT_TRUE (beta.existsAsFile());

    // Saved again under that name: the question takes the keyboard, Escape
    // puts it back to the name, and Return there asks again and replaces.
    const auto stored = beta.loadFileAsString();
    set ("RoomSize", 44.0f);
    auto& confirm = browser().confirmDialog;
    ASSERT_TRUE (input.clickCentre (browser().saveAsButton));
    ASSERT_TRUE (waitUntil ([&] { return dialog.nameEditor.hasKeyboardFocus (false); }));
    input.key (XK_Return);
    ASSERT_TRUE (waitUntil ([&] { return confirm.isVisible(); }));
    input.key (XK_Escape);
    ASSERT_TRUE (waitUntil ([&] { return ! confirm.isVisible() && dialog.nameEditor.hasKeyboardFocus (false); }));
    EXPECT_EQ (beta.loadFileAsString(), stored);
    input.key (XK_Return);
    ASSERT_TRUE (waitUntil ([&] { return confirm.isVisible(); }));
    input.key (XK_Return);
    EXPECT_TRUE (waitUntil ([&] { return ! dialog.isVisible(); }));
    EXPECT_NE (beta.loadFileAsString(), stored);
    EXPECT_EQ (current(), "BETA");
}
