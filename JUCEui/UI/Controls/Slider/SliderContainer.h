#pragma once

#include "LookAndFeel/SliderLookAndFeel.h"
#include "UI/Controls/Slider/CustomSlider.h"
#include "UI/Controls/UIContainer.h"

#include <memory>
#include <string>
#include <vector>

// One continuous parameter as a vertical bar slider with its value text. The
// framework's attachment carries values both ways; the look and feel draws.
class SliderContainer : public UIContainer
{
public:
    // `labels`, when given, name the integer values in place of numbers.
    SliderContainer (Parameter* parameter, std::string name, bool reverse, std::vector<std::string> labels);
    ~SliderContainer() override;

    void attach (juce::AudioProcessorValueTreeState& state) override;
    void setMainColor (juce::Colour colour) override;
    void setIsGrey (bool grey) override;
    void resized() override;

    // Narrows the slider by the title height less 6 pixels, centred, so that
    // a tall slider sits in proportion beside its neighbours.
    void setForceAdapt (bool shouldAdapt);

    std::unique_ptr<CustomSlider> slider;
    SliderLookAndFeel lookAndFeel;
    bool forceAdapt = false;
};
