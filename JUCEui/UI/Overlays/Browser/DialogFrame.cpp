#include "UI/Overlays/Browser/DialogFrame.h"

#include "LookAndFeel/Palette.h"

namespace DialogFrame
{
juce::Rectangle<int> contentArea (int w, int h)
{
    const int y = static_cast<int> (0.35 * h);
    return { w / 4, y, juce::jmax (w - 2 * (w / 4), 0), juce::jmax (h - 2 * y, 0) };
}

// The label area L is 0.7 of the content's height, so the button row below it
// is always at least 0 high.
juce::Rectangle<int> leftButton (juce::Rectangle<int> a, int labelArea)
{
    return { a.getX(), a.getY() + labelArea, a.getWidth() / 2 - 2, a.getHeight() - labelArea };
}

juce::Rectangle<int> rightButton (juce::Rectangle<int> a, int labelArea)
{
    return { a.getX() + a.getWidth() / 2 + 2, a.getY() + labelArea, a.getWidth() / 2 - 2, a.getHeight() - labelArea };
}

void paint (juce::Graphics& g, int w, int h)
{
    g.setColour (Karvon::background.withAlpha (0.3f));
    g.fillRect (0, 0, w, h);
    // The box insets by a third of the height while the content insets by
    // 0.35 of it, so the box reaches further above and below the content
    // than to its sides.
    g.setColour (Karvon::background);
    g.fillRect (w / 4 - 20, h / 3 - 20, juce::jmax (w - 2 * (w / 4), 0) + 40, juce::jmax (h - 2 * (h / 3), 0) + 40);
}

void styleButton (juce::TextButton& button, juce::Colour outline)
{
    button.setColour (juce::TextButton::buttonColourId, Karvon::background.brighter (0.04f));
    button.setColour (juce::TextButton::buttonOnColourId, Karvon::background);
    button.setColour (juce::TextButton::textColourOnId, outline);
}

void styleReason (juce::Label& label)
{
    label.setFont (Karvon::getFontLight().withHeight (18.0f));
    label.setColour (juce::Label::textColourId, Karvon::red);
    label.setJustificationType (juce::Justification::centred);
    label.setMinimumHorizontalScale (0.5f);
}
} // namespace DialogFrame
