#include "UI/Controls/Slider/CustomSlider.h"

#include <utility>

void CustomSlider::mouseDown (const juce::MouseEvent& e)
{
    pressTaken = ! e.mods.isRightButtonDown();
    if (pressTaken)
        juce::Slider::mouseDown (e);
}

// The slider's drag keeps the start point of the last left press: a right
// drag passed on to it would move the value from that stale point, outside
// any host gesture.
void CustomSlider::mouseDrag (const juce::MouseEvent& e)
{
    if (pressTaken && ! e.mods.isRightButtonDown())
        juce::Slider::mouseDrag (e);
}

// With the left and the right button pressed together, JUCE reports a single
// release carrying the buttons held last (possibly only the right one): the
// left press it ends must still reach the slider, which ends the gesture.
void CustomSlider::mouseUp (const juce::MouseEvent& e)
{
    lastPressTaken = std::exchange (pressTaken, false);
    if (lastPressTaken)
        juce::Slider::mouseUp (e);
}

// The window system reports a double click after the second release; the
// slider would set its default for a right one too.
void CustomSlider::mouseDoubleClick (const juce::MouseEvent& e)
{
    if (lastPressTaken && ! e.mods.isRightButtonDown())
        juce::Slider::mouseDoubleClick (e);
}
