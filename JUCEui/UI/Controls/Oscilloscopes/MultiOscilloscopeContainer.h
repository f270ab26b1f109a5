#pragma once

#include "UI/Controls/Oscilloscopes/MultiCurvesComponent.h"
#include "UI/Controls/UIContainer.h"

#include <memory>

// The animated traces of a modulated multi-line delay on a background tinted
// by the delay time (brighter for shorter times).
class MultiOscilloscopeContainer : public UIContainer, public juce::Timer
{
public:
    MultiOscilloscopeContainer (Parameter* parameter, std::string name);
    ~MultiOscilloscopeContainer() override;

    void attach (juce::AudioProcessorValueTreeState&) override {}
    void setDelayTime (float t);
    // The background's colour for the current delay time.
    juce::Colour backgroundColour() const;

    void timerCallback() override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    std::unique_ptr<MultiCurvesComponent> curves;
    float delayTime = 1.0f;
    bool needsRepaint = false;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MultiOscilloscopeContainer)
};
