#include "UI/Controls/Knob/KnobContainer.h"

KnobContainer::KnobContainer (Parameter* parameterToShow, std::string title, bool reverse,
                              std::vector<std::string> labels)
    : SliderContainer (parameterToShow, std::move (title), reverse, std::move (labels))
{
    slider->setSliderStyle (juce::Slider::RotaryHorizontalVerticalDrag);
}
