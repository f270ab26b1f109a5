#include "UI/Controls/Knob/WaveformKnobContainer.h"

WaveformKnobContainer::WaveformKnobContainer (Parameter* parameterToShow, std::string title, bool reverse,
                                              std::string waveformName)
    : KnobContainer (parameterToShow, std::move (title), reverse, {})
{
    lookAndFeel.isWaveform = true;
    lookAndFeel.waveformName = std::move (waveformName);
    slider->setSliderStyle (juce::Slider::RotaryHorizontalVerticalDrag);
}
