// The preset browser: its columns and buttons, what it reports and in which
// order, the rows it draws, and its save-as and delete dialogs.
#include <gtest/gtest.h>

#include "LookAndFeel/Palette.h"
#include "OverlayTestHelpers.h"
#include "UI/Overlays/Browser/PresetBrowser.h"

namespace
{
class RecordingBrowserDelegate : public PresetBrowserDelegate
{
public:
    void onPresetTypeSelected (int type) override { calls.push_back ("type " + std::to_string (type)); }
    void onPresetDirectorySelected (int directory) override { calls.push_back ("bank " + std::to_string (directory)); }
    void onPresetSelected (int row) override { calls.push_back ("preset " + std::to_string (row)); }
    void onSavePreset() override { calls.push_back ("save"); }
    void onSavePresetAs (juce::String name) override { calls.push_back ("saveAs " + name.toStdString()); }
    void onDeletePreset() override { calls.push_back ("delete"); }

    std::vector<std::string> calls;
};

struct BrowserRig
{
    explicit BrowserRig (bool banks = false) : browser (banks)
    {
        browser.setDelegate (&delegate);
        browser.setBounds (0, 0, 900, 300);
    }

    std::vector<Preset*> presets (std::initializer_list<const char*> names, bool isUser)
    {
        std::vector<Preset*> list;
        for (const auto* name : names)
        {
            owned.push_back (std::make_unique<Preset> (name, juce::ValueTree ("Parameters"), isUser));
            list.push_back (owned.back().get());
        }
        return list;
    }

    PresetBrowser browser;
    RecordingBrowserDelegate delegate;
    std::vector<std::unique_ptr<Preset>> owned;
};
} // namespace

TEST (PresetBrowser, StartsWithTheFixedRowsAndSaveAndDeleteOff)
{
    BrowserRig rig;
    auto& b = rig.browser;
    EXPECT_EQ (b.typesModel.elements, (std::vector<juce::String> { "USER", "FACTORY" }));
    EXPECT_EQ (b.presetsModel.getNumRows(), 6);
    EXPECT_EQ (b.directoriesModel.getNumRows(), 4);
    EXPECT_EQ (b.saveButton.getButtonText(), "SAVE PRESET");
    EXPECT_EQ (b.saveAsButton.getButtonText(), "SAVE PRESET AS...");
    EXPECT_EQ (b.deleteButton.getButtonText(), "DELETE PRESET");
    EXPECT_EQ (b.doneButton.getButtonText(), "DONE");
    EXPECT_FALSE (b.saveButton.isEnabled());
    EXPECT_FALSE (b.deleteButton.isEnabled());
    EXPECT_TRUE (b.saveAsButton.isEnabled());
    EXPECT_FALSE (b.isVisible());
    EXPECT_FALSE (b.confirmDialog.isVisible());
    EXPECT_FALSE (b.saveAsDialog.isVisible());
    EXPECT_EQ (b.directoriesList.getParentComponent(), nullptr);
    EXPECT_EQ (b.presetsList.getVerticalScrollBar().findColour (juce::ScrollBar::thumbColourId), Karvon::blue);
}

TEST (PresetBrowser, LaysOutTwoOrThreeEqualColumnsAboveFourButtons)
{
    BrowserRig two;
    // Panel (20, 10, 860, 280); lists 249 high; columns 430 wide.
    EXPECT_EQ (two.browser.panel, juce::Rectangle<int> (20, 10, 860, 280));
    EXPECT_EQ (two.browser.typesList.getBounds(), juce::Rectangle<int> (22, 10, 426, 249));
    EXPECT_EQ (two.browser.presetsList.getBounds(), juce::Rectangle<int> (452, 10, 426, 249));
    EXPECT_EQ (two.browser.saveButton.getBounds(), juce::Rectangle<int> (20, 263, 211, 23));
    EXPECT_EQ (two.browser.saveAsButton.getBounds(), juce::Rectangle<int> (235, 263, 211, 23));
    EXPECT_EQ (two.browser.deleteButton.getBounds(), juce::Rectangle<int> (450, 263, 211, 23));
    EXPECT_EQ (two.browser.doneButton.getBounds(), juce::Rectangle<int> (665, 263, 211, 23));
    EXPECT_EQ (two.browser.confirmDialog.getBounds(), two.browser.panel);
    EXPECT_EQ (two.browser.saveAsDialog.getBounds(), two.browser.panel);

    BrowserRig three (true);
    EXPECT_EQ (three.browser.directoriesList.getParentComponent(), &three.browser);
    EXPECT_EQ (three.browser.typesList.getBounds(), juce::Rectangle<int> (22, 10, 282, 249));
    EXPECT_EQ (three.browser.directoriesList.getBounds(), juce::Rectangle<int> (308, 10, 282, 249));
    EXPECT_EQ (three.browser.presetsList.getBounds(), juce::Rectangle<int> (594, 10, 282, 249));

    // Sizes smaller than the margins give empty parts, never negative ones.
    for (const auto& size : { juce::Point<int> (0, 0), juce::Point<int> (30, 15), juce::Point<int> (41, 400) })
    {
        three.browser.setBounds (0, 0, size.x, size.y);
        EXPECT_GE (three.browser.panel.getWidth(), 0);
        EXPECT_GE (three.browser.panel.getHeight(), 0);
        three.browser.setVisible (true);
        overlaytest::picture (three.browser);
    }
}

