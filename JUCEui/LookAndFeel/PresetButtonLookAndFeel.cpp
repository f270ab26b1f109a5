#include "LookAndFeel/PresetButtonLookAndFeel.h"

#include "LookAndFeel/Palette.h"

void PresetButtonLookAndFeel::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour&,
                                                    bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    auto fill = button.findColour (juce::TextButton::buttonOnColourId);
    if (! shouldDrawButtonAsDown)
    {
        fill = button.findColour (juce::TextButton::buttonColourId);
        if (shouldDrawButtonAsHighlighted)
            fill = fill.brighter (0.08f);
    }

    const auto bounds = button.getLocalBounds().toFloat();
    const auto corner = static_cast<float> (button.getHeight() / 4);
    g.setColour (fill);
    g.fillRoundedRectangle (bounds, corner);

    auto outline = button.findColour (juce::TextButton::textColourOnId);
    if (! button.isEnabled())
        outline = outline.darker (0.4f);
    g.setColour (outline);
    g.drawRoundedRectangle (bounds, corner, 2.0f);
}

juce::Font PresetButtonLookAndFeel::getTextButtonFont (juce::TextButton&, int)
{
    return Karvon::getFontLight().withHeight (22.0f);
}

juce::Font PresetButtonLookAndFeel::getLabelFont (juce::Label&)
{
    return Karvon::getFontLight().withHeight (25.0f);
}
