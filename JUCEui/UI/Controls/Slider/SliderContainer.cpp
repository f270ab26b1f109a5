#include "UI/Controls/Slider/SliderContainer.h"

#include "UI/Controls/HostParameter.h"
#include "UI/Controls/Slider/ReverseSlider.h"

SliderContainer::SliderContainer (Parameter* parameterToShow, std::string title, bool reverse,
                                  std::vector<std::string> labels)
    : UIContainer (parameterToShow, std::move (title))
{
    slider = reverse ? std::make_unique<ReverseSlider>() : std::make_unique<CustomSlider>();
    slider->setSliderStyle (juce::Slider::LinearVertical);
    slider->setTextBoxStyle (juce::Slider::NoTextBox, true, 78, 30);

    lookAndFeel.mainColor = mainColor;
    slider->setLookAndFeel (&lookAndFeel);
    addAndMakeVisible (*slider);

    lookAndFeel.valueNames = std::move (labels);
    if (parameter != nullptr)
    {
        lookAndFeel.unit = static_cast<int> (parameter->type);
        lookAndFeel.flags = static_cast<int> (parameter->flags);
    }
}

SliderContainer::~SliderContainer()
{
    // The attachment observes the slider and the slider uses the look and
    // feel: release them in that order, before the members go.
    slider->setLookAndFeel (nullptr);
    sliderAttachment.reset();
    slider.reset();
}

void SliderContainer::attach (juce::AudioProcessorValueTreeState& state)
{
    // A parameter the tree does not publish (an output) has nothing to attach to.
    if (parameter == nullptr || HostParameter::find (state, parameter->id) == nullptr)
        return;
    sliderAttachment = std::make_unique<juce::AudioProcessorValueTreeState::SliderAttachment> (
        state, juce::String::fromUTF8 (parameter->id.c_str()), *slider);
}

void SliderContainer::setMainColor (juce::Colour colour)
{
    UIContainer::setMainColor (colour);
    lookAndFeel.mainColor = mainColor;
    slider->repaint();
}

void SliderContainer::setIsGrey (bool grey)
{
    UIContainer::setIsGrey (grey);
    lookAndFeel.isGrey = grey;
    repaint();
}

void SliderContainer::setForceAdapt (bool shouldAdapt)
{
    forceAdapt = shouldAdapt;
    resized();
}

void SliderContainer::resized()
{
    UIContainer::resized();
    const int width = getWidth();
    const int sliderWidth = forceAdapt ? width - currentTitleHeight + 6 : width;
    slider->setBounds ((width - sliderWidth) / 2, currentTitleHeight, sliderWidth, getHeight() - currentTitleHeight);
}
