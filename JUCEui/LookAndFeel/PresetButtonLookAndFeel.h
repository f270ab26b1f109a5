#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Text buttons and labels of the header, preset browser, dialogs and
// overlays: rounded boxes with an outline, the light typeface at fixed
// heights. Colours come from each button's own colour settings.
class PresetButtonLookAndFeel : public juce::LookAndFeel_V4
{
public:
    PresetButtonLookAndFeel() = default;

    void drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    // One line at the button's font height, squeezed a little and then cut
    // with an ellipsis when too long: a long preset name stays readable
    // instead of shrinking into two tiny lines.
    void drawButtonText (juce::Graphics& g, juce::TextButton& button, bool shouldDrawButtonAsHighlighted,
                         bool shouldDrawButtonAsDown) override;
    juce::Font getTextButtonFont (juce::TextButton& button, int buttonHeight) override;
    juce::Font getLabelFont (juce::Label& label) override;
};
