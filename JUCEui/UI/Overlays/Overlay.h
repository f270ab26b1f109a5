#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Base of the editor's full-window overlays: darkens a panel a little smaller
// than itself and closes when the user presses outside that panel.
class Overlay : public juce::Component
{
public:
    Overlay();

    void mouseDown (const juce::MouseEvent& event) override;
    void paint (juce::Graphics& g) override;
    // Derived overlays call this first, then lay out their children in `panel`.
    void resized() override;

    juce::Rectangle<int> panel;
    float opacity = 0.85f;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Overlay)
};