TEST (PresetBrowser, ChoosingATypeClearsThePresetSelectionWithoutReportingIt)
{
    BrowserRig rig;
    rig.browser.setPresets (rig.presets ({ "A", "B", "C" }, true));
    rig.browser.presetsList.selectRow (1);
    rig.browser.typesList.selectRow (1);
    // The cleared row is the browser's own doing, not a choice.
    EXPECT_EQ (rig.delegate.calls, (std::vector<std::string> { "preset 1", "type 1" }));
    EXPECT_EQ (rig.browser.presetsList.getSelectedRow(), -1);

    // Selections the owner makes only show its choice: nothing is reported.
    rig.delegate.calls.clear();
    rig.browser.setSelectedType (0);
    rig.browser.setSelectedPreset (2, rig.presets ({ "A", "B", "C" }, true)[2]);
    rig.browser.clearSelectedPreset();
    EXPECT_TRUE (rig.delegate.calls.empty());
    EXPECT_EQ (rig.browser.typesList.getSelectedRow(), 0);

    // A cleared type selection names no list and is not passed on.
    rig.browser.typesList.deselectAllRows();
    EXPECT_TRUE (rig.delegate.calls.empty());
}

TEST (PresetBrowser, BanksAreReportedOnlyWhenShown)
{
    BrowserRig without;
    without.browser.onItemSelected (&without.browser.directoriesModel, 2);
    EXPECT_TRUE (without.delegate.calls.empty());

    BrowserRig with (true);
    with.browser.directoriesList.selectRow (2);
    EXPECT_EQ (with.delegate.calls, (std::vector<std::string> { "bank 2" }));
}

TEST (PresetBrowser, SaveAndDeleteFollowWhetherTheSelectedPresetIsTheUsers)
{
    BrowserRig rig;
    auto user = rig.presets ({ "MINE" }, true);
    auto factory = rig.presets ({ "THEIRS" }, false);

    rig.browser.setPresets (user);
    rig.browser.setSelectedPreset (0, user[0]);
    EXPECT_TRUE (rig.browser.saveButton.isEnabled());
    EXPECT_TRUE (rig.browser.deleteButton.isEnabled());
    EXPECT_EQ (rig.browser.presetsModel.elements, (std::vector<juce::String> { "MINE" }));

    rig.browser.setPresets (factory);
    rig.browser.setSelectedPreset (0, factory[0]);
    EXPECT_FALSE (rig.browser.saveButton.isEnabled());
    EXPECT_FALSE (rig.browser.deleteButton.isEnabled());
}

TEST (PresetBrowser, ButtonsSaveOpenTheDialogsAndClose)
{
    BrowserRig rig;
    rig.browser.setVisible (true);
    rig.browser.saveButton.onClick();
    EXPECT_EQ (rig.delegate.calls, (std::vector<std::string> { "save" }));

    rig.browser.saveAsButton.onClick();
    EXPECT_TRUE (rig.browser.saveAsDialog.isVisible());
    rig.browser.saveAsDialog.cancelButton.onClick();
    EXPECT_FALSE (rig.browser.saveAsDialog.isVisible());

    rig.browser.deleteButton.onClick();
    EXPECT_TRUE (rig.browser.confirmDialog.isVisible());
    // A dialog lies above the lists and buttons.
    EXPECT_GT (rig.browser.getIndexOfChildComponent (&rig.browser.confirmDialog),
               rig.browser.getIndexOfChildComponent (&rig.browser.doneButton));
    rig.browser.confirmDialog.cancelButton.onClick();
    EXPECT_FALSE (rig.browser.confirmDialog.isVisible());

    rig.browser.doneButton.onClick();
    EXPECT_FALSE (rig.browser.isVisible());
}

