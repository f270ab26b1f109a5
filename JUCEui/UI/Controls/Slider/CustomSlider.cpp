#include "UI/Controls/Slider/CustomSlider.h"

void CustomSlider::mouseDown (const juce::MouseEvent& e)
{
    if (e.mods.isRightButtonDown())
        return;
    juce::Slider::mouseDown (e);
}

// The slider's drag keeps the start point of the last left press: a right
// drag passed on to it would move the value from that stale point, outside
// any host gesture.
void CustomSlider::mouseDrag (const juce::MouseEvent& e)
{
    if (e.mods.isRightButtonDown())
        return;
    juce::Slider::mouseDrag (e);
}

void CustomSlider::mouseUp (const juce::MouseEvent& e)
{
    if (e.mods.isRightButtonDown())
        return;
    juce::Slider::mouseUp (e);
}
