#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The frame the browser's two dialogs share: where their content goes, and
// the dimmed backdrop with an opaque box behind that content.
namespace DialogFrame
{
// The content area of a dialog of the given size: half the width, centred,
// and the middle 0.3 of the height.
juce::Rectangle<int> contentArea (int width, int height);

// The left and right buttons of the bottom row of the content area, whose
// upper part (height `labelArea`) holds the message or the name field.
juce::Rectangle<int> leftButton (juce::Rectangle<int> content, int labelArea);
juce::Rectangle<int> rightButton (juce::Rectangle<int> content, int labelArea);

// Dims the whole dialog and draws the opaque box around the content.
void paint (juce::Graphics& g, int width, int height);

// Fill, outline and pressed colours of a dialog button.
void styleButton (juce::TextButton& button, juce::Colour outline);

// The red line that says why something was refused or failed.
void styleReason (juce::Label& label);
} // namespace DialogFrame
