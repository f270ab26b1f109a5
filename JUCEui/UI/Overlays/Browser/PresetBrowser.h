#pragma once

#include "LookAndFeel/PresetButtonLookAndFeel.h"
#include "Preset/Preset.h"
#include "UI/Controls/Buttons/LeftClickOnly.h"
#include "UI/Overlays/Browser/BrowserListBoxModel.h"
#include "UI/Overlays/Browser/BrowserListBoxModelDelegate.h"
#include "UI/Overlays/Browser/ConfirmDialog.h"
#include "UI/Overlays/Browser/ConfirmDialogDelegate.h"
#include "UI/Overlays/Browser/PresetBrowserDelegate.h"
#include "UI/Overlays/Browser/SaveAsDialog.h"
#include "UI/Overlays/Browser/SaveAsDialogDelegate.h"
#include "UI/Overlays/Overlay.h"

#include <functional>
#include <vector>

// The overlay that lists the preset types (and banks) and the presets of the
// chosen type, with save, save as, delete and done. Selections and actions go
// to its delegate, the header.
class PresetBrowser : public Overlay,
                      public BrowserListBoxModelDelegate,
                      public ConfirmDialogDelegate,
                      public SaveAsDialogDelegate
{
public:
    explicit PresetBrowser (bool showDirectories);
    ~PresetBrowser() override;

    void setDelegate (PresetBrowserDelegate* newDelegate) { delegate = newDelegate; }

    // Lists the presets' names in the given order. Only the names are kept.
    void setPresets (std::vector<Preset*> presets);
    void setDirectories (std::vector<juce::String> directories);
    void updatePresetsContent();

    // Selections made here only show what the owner chose: they are not
    // reported back like clicks (row 0 user, 1 factory for the types).
    void setSelectedType (int row);
    void setSelectedDirectory (int row);
    // Selects a preset row; SAVE and DELETE are offered only for a user preset.
    void setSelectedPreset (int row, Preset* preset);
    // No preset row selected. SAVE and DELETE act on the current preset, not
    // on the list viewed: they are offered when `current` (shown in the other
    // list, or none) is a user preset.
    void clearSelectedPreset (const Preset* current = nullptr);
    // Asks before a save replaces the user preset `presetName`; the name
    // dialog stays open behind the question. Confirming runs `replace`, and
    // the name dialog closes when it answers that it saved; cancelling leaves
    // the name dialog as it was.
    void askToReplace (const juce::String& presetName, std::function<bool()> replace);
    // Why a save, load or delete failed: in the name dialog while it is open
    // (its text as typed), else in the confirmation dialog's place.
    void showFailure (const juce::String& reason);

    void onItemSelected (BrowserListBoxModel* model, int row) override;
    void onItemClicked (BrowserListBoxModel* model, int row, const juce::MouseEvent& e) override;
    void onDelete() override;
    void onSavePresetAs (juce::String name) override;

    void resized() override;
    void visibilityChanged() override;

    PresetBrowserDelegate* delegate = nullptr;
    const bool showDirectories;

    juce::ListBox typesList;
    juce::ListBox directoriesList;
    juce::ListBox presetsList;
    BrowserListBoxModel typesModel;
    BrowserListBoxModel directoriesModel;
    BrowserListBoxModel presetsModel;
    LeftClickOnly<juce::TextButton> saveButton;
    LeftClickOnly<juce::TextButton> saveAsButton;
    LeftClickOnly<juce::TextButton> deleteButton;
    LeftClickOnly<juce::TextButton> doneButton;
    PresetButtonLookAndFeel lookAndFeel;
    ConfirmDialog confirmDialog;
    SaveAsDialog saveAsDialog;

private:
    // Runs a selection change made by the program, not by the user.
    template <typename Change>
    void quietly (Change&& change);
    // Puts back the selections last accepted (after a right click selected a row).
    void restoreSelections();

    bool selectingQuietly = false;
    int acceptedTypeRow = -1;
    int acceptedPresetRow = -1;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetBrowser)
};
