#pragma once

#include "UI/Controls/Slider/SliderContainer.h"

// The slider container with a rotary knob (dragged horizontally or vertically).
class KnobContainer : public SliderContainer
{
public:
    KnobContainer (Parameter* parameter, std::string name, bool reverse, std::vector<std::string> labels);
};
