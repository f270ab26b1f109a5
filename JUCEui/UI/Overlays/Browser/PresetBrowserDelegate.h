#pragma once

#include <juce_core/juce_core.h>

// What the preset browser reports to its owner (the header).
class PresetBrowserDelegate
{
public:
    virtual ~PresetBrowserDelegate() = default;

    virtual void onPresetTypeSelected (int type) = 0;
    virtual void onPresetDirectorySelected (int directory) = 0;
    // -1 reports a cleared selection.
    virtual void onPresetSelected (int row) = 0;
    virtual void onSavePreset() = 0;
    virtual void onSavePresetAs (juce::String name) = 0;
    virtual void onDeletePreset() = 0;
};
