#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "UI/Controls/Buttons/LeftClickOnly.h"

// JUCE's arrow button, drawn in its `juce::TextButton::buttonColourId` when
// one is set (JUCE's own keeps the colour it was built with), and answering
// the left mouse button only.
class ColourArrowButton : public LeftClickOnly<juce::ArrowButton>
{
public:
    // `direction`: fraction of a turn, 0 pointing right, 0.5 pointing left.
    ColourArrowButton (const juce::String& name, float direction, juce::Colour colour);

    void paintButton (juce::Graphics& g, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

    // The colour the arrow is filled with.
    juce::Colour arrowColour() const;

private:
    juce::Path arrow;
    juce::Colour initialColour;
};
