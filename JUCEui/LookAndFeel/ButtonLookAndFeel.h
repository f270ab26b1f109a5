#pragma once

#include "LookAndFeel/CommonLookAndFeel.h"

// Draws toggle buttons: a box filled when on and outlined (or shaded) when
// off, carrying the button's text, "ON"/"OFF" when it has none, or, in
// waveform mode, the line icon its text names.
class ButtonLookAndFeel : public CommonLookAndFeel
{
public:
    ButtonLookAndFeel() = default;

    void drawToggleButton (juce::Graphics& g, juce::ToggleButton& button, bool shouldDrawButtonAsHighlighted,
                           bool shouldDrawButtonAsDown) override;

    // The icon called `name` (waveforms, filter responses, ramp shapes) for a
    // box of boxWidth x boxHeight, in the box's coordinates; empty for a name
    // that is no icon (names are compared exactly).
    static juce::Path iconPath (const juce::String& name, int boxWidth, int boxHeight);

    juce::String onText { "ON" };
    juce::String offText { "OFF" };
    bool useCustomColours = false;
    juce::Colour onTextColour { juce::Colours::black };
    juce::Colour offTextColour { juce::Colours::black };
    juce::Colour onFillColour { juce::Colours::black };
    juce::Colour offFillColour { juce::Colours::black };
    // The box is a centred square of the button's smaller side.
    bool forceSquare = false;
    // The button's text names an icon to draw instead of a text.
    bool isWaveform = false;
    // An off button outlines its box...
    bool outline = true;
    // ...and/or shades it with a faint vertical gradient.
    bool gradientBackground = false;
};
