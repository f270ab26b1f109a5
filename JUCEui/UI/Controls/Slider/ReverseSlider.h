#pragma once

#include "UI/Controls/Slider/CustomSlider.h"

// A slider that runs the other way: its maximum at the start of its length.
class ReverseSlider : public CustomSlider
{
public:
    using CustomSlider::CustomSlider;

    double proportionOfLengthToValue (double proportion) override;
    double valueToProportionOfLength (double value) override;
};
