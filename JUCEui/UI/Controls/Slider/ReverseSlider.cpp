#include "UI/Controls/Slider/ReverseSlider.h"

double ReverseSlider::proportionOfLengthToValue (double proportion)
{
    return juce::Slider::proportionOfLengthToValue (1.0 - proportion);
}

double ReverseSlider::valueToProportionOfLength (double value)
{
    return 1.0 - juce::Slider::valueToProportionOfLength (value);
}
