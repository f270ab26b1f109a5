#pragma once

#include "Basics/Editor.h"

// The effect's editor: the framework editor, whose filter display also follows
// the input filter type.
class VantrelEditor : public Editor
{
public:
    using Editor::Editor;
    ~VantrelEditor() override;

    // The builder's slot order makes the effect's controls; this sets the
    // few that differ from their kind's defaults. Called once the size is set.
    void configureControls();

    // Any thread.
    void parameterChanged (const juce::String& parameterID, float newValue) override;

    static constexpr int width = 900;
    static constexpr int height = 330;
};
