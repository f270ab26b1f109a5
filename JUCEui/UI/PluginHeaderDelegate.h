#pragma once

#include <juce_core/juce_core.h>

class Preset;

// What the header and its preset browser ask of the editor. Every call comes
// from the message thread.
class PluginHeaderDelegate
{
public:
    virtual ~PluginHeaderDelegate() = default;

    // The user chose the user (0) or the factory (1) list.
    virtual void onPresetTypeSelected (int type) = 0;
    // The user chose a bank (only offered when the browser shows banks).
    virtual void onPresetDirectorySelected (int directory) = 0;
    // The user chose a row of the shown list; -1 reports a cleared selection.
    virtual void onPresetSelected (int row) = 0;
    virtual void previousPreset() = 0;
    virtual void nextPreset() = 0;
    // Overwrite `preset` with the current state.
    virtual void savePreset (Preset* preset) = 0;
    // Write the current state as a new user preset called `name`.
    virtual void savePresetAs (juce::String name) = 0;
    virtual void deletePreset (Preset* preset) = 0;
    // The preset browser is about to open: its lists should show the presets
    // as they are on disk now.
    virtual void onPresetBrowserOpening() = 0;
};
