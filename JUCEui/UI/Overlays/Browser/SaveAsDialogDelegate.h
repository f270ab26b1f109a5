#pragma once

#include <juce_core/juce_core.h>

class SaveAsDialogDelegate
{
public:
    virtual ~SaveAsDialogDelegate() = default;
    // The user asked to save under `name` (never empty).
    virtual void onSavePresetAs (juce::String name) = 0;
};
