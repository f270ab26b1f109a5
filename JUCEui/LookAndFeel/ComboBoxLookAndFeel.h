#pragma once

#include "LookAndFeel/CommonLookAndFeel.h"

// The dropdown's look: the combo box itself is invisible (it lies over a label
// that shows the selection; a click opens its menu), and the popup menu is the
// palette background tinted with `menuColour`, with white centred items.
class ComboBoxLookAndFeel : public CommonLookAndFeel
{
public:
    ComboBoxLookAndFeel();

    void drawPopupMenuBackground (juce::Graphics& g, int width, int height) override;
    void drawPopupMenuItem (juce::Graphics& g, const juce::Rectangle<int>& area, bool isSeparator, bool isActive,
                            bool isHighlighted, bool isTicked, bool hasSubMenu, const juce::String& text,
                            const juce::String& shortcutKeyText, const juce::Drawable* icon,
                            const juce::Colour* textColour) override;
    juce::Font getPopupMenuFont() override;
    void drawComboBox (juce::Graphics& g, int width, int height, bool isButtonDown, int buttonX, int buttonY,
                       int buttonW, int buttonH, juce::ComboBox& box) override;
    juce::Font getComboBoxFont (juce::ComboBox& box) override;
    void positionComboBoxText (juce::ComboBox& box, juce::Label& label) override;

    // Tint of the menu and of its ticked and highlighted items.
    juce::Colour menuColour;
};