TEST (PresetBrowser, ConfirmingADeletionReportsItAndKeepsTheRowUntilThePresetIsGone)
{
    BrowserRig rig;
    auto user = rig.presets ({ "ONE", "TWO" }, true);
    rig.browser.setPresets (user);
    rig.browser.setSelectedPreset (1, user[1]);
    rig.browser.deleteButton.onClick();
    rig.browser.confirmDialog.deleteButton.onClick();
    EXPECT_EQ (rig.delegate.calls, (std::vector<std::string> { "delete" }));
    EXPECT_EQ (rig.browser.presetsList.getSelectedRow(), 1);
    EXPECT_FALSE (rig.browser.confirmDialog.isVisible());

    // A failure told while the deletion runs keeps the dialog open with the
    // reason and only a button to close it.
    rig.browser.deleteButton.onClick();
    auto& confirm = rig.browser.confirmDialog;
    struct Failing : ConfirmDialogDelegate
    {
        explicit Failing (PresetBrowser& b) : browser (b) {}
        void onDelete() override { browser.showFailure ("Cannot delete ONE"); }
        PresetBrowser& browser;
    } failing (rig.browser);
    confirm.delegate = &failing;
    confirm.deleteButton.onClick();
    EXPECT_TRUE (confirm.isVisible());
    EXPECT_EQ (confirm.reasonLabel.getText(), "Cannot delete ONE");
    EXPECT_FALSE (confirm.deleteButton.isVisible());
    EXPECT_EQ (confirm.cancelButton.getButtonText(), "OK");
    confirm.cancelButton.onClick();
    // Asked again, it asks about deleting.
    rig.browser.deleteButton.onClick();
    EXPECT_TRUE (confirm.deleteButton.isVisible());
    EXPECT_EQ (confirm.cancelButton.getButtonText(), "CANCEL");
    EXPECT_FALSE (confirm.reasonLabel.isVisible());
}

TEST (PresetBrowser, APressOutsideThePanelCloses)
{
    BrowserRig rig;
    rig.browser.setVisible (true);
    rig.browser.mouseDown (overlaytest::pressAt (rig.browser, 20, 10)); // the panel's corner
    EXPECT_TRUE (rig.browser.isVisible());
    rig.browser.mouseDown (overlaytest::pressAt (rig.browser, 879, 289)); // its last pixel
    EXPECT_TRUE (rig.browser.isVisible());
    rig.browser.mouseDown (overlaytest::pressAt (rig.browser, 880, 100)); // right margin
    EXPECT_FALSE (rig.browser.isVisible());
    rig.browser.setVisible (true);
    rig.browser.mouseDown (overlaytest::pressAt (rig.browser, 100, 9)); // top margin
    EXPECT_FALSE (rig.browser.isVisible());
}

TEST (BrowserListBoxModel, DrawsAlternatingRowsAndTheSelectedOneBlue)
{
    BrowserListBoxModel model;
    model.setElements ({ "EVEN", "ODD" });

    const auto rowPixel = [&] (int row, bool selected, int x, int y) {
        juce::Image image (juce::Image::ARGB, 100, 22, true);
        juce::Graphics g (image);
        g.fillAll (juce::Colours::black);
        model.paintListBoxItem (row, g, 100, 22, selected);
        return image.getPixelAt (x, y);
    };

    const auto even = rowPixel (0, false, 3, 3);
    const auto odd = rowPixel (1, false, 3, 3);
    EXPECT_TRUE (overlaytest::near (even, Karvon::background.brighter (0.04f))) << even.toString();
    EXPECT_TRUE (overlaytest::near (odd, Karvon::background.brighter (0.08f))) << odd.toString();
    EXPECT_GT (odd.getBrightness(), even.getBrightness());
    EXPECT_TRUE (overlaytest::near (rowPixel (0, true, 3, 3), Karvon::blue));
    EXPECT_TRUE (overlaytest::near (rowPixel (1, true, 3, 3), Karvon::blue));
    // The one-pixel frame shows what lies under the row.
    EXPECT_EQ (rowPixel (1, true, 0, 10), juce::Colours::black);
    EXPECT_EQ (rowPixel (1, true, 99, 10), juce::Colours::black);
    // Rows beyond the elements draw nothing.
    for (int x = 0; x < 100; x += 7)
        EXPECT_EQ (rowPixel (2, true, x, 11), juce::Colours::black);
    EXPECT_EQ (rowPixel (-1, true, 50, 11), juce::Colours::black);
}

