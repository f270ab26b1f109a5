// Editor: the preset actions of the header and the preset browser.
#include "Basics/Editor.h"

#include "UI/PluginHeader.h"

namespace
{
int listSize (const EffectProcessor& processor, int list)
{
    if (list < 0 || list >= static_cast<int> (processor.presetLists.size()))
        return 0;
    return static_cast<int> (processor.presetLists[static_cast<std::size_t> (list)].size());
}

Preset* presetAt (const EffectProcessor& processor, int list, int index)
{
    if (index < 0 || index >= listSize (processor, list))
        return nullptr;
    return processor.presetLists[static_cast<std::size_t> (list)][static_cast<std::size_t> (index)].get();
}
} // namespace

void Editor::setPreset (int index)
{
    if (! readFromItsFile (presetAt (processor, processor.currentPresetList, index)))
        return;
    if (processor.setPreset (index) && processor.currentPreset != nullptr)
        showCurrentPreset();
}

bool Editor::readFromItsFile (Preset* preset)
{
    if (preset == nullptr)
        return true;
    const auto read = processor.rereadUserPreset (*preset);
    if (read.wasOk())
        return true;
    rereadUserPresets();
    getHeader().reportFailure (read.getErrorMessage());
    return false;
}

void Editor::rereadUserPresets()
{
    const bool hadPreset = processor.currentPreset != nullptr;
    processor.retrieveUserPresets();
    if (hadPreset)
        showCurrentPreset();
    else
        showList (viewedList); // the header keeps the name it shows
}

void Editor::onPresetBrowserOpening()
{
    // Files may have been added, edited or removed outside since the list
    // was read.
    rereadUserPresets();
}

void Editor::setPreset (juce::String name)
{
    if (processor.setPreset (name, true) && processor.currentPreset != nullptr)
        showCurrentPreset();
}

void Editor::onPresetTypeSelected (int type)
{
    // Viewing a list changes neither the current preset nor the list the
    // arrows step through.
    showList (type);
}

void Editor::onPresetDirectorySelected (int) {}

void Editor::onPresetSelected (int index)
{
    auto* chosen = presetAt (processor, viewedList, index);
    if (chosen == nullptr)
        return;
    if (chosen == processor.currentPreset)
    {
        // Choosing the current preset again brings back the values its file
        // holds when they were edited; otherwise there is nothing to do.
        if (readFromItsFile (chosen) && processor.reapplyCurrentPreset())
            showCurrentPreset();
        return;
    }
    processor.currentPresetList = viewedList;
    setPreset (index);
}

void Editor::nextPreset()
{
    // With no preset current (after a delete) the position is the place the
    // deleted preset had, which its successor now holds.
    const int next = processor.currentPresetIndex + (processor.currentPreset != nullptr ? 1 : 0);
    processor.currentPresetIndex = next;
    if (next < listSize (processor, processor.currentPresetList))
    {
        setPreset (next);
        return;
    }

    // Past the end of this list: the start of the next list that has presets.
    processor.currentPresetIndex = 0;
    const int lists = static_cast<int> (processor.presetLists.size());
    const int following = (processor.currentPresetList + 1) % lists;
    if (listSize (processor, following) > 0)
        processor.currentPresetList = following;
    showList (processor.currentPresetList);
    setPreset (0);
}

void Editor::previousPreset()
{
    const int old = processor.currentPresetIndex;
    processor.currentPresetIndex = old - 1;
    if (old > 0)
    {
        const int size = listSize (processor, processor.currentPresetList);
        if (old > size)
            processor.currentPresetIndex = size - 1;
        setPreset (processor.currentPresetIndex);
        return;
    }

    // Before the start of this list: the end of the previous list that has presets.
    const int lists = static_cast<int> (processor.presetLists.size());
    const int preceding = (processor.currentPresetList + lists - 1) % lists;
    if (listSize (processor, preceding) > 0)
        processor.currentPresetList = preceding;
    processor.currentPresetIndex = listSize (processor, processor.currentPresetList) - 1;
    showList (processor.currentPresetList);
    setPreset (processor.currentPresetIndex);
}

void Editor::savePreset (Preset* preset)
{
    if (preset == nullptr)
        return;
    // A factory preset is saved as the user preset of its name; replacing the
    // user's own preset of that name (another preset) is asked first.
    if (! preset->isUser)
    {
        savePresetAs (preset->name);
        return;
    }

    // A preset that could not be written keeps its modified mark: the edits
    // are not stored anywhere yet. The reason is shown where the musician is.
    const auto name = preset->name;
    if (const auto result = processor.overwritePreset (*preset); result.failed())
    {
        getHeader().reportFailure (name + " was not saved. " + result.getErrorMessage());
        return;
    }
    showCurrentPreset();
}

void Editor::savePresetAs (juce::String name)
{
    // Replacing a user preset is asked first, naming it; the save happens
    // only once confirmed.
    if (const auto* replaced = processor.findUserPreset (name))
    {
        getHeader().askToReplace (replaced->name, [this, name] { return writePresetAs (name); });
        return;
    }
    writePresetAs (name);
}

bool Editor::writePresetAs (const juce::String& name)
{
    // A refused name never reaches the header: the dialog stays open with the
    // reason, and the header keeps showing a preset that exists.
    if (const auto result = processor.writeUserPreset (name); result.failed())
    {
        getHeader().reportFailure (result.getErrorMessage());
        return false;
    }
    // The stored name is the typed one made a legal file name, upper-cased;
    // the new preset is current, in the user list.
    showCurrentPreset();
    return true;
}

void Editor::deletePreset (Preset* preset)
{
    if (preset == nullptr)
        return;
    if (const auto result = processor.deleteUserPreset (*preset); result.failed())
    {
        // A file already gone: the list is read again to show what is left.
        // Otherwise the preset, its row and the header stay as they are.
        const auto reason = result.getErrorMessage();
        if (! preset->file.exists())
            rereadUserPresets();
        getHeader().reportFailure (reason);
        return;
    }

    // The deleted preset is gone for good: no preset is current, so neither
    // SAVE nor the header can bring its name back.
    processor.currentPreset = nullptr;
    showList (EffectProcessor::userList);
    getHeader().updatePresetsContent();
    showCurrentPreset();
}
