#include "UI/Overlays/Overlay.h"

#include "LookAndFeel/Palette.h"

Overlay::Overlay() = default;

void Overlay::resized()
{
    const auto bounds = getLocalBounds();
    panel = { bounds.getX() + 20, bounds.getY() + 10,
              juce::jmax (bounds.getWidth() - 40, 0), juce::jmax (bounds.getHeight() - 20, 0) };
}

void Overlay::paint (juce::Graphics& g)
{
    g.setColour (Karvon::background.withAlpha (opacity));
    g.fillRect (panel);
}

void Overlay::mouseDown (const juce::MouseEvent& event)
{
    // Only the margins close the overlay: presses inside the panel belong to
    // whatever it shows.
    if (! panel.contains (event.getPosition()))
        setVisible (false);
}