TEST (BrowserListBoxModel, ListsMorePresetsThanFitWithAScrollBar)
{
    BrowserRig rig;
    std::vector<Preset*> presets;
    for (int i = 0; i < 40; ++i)
    {
        rig.owned.push_back (std::make_unique<Preset> ("P" + juce::String (i), juce::ValueTree ("Parameters"), false));
        presets.push_back (rig.owned.back().get());
    }
    rig.browser.setPresets (presets);
    rig.browser.setVisible (true);
    EXPECT_EQ (rig.browser.presetsList.getModel()->getNumRows(), 40);
    EXPECT_TRUE (rig.browser.presetsList.getVerticalScrollBar().isVisible());
    rig.browser.setSelectedPreset (39, presets[39]);
    EXPECT_TRUE (rig.browser.presetsList.getRowPosition (39, true).getBottom()
                 <= rig.browser.presetsList.getViewport()->getViewHeight());
}

//==============================================================================
namespace
{
struct DialogRecorder : public ConfirmDialogDelegate, public SaveAsDialogDelegate
{
    void onDelete() override { calls.push_back ("delete"); }
    void onSavePresetAs (juce::String name) override { calls.push_back ("saveAs " + name.toStdString()); }
    std::vector<std::string> calls;
};
} // namespace

TEST (SaveAsDialog, SavesOnlyATypedNameAndKeepsIt)
{
    DialogRecorder recorder;
    SaveAsDialog dialog (&recorder);
    dialog.setBounds (0, 0, 860, 280);
    dialog.setVisible (true);
    EXPECT_FALSE (dialog.saveButton.isEnabled());

    dialog.saveAs(); // Return on an empty field
    EXPECT_TRUE (recorder.calls.empty());
    EXPECT_TRUE (dialog.isVisible());

    dialog.nameEditor.setText ("m", false);
    dialog.nameEditor.onTextChange();
    EXPECT_TRUE (dialog.saveButton.isEnabled());
    dialog.nameEditor.setText ("", false);
    dialog.nameEditor.onTextChange();
    EXPECT_FALSE (dialog.saveButton.isEnabled());

    dialog.nameEditor.setText ("my Sound", false);
    dialog.nameEditor.onTextChange();
    dialog.nameEditor.onReturnKey();
    EXPECT_EQ (recorder.calls, (std::vector<std::string> { "saveAs my Sound" }));
    EXPECT_FALSE (dialog.isVisible());

    // Reopened, it offers the previous name.
    dialog.setVisible (true);
    EXPECT_EQ (dialog.nameEditor.getText(), "my Sound");
    dialog.saveButton.onClick();
    EXPECT_EQ (recorder.calls.size(), 2u);
}

TEST (SaveAsDialog, WithoutADelegateStaysOpen)
{
    SaveAsDialog dialog (nullptr);
    dialog.setVisible (true);
    dialog.nameEditor.setText ("X", false);
    dialog.nameEditor.onTextChange();
    dialog.saveAs();
    EXPECT_TRUE (dialog.isVisible());

    ConfirmDialog confirm (nullptr);
    confirm.setVisible (true);
    confirm.deleteButton.onClick();
    EXPECT_TRUE (confirm.isVisible());
}

TEST (SaveAsDialog, LaysOutTheSharedFrame)
{
    DialogRecorder recorder;
    SaveAsDialog save (&recorder);
    ConfirmDialog confirm (&recorder);
    save.setBounds (0, 0, 860, 280);
    confirm.setBounds (0, 0, 860, 280);
    // Content (215, 98, 430, 84); label area 58.
    EXPECT_EQ (save.saveButton.getBounds(), juce::Rectangle<int> (215, 156, 213, 26));
    EXPECT_EQ (save.cancelButton.getBounds(), juce::Rectangle<int> (432, 156, 213, 26));
    EXPECT_EQ (save.titleLabel.getBounds(), juce::Rectangle<int> (215, 98, 430, 17));
    EXPECT_EQ (save.nameEditor.getBounds(), juce::Rectangle<int> (215, 124, 430, 26));
    EXPECT_EQ (confirm.deleteButton.getBounds(), juce::Rectangle<int> (215, 156, 213, 26));
    EXPECT_EQ (confirm.cancelButton.getBounds(), juce::Rectangle<int> (432, 156, 213, 26));
    EXPECT_EQ (confirm.messageLabel.getBounds(), juce::Rectangle<int> (215, 98, 430, 40));
    EXPECT_EQ (confirm.messageLabel.getText(), "Are you sure you want to delete this preset?");
}

