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
    if (std::exchange (pressTaken, false))
        juce::Slider::mouseUp (e);
}
