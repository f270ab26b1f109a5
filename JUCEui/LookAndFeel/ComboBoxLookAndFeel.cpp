#include "LookAndFeel/ComboBoxLookAndFeel.h"

#include "LookAndFeel/Palette.h"

ComboBoxLookAndFeel::ComboBoxLookAndFeel()
    : menuColour (Karvon::blue)
{
}

void ComboBoxLookAndFeel::drawPopupMenuBackground (juce::Graphics& g, int width, int height)
{
    g.fillAll (Karvon::background);
    g.setGradientFill (juce::ColourGradient (menuColour.withAlpha (0.25f), 0.0f, 0.0f, menuColour.withAlpha (0.05f),
                                             0.0f, static_cast<float> (height), false));
    g.fillRect (0, 0, width, height);
}

void ComboBoxLookAndFeel::drawPopupMenuItem (juce::Graphics& g, const juce::Rectangle<int>& area, bool, bool,
                                             bool isHighlighted, bool isTicked, bool, const juce::String& text,
                                             const juce::String&, const juce::Drawable*, const juce::Colour*)
{
    // The fill marks the ticked item; no tick mark is drawn.
    if (isTicked)
    {
        g.setColour (menuColour);
        g.fillRect (area);
    }
    else if (isHighlighted)
    {
        g.setColour (menuColour.withAlpha (0.5f));
        g.fillRect (area);
    }

    g.setColour (juce::Colours::white);
    g.setFont (getPopupMenuFont());
    g.drawText (text, area, juce::Justification::centred, true);
}

juce::Font ComboBoxLookAndFeel::getPopupMenuFont()
{
    return getValueFont();
}

void ComboBoxLookAndFeel::drawComboBox (juce::Graphics&, int, int, bool, int, int, int, int, juce::ComboBox&)
{
}

juce::Font ComboBoxLookAndFeel::getComboBoxFont (juce::ComboBox&)
{
    return getValueFont();
}

void ComboBoxLookAndFeel::positionComboBoxText (juce::ComboBox&, juce::Label&)
{
    // The box's own label never gets an area: the container's label shows the choice.
}