TEST (SaveAsDialog, DimsEverythingAndDrawsAnOpaqueBox)
{
    DialogRecorder recorder;
    ConfirmDialog confirm (&recorder);
    confirm.setBounds (0, 0, 860, 280);
    confirm.setVisible (true);
    const auto image = overlaytest::picture (confirm);
    // Box (195, 73, 470, 134): opaque background; outside it the dimming.
    EXPECT_TRUE (overlaytest::near (image.getPixelAt (196, 74), Karvon::background));
    EXPECT_TRUE (overlaytest::near (image.getPixelAt (5, 5), overlaytest::overBlack (Karvon::background, 0.3f)));
    EXPECT_TRUE (overlaytest::near (image.getPixelAt (194, 74), overlaytest::overBlack (Karvon::background, 0.3f)));
    EXPECT_TRUE (overlaytest::near (image.getPixelAt (196, 72), overlaytest::overBlack (Karvon::background, 0.3f)));

    // Degenerate sizes draw without harm.
    for (const auto& size : { juce::Point<int> (0, 0), juce::Point<int> (3, 2), juce::Point<int> (7, 900) })
    {
        confirm.setBounds (0, 0, size.x, size.y);
        overlaytest::picture (confirm);
    }
}

//==============================================================================
// The browser inside the product's editor, on the real processor and user folder.
#include "Basics/Editor.h"
#include "UI/PluginHeader.h"

namespace
{
juce::File userPresetFolder()
{
    return juce::File::getSpecialLocation (juce::File::userDocumentsDirectory)
        .getChildFile ("KARVON")
        .getChildFile ("KARVON Vantrel");
}
} // namespace

TEST (PresetBrowserOnTheEditor, SaveAsThenDeleteThroughTheDialogs)
{
    userPresetFolder().deleteRecursively();
    auto processor = VantrelProcessor::create();
    std::unique_ptr<juce::AudioProcessorEditor> window (processor->createEditor());
    auto* editor = dynamic_cast<Editor*> (window.get());
    ASSERT_NE (editor, nullptr);
    auto& header = editor->getHeader();
    auto& browser = *header.presetBrowser;

    header.onPresetClick();
    ASSERT_TRUE (browser.isVisible());
    ASSERT_EQ (browser.getParentComponent(), editor);

    processor->parameterTree.getParameter ("RoomSize")->setValueNotifyingHost (0.9f);
    browser.saveAsButton.onClick();
    browser.saveAsDialog.nameEditor.setText ("my Sound", false);
    browser.saveAsDialog.nameEditor.onTextChange();
    browser.saveAsDialog.saveButton.onClick();

    EXPECT_TRUE (userPresetFolder().getChildFile ("my Sound.vnprs").existsAsFile());
    ASSERT_NE (processor->currentPreset, nullptr);
    EXPECT_EQ (processor->currentPreset->name, "MY SOUND");
    EXPECT_TRUE (processor->currentPreset->isUser);
    header.updateUI();
    EXPECT_EQ (header.presetButton.getButtonText(), "MY SOUND");
    EXPECT_EQ (browser.typesList.getSelectedRow(), EffectProcessor::userList);
    ASSERT_GE (browser.presetsList.getSelectedRow(), 0);
    EXPECT_EQ (browser.presetsModel.elements[static_cast<size_t> (browser.presetsList.getSelectedRow())], "MY SOUND");
    EXPECT_TRUE (browser.deleteButton.isEnabled());

    browser.deleteButton.onClick();
    browser.confirmDialog.deleteButton.onClick();
    EXPECT_FALSE (userPresetFolder().getChildFile ("my Sound.vnprs").existsAsFile());
    EXPECT_EQ (processor->currentPreset, nullptr);
    EXPECT_TRUE (browser.presetsModel.elements.empty());
    EXPECT_EQ (browser.presetsList.getSelectedRow(), -1);

    window.reset();
    userPresetFolder().deleteRecursively();
}
