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

void PresetButtonLookAndFeel::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool, bool)
{
    const auto font = getTextButtonFont (button, button.getHeight());
    g.setFont (font);
    g.setColour (button.findColour (button.getToggleState() ? juce::TextButton::textColourOnId
                                                            : juce::TextButton::textColourOffId)
                     .withMultipliedAlpha (button.isEnabled() ? 1.0f : 0.5f));

    // The toolkit's indents for the rounded ends.
    const int yIndent = juce::jmin (4, button.proportionOfHeight (0.3f));
    const int cornerSize = juce::jmin (button.getHeight(), button.getWidth()) / 2;
    const int fontHeight = juce::roundToInt (font.getHeight() * 0.6f);
    const int leftIndent = juce::jmin (fontHeight, 2 + cornerSize / (button.isConnectedOnLeft() ? 4 : 2));
    const int rightIndent = juce::jmin (fontHeight, 2 + cornerSize / (button.isConnectedOnRight() ? 4 : 2));
    const int textWidth = button.getWidth() - leftIndent - rightIndent;

    if (textWidth > 0)
        g.drawFittedText (button.getButtonText(), leftIndent, yIndent, textWidth, button.getHeight() - yIndent * 2,
                          juce::Justification::centred, 1);
}

juce::Font PresetButtonLookAndFeel::getTextButtonFont (juce::TextButton&, int)
{
    return Karvon::getFontLight().withHeight (22.0f);
}

juce::Font PresetButtonLookAndFeel::getLabelFont (juce::Label&)
{
    return Karvon::getFontLight().withHeight (25.0f);
}
