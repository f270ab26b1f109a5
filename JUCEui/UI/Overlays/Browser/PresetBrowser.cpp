#include "UI/Overlays/Browser/PresetBrowser.h"

#include "LookAndFeel/Palette.h"

#include <utility>

namespace
{
// The two lists every browser offers, in row order.
constexpr int numberOfTypes = 2;
} // namespace

template <typename Change>
void PresetBrowser::quietly (Change&& change)
{
    const auto previous = std::exchange (selectingQuietly, true);
    change();
    selectingQuietly = previous;
}

PresetBrowser::PresetBrowser (bool withDirectories)
    : showDirectories (withDirectories),
      confirmDialog (this),
      saveAsDialog (this)
{
    std::vector<juce::ListBox*> shownLists { &typesList };
    if (showDirectories)
        shownLists.push_back (&directoriesList);
    shownLists.push_back (&presetsList);
    for (auto* list : shownLists)
    {
        addAndMakeVisible (*list);
        list->setColour (juce::ListBox::backgroundColourId, Karvon::background.withAlpha (0.7f));
        list->getVerticalScrollBar().setColour (juce::ScrollBar::thumbColourId, Karvon::blue);
    }

    typesModel.setDelegate (this);
    directoriesModel.setDelegate (this);
    presetsModel.setDelegate (this);
    typesModel.setElements ({ "USER", "FACTORY" });
    directoriesModel.setElements ({ "BANK A", "BANK B", "BANK C", "BANK D" });
    presetsModel.setElements ({ "PRESET 1", "PRESET 2", "PRESET 3", "PRESET 4", "PRESET 5", "PRESET 6" });
    typesList.setModel (&typesModel);
    directoriesList.setModel (&directoriesModel);
    presetsList.setModel (&presetsModel);

    for (auto* button : { &saveButton, &saveAsButton, &deleteButton, &doneButton })
    {
        addAndMakeVisible (*button);
        button->setLookAndFeel (&lookAndFeel);
        button->setColour (juce::TextButton::buttonColourId, Karvon::background.brighter (0.04f));
        button->setColour (juce::TextButton::textColourOnId, Karvon::blue);
        button->setColour (juce::TextButton::buttonOnColourId, Karvon::background);
    }
    deleteButton.setColour (juce::TextButton::textColourOnId, Karvon::red);
    doneButton.setColour (juce::TextButton::textColourOnId, juce::Colours::grey);
    saveButton.setButtonText ("SAVE PRESET");
    saveAsButton.setButtonText ("SAVE PRESET AS...");
    deleteButton.setButtonText ("DELETE PRESET");
    doneButton.setButtonText ("DONE");

    saveButton.onClick = [this] {
        if (delegate != nullptr)
            delegate->onSavePreset();
    };
    saveAsButton.onClick = [this] { saveAsDialog.setVisible (true); };
    deleteButton.onClick = [this] { confirmDialog.setVisible (true); };
    doneButton.onClick = [this] { setVisible (false); };

    saveButton.setEnabled (false);
    deleteButton.setEnabled (false);

    addChildComponent (confirmDialog);
    addChildComponent (saveAsDialog);
}

PresetBrowser::~PresetBrowser()
{
    for (auto* button : { &saveButton, &saveAsButton, &deleteButton, &doneButton })
        button->setLookAndFeel (nullptr);
    // The lists must not call back into models that are destroyed before them.
    typesList.setModel (nullptr);
    directoriesList.setModel (nullptr);
    presetsList.setModel (nullptr);
}

void PresetBrowser::setPresets (std::vector<Preset*> presets)
{
    std::vector<juce::String> names;
    names.reserve (presets.size());
    for (const auto* preset : presets)
        if (preset != nullptr)
            names.push_back (preset->name);
    presetsModel.setElements (std::move (names));
    // A shorter list drops a selection beyond its end: the browser's doing,
    // not a choice to report.
    quietly ([&] { presetsList.updateContent(); });
    acceptedPresetRow = presetsList.getSelectedRow();
}

void PresetBrowser::setDirectories (std::vector<juce::String> directories)
{
    directoriesModel.setElements (std::move (directories));
    quietly ([&] { directoriesList.updateContent(); });
}

void PresetBrowser::updatePresetsContent()
{
    quietly ([&] { presetsList.updateContent(); });
    acceptedPresetRow = presetsList.getSelectedRow();
    presetsList.repaint();
}

void PresetBrowser::setSelectedType (int row)
{
    quietly ([&] { typesList.selectRow (row); });
    acceptedTypeRow = row;
}

void PresetBrowser::setSelectedDirectory (int row)
{
    quietly ([&] { directoriesList.selectRow (row); });
}

void PresetBrowser::setSelectedPreset (int row, Preset* preset)
{
    quietly ([&] { presetsList.selectRow (row); });
    acceptedPresetRow = row;
    const bool isUser = preset != nullptr && preset->isUser;
    saveButton.setEnabled (isUser);
    deleteButton.setEnabled (isUser);
}

