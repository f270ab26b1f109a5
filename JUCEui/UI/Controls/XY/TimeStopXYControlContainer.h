#pragma once

#include "UI/Controls/XY/XYControlContainer.h"

// The pad of a time-stop effect: while pressed it holds a momentary trigger
// parameter at 1, shows the delay time (50 to 2000 ms from the pad's height)
// and a preview of the curve its width selects, and pulses while its owner
// reports the effect holding. A speed-shape icon shows through a sector whose
// angle follows the owner's speed value.
class TimeStopXYControlContainer : public XYControlContainer
{
public:
    TimeStopXYControlContainer (Parameter* x, Parameter* y, Parameter* trigger, std::string name);
    ~TimeStopXYControlContainer() override;

    void attach (juce::AudioProcessorValueTreeState& state) override;
    // The visible part of the icon as a fraction of a full turn (-1: all of it).
    void setSpeed (float s);
    void setIsTriggerHolding (bool holding);

    void timerCallback() override;
    void mouseDown (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    // The icon outline in its 100 x 100 design box.
    static juce::Path createSpeedShapeOutline();

    ParameterSettings triggerSettings;
    juce::RangedAudioParameter* triggerHostParameter = nullptr;
    Parameter* triggerParameter;
    float speed = -1.0f;
    bool isTriggerHolding = false;
    int holdCounter = 0;
    juce::Label timeLabel;
    juce::Label statusLabel;
    juce::Path speedShapeIcon;
    float indicatorHeight = 0.0f;
    float indicatorWidth = 0.0f;
    float indicatorMargin = 0.0f;

private:
    // Sets the trigger back to 0 and ends its gesture, when a press holds it.
    void releaseTrigger();
    bool triggerHeld = false;
    void drawHoldingFeedback (juce::Graphics& g);
    void drawSquareShape (juce::Graphics& g, float trigger);
    void drawCurveIndicator (juce::Graphics& g, float trigger);
    void drawSpeedShape (juce::Graphics& g);
    void drawSpeedShapeIcon (juce::Graphics& g);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TimeStopXYControlContainer)
};
