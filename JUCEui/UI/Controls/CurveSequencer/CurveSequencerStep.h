#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "Parameters/Parameter.h"
#include "UI/Controls/CurveSequencer/CurveSequencerStepDelegate.h"
#include "UI/Controls/CurveSequencer/CurveSequencerStepFooter.h"
#include "UI/Controls/ParameterSettings.h"

#include <atomic>

// One step of the curve sequencer: a level (0..1) and a curve mode, both host
// parameters, drawn as the curve from this step's level towards the next
// step's, with the random range as a bar and the mode in the footer. It can
// blink to show the playing position.
class CurveSequencerStep : public juce::Component,
                           public juce::AudioProcessorValueTreeState::Listener,
                           public juce::Timer
{
public:
    using ParameterSettings = ::ParameterSettings;
    using CurveMode = CurveSequencerStepFooter::CurveMode;

    CurveSequencerStep (Parameter* valueParameter, Parameter* curveParameter, int index,
                        CurveSequencerStepDelegate* delegate);
    ~CurveSequencerStep() override;

    void attach (juce::AudioProcessorValueTreeState& state);
    // Sets the level and writes it to the host.
    void setValue (float v);
    // Sets the curve mode and writes it to the host.
    void setCurve (CurveMode m);
    void setRange (float range);
    void setColor (juce::Colour c);
    void setIsGrey (bool grey);
    // Starts a blink that fades out over `duration` timer ticks.
    void blinkStep (float duration);

    // Any thread: stores the value and asks the timer for a repaint.
    void parameterChanged (const juce::String& id, float newValue) override;
    void timerCallback() override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    // Start and end levels of the drawn curve for the current mode.
    float startLevel() const;
    float endLevel() const;

    CurveSequencerStepDelegate* delegate;
    juce::AudioProcessorValueTreeState* state = nullptr;
    ParameterSettings valueSettings;
    ParameterSettings curveSettings;
    juce::RangedAudioParameter* valueParameter = nullptr;
    juce::RangedAudioParameter* curveParameter = nullptr;
    CurveSequencerStepFooter footer;
    std::atomic<float> value { 0.5f };
    float randomRange = 0.0f;
    float nextValue = 0.5f;
    std::atomic<int> curveMode { 0 };
    int index;
    bool isGrey = false;
    juce::Colour color;
    std::atomic<bool> needsRepaint { false };
    bool isBlinking = false;
    int blinkCounter = 0;
    float blinkAlpha = 0.0f;
    float blinkDuration = 0.0f;
    juce::Rectangle<float> shapeArea;

private:
    void paintShape (juce::Graphics& g);
    void paintRange (juce::Graphics& g);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CurveSequencerStep)
};
