#include "UI/Controls/Oscilloscopes/MultiOscilloscopeContainer.h"

#include "LookAndFeel/Palette.h"

#include <algorithm>

MultiOscilloscopeContainer::MultiOscilloscopeContainer (Parameter* parameter, std::string title)
    : UIContainer (parameter, std::move (title)), curves (std::make_unique<MultiCurvesComponent>())
{
    addAndMakeVisible (*curves);
    startTimerHz (12);
}

MultiOscilloscopeContainer::~MultiOscilloscopeContainer()
{
    stopTimer();
}

void MultiOscilloscopeContainer::setDelayTime (float t)
{
    if (delayTime != t)
    {
        delayTime = t;
        needsRepaint = true;
    }
}

void MultiOscilloscopeContainer::timerCallback()
{
    if (needsRepaint)
    {
        repaint();
        needsRepaint = false;
    }
}

juce::Colour MultiOscilloscopeContainer::backgroundColour() const
{
    // Delay times of 30 and more (or not a number) keep the plain tint.
    const float amount = (30.0f - delayTime) / 10.0f;
    return Karvon::blue.darker (0.4f).brighter (amount > 0.0f ? amount : 0.0f).withAlpha (0.05f);
}

void MultiOscilloscopeContainer::resized()
{
    curves->setBounds (1, 1, std::max (getWidth() - 2, 0), std::max (getHeight() - 2, 0));
}

void MultiOscilloscopeContainer::paint (juce::Graphics& g)
{
    g.setColour (backgroundColour());
    g.fillRect (getLocalBounds());
    g.setColour (juce::Colours::white);
    g.drawRect (getLocalBounds(), 1);
}
