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
} // namespace

void Editor::setPreset (int index)
{
    if (processor.setPreset (index) && processor.currentPreset != nullptr)
        getHeader().selectPreset (index);
}

void Editor::setPreset (juce::String name)
{
    if (processor.setPreset (name, true) && processor.currentPreset != nullptr)
        getHeader().selectPreset (processor.currentPresetIndex);
}

void Editor::onPresetTypeSelected (int type)
{
    if (type < 0 || type >= static_cast<int> (processor.presetLists.size()))
        return;
    processor.currentPresetList = type;
    auto& header = getHeader();
    header.selectType (type);
    header.setPresets (processor.getPresetList (type));
}

void Editor::onPresetDirectorySelected (int) {}

void Editor::onPresetSelected (int index)
{
    setPreset (index);
}

void Editor::nextPreset()
{
    const int next = processor.currentPresetIndex + 1;
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
    onPresetTypeSelected (processor.currentPresetList);
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
    onPresetTypeSelected (processor.currentPresetList);
    setPreset (processor.currentPresetIndex);
}

void Editor::savePreset (Preset* preset)
{
    if (preset == nullptr)
        return;

    // A preset that could not be written keeps its modified mark: the edits
    // are not stored anywhere yet.
    if (processor.overwritePreset (*preset).failed())
        return;

    auto& header = getHeader();
    header.selectType (EffectProcessor::userList);
    onPresetTypeSelected (EffectProcessor::userList);
    if (processor.currentPreset != nullptr)
        header.selectPreset (processor.currentPresetIndex);
    // Last: reloading the list changed parameters, which set the mark.
    header.onCurrentStateGetsDifferentFromCurrentPreset (false);
}

void Editor::savePresetAs (juce::String name)
{
    if (processor.writeUserPreset (name).failed())
        return;

    auto& header = getHeader();
    header.selectType (EffectProcessor::userList);
    onPresetTypeSelected (EffectProcessor::userList);
    // The stored name is the typed one made a legal file name, upper-cased.
    if (processor.currentPreset != nullptr)
        setPreset (processor.currentPreset->name);
}

void Editor::deletePreset (Preset* preset)
{
    if (preset == nullptr || ! processor.deleteUserPreset (*preset))
        return;

    auto& header = getHeader();
    header.setPresets (processor.getPresetList (EffectProcessor::userList));
    header.updatePresetsContent();
    processor.currentPreset = nullptr;
}
