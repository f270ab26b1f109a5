#pragma once

#include "UI/Controls/Knob/KnobContainer.h"

// A knob whose face shows a small sketch of the sound ("shape" or "warmth")
// that follows the value, instead of the value text.
class WaveformKnobContainer : public KnobContainer
{
public:
    WaveformKnobContainer (Parameter* parameter, std::string name, bool reverse, std::string waveformName);
};
