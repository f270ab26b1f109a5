#include "UI/Controls/Buttons/ColourArrowButton.h"

ColourArrowButton::ColourArrowButton (const juce::String& name, float direction, juce::Colour colour)
    : LeftClickOnly<juce::ArrowButton> (name, direction, colour), initialColour (colour)
{
    arrow.addTriangle (0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.5f);
    arrow.applyTransform (juce::AffineTransform::rotation (juce::MathConstants<float>::twoPi * direction, 0.5f, 0.5f));
}

juce::Colour ColourArrowButton::arrowColour() const
{
    return isColourSpecified (juce::TextButton::buttonColourId) ? findColour (juce::TextButton::buttonColourId)
                                                                : initialColour;
}

void ColourArrowButton::paintButton (juce::Graphics& g, bool, bool shouldDrawButtonAsDown)
{
    // The same figure as JUCE's arrow: pressed, it moves by a pixel and its
    // shadow shrinks.
    auto shape = arrow;
    const float offset = shouldDrawButtonAsDown ? 1.0f : 0.0f;
    shape.applyTransform (shape.getTransformToScaleToFit (offset, offset, static_cast<float> (getWidth()) - 3.0f,
                                                          static_cast<float> (getHeight()) - 3.0f, false));
    juce::DropShadow (juce::Colours::black.withAlpha (0.3f), shouldDrawButtonAsDown ? 2 : 4, {}).drawForPath (g, shape);
    g.setColour (arrowColour());
    g.fillPath (shape);
}
