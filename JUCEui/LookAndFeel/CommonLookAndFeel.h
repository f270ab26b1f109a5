#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <string>

// Shared state of the control drawings (value-text height, colour, the
// parameter's unit and flags, the dimmed state) and the value texts by unit.
// The containers that own a look and feel write these members directly.
class CommonLookAndFeel : public juce::LookAndFeel_V4
{
public:
    ~CommonLookAndFeel() override = default;

    // The light typeface at the height of value texts (20).
    juce::Font getValueFont() const;

    // `value` in fixed-point notation with exactly `decimals` digits after the
    // point (none and no point for 0); "-" for negatives; never an exponent.
    static std::string stringWithDecimals (float value, int decimals);

    // The text shown on a control for the parameter's raw value text: the
    // number rewritten with the decimals and suffix of `unit` (250ms, 1.5s,
    // 45%, -6dB, 2.50Hz). A text that does not start with a finite number
    // comes back unchanged.
    std::string updateValueText (std::string text) const;

    int textHeight = 28;
    juce::Colour mainColor;
    int unit = 0;
    // The parameter's flags; all bits set until a container copies the real ones.
    int flags = -1;
    bool isGrey = false;

protected:
    // Only the concrete look and feels are ever built.
    CommonLookAndFeel();
};