void PresetBrowser::clearSelectedPreset (const Preset* current)
{
    quietly ([&] { presetsList.deselectAllRows(); });
    acceptedPresetRow = -1;
    const bool isUser = current != nullptr && current->isUser;
    saveButton.setEnabled (isUser);
    deleteButton.setEnabled (isUser);
}

void PresetBrowser::askToReplace (const juce::String& presetName, std::function<bool()> replace)
{
    saveAsDialog.holdOpen();
    confirmDialog.ask ("Replace the preset " + presetName + "?", "REPLACE", [this, replace = std::move (replace)] {
        if (replace())
            saveAsDialog.setVisible (false);
    });
}

void PresetBrowser::showFailure (const juce::String& reason)
{
    if (saveAsDialog.isVisible())
        saveAsDialog.showFailure (reason);
    else
        confirmDialog.tell (reason);
}

void PresetBrowser::restoreSelections()
{
    quietly ([&] {
        typesList.selectRow (acceptedTypeRow);
        if (acceptedPresetRow >= 0)
            presetsList.selectRow (acceptedPresetRow);
        else
            presetsList.deselectAllRows();
    });
}

void PresetBrowser::onItemClicked (BrowserListBoxModel* model, int row, const juce::MouseEvent& e)
{
    // A click on the row that is already selected changes no selection but
    // is a choice all the same: choosing the current preset again brings its
    // stored values back when they were edited.
    if (model != &presetsModel || row < 0 || row != acceptedPresetRow || ! e.mods.isLeftButtonDown()
        || e.mods.isPopupMenu() || delegate == nullptr)
        return;
    delegate->onPresetSelected (row);
}

void PresetBrowser::onItemSelected (BrowserListBoxModel* model, int row)
{
    if (selectingQuietly)
        return;
    // JUCE's lists select on any button; a right click chooses nothing.
    if (juce::ModifierKeys::currentModifiers.isRightButtonDown())
    {
        restoreSelections();
        return;
    }

    if (model == &typesModel)
    {
        // A cleared type selection names no list: there is nothing to switch to.
        if (row < 0 || row >= numberOfTypes)
        {
            restoreSelections();
            return;
        }
        acceptedTypeRow = row;
        quietly ([&] { presetsList.deselectAllRows(); });
        acceptedPresetRow = -1;
        if (delegate != nullptr)
            delegate->onPresetTypeSelected (row);
    }
    else if (model == &directoriesModel)
    {
        if (showDirectories && delegate != nullptr)
            delegate->onPresetDirectorySelected (row);
    }
    else if (model == &presetsModel)
    {
        acceptedPresetRow = row;
        if (delegate != nullptr)
            delegate->onPresetSelected (row);
    }
}

void PresetBrowser::onDelete()
{
    // The row stays selected until the preset is gone: a delete that fails
    // leaves it as it was.
    if (delegate != nullptr)
        delegate->onDeletePreset();
}

void PresetBrowser::onSavePresetAs (juce::String name)
{
    if (delegate != nullptr)
        delegate->onSavePresetAs (name);
}

void PresetBrowser::resized()
{
    Overlay::resized();
    const auto& p = panel;
    const int listHeight = static_cast<int> (0.89 * p.getHeight());
    const int columns = showDirectories ? 3 : 2;
    const int columnWidth = p.getWidth() / columns;

    typesList.setBounds (p.getX() + 2, p.getY(), columnWidth - 4, listHeight);
    if (showDirectories)
        directoriesList.setBounds (p.getX() + 2 + columnWidth, p.getY(), columnWidth - 4, listHeight);
    presetsList.setBounds (p.getX() + 2 + (columns - 1) * columnWidth, p.getY(), columnWidth - 4, listHeight);

    int i = 0;
    for (auto* button : { &saveButton, &saveAsButton, &deleteButton, &doneButton })
    {
        button->setBounds (p.getX() + (i * p.getWidth()) / 4, p.getY() + listHeight + 4, p.getWidth() / 4 - 4,
                           p.getHeight() - listHeight - 8);
        ++i;
    }

    confirmDialog.setBounds (p);
    saveAsDialog.setBounds (p);
}

void PresetBrowser::visibilityChanged()
{
    // A dialog belongs to this opening of the browser: closed (or replaced by
    // another overlay), the browser takes its dialogs with it. The name typed
    // in the save dialog stays for the next time.
    if (! isVisible())
    {
        confirmDialog.setVisible (false);
        saveAsDialog.setVisible (false);
        return;
    }
    // The current preset's row may lie below the visible rows.
    if (const int row = presetsList.getSelectedRow(); row >= 0)
        presetsList.scrollToEnsureRowIsOnscreen (row);
    presetsList.toFront (true);
    confirmDialog.toFront (false);
    saveAsDialog.toFront (false);
}
