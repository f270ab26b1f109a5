#pragma once

#include "UI/Controls/ParameterSettings.h"
#include "UI/Controls/UIContainer.h"

#include <atomic>

// Two frequency parameters on one horizontal axis on the note scale: a lower
// and an upper handle split the strip below the title into three coloured
// zones. A press between the handles (clear of both) moves the two together.
class DoubleSliderContainer : public UIContainer,
                              private juce::AudioProcessorValueTreeState::Listener,
                              public juce::Timer
{
public:
    using ParameterSettings = ::ParameterSettings;

    // `colours`: left, middle and right zone; missing ones take the defaults
    // (green, blue, red).
    DoubleSliderContainer (Parameter* first, Parameter* second, std::string name, std::vector<juce::Colour> colours);
    ~DoubleSliderContainer() override;

    void attach (juce::AudioProcessorValueTreeState& state) override;
    void timerCallback() override;

    // The location (0..1 between the range's ends on the note scale) of a value.
    void updateLocation (float value, std::atomic<float>* location, ParameterSettings* settings);
    // Writes the frequency of a location into a host parameter.
    void updateValue (float location, juce::RangedAudioParameter* host, ParameterSettings* settings);

    static float locationOf (float value, const ParameterSettings& settings);
    static float frequencyOf (float location, const ParameterSettings& settings);

    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    enum DragMode
    {
        dragFirst = 0,
        dragSecond = 1,
        dragBoth = 2,
        dragNone = 3
    };

    ParameterSettings firstSettings;
    ParameterSettings secondSettings;
    juce::RangedAudioParameter* firstHostParameter = nullptr;
    juce::RangedAudioParameter* secondHostParameter = nullptr;
    // Written by parameterChanged on any thread.
    std::atomic<float> firstLocation { 0.0f };
    std::atomic<float> secondLocation { 0.0f };
    float grabLocation = 0.0f;
    float firstLocationAtGrab = 0.0f;
    float secondLocationAtGrab = 0.0f;
    juce::AudioProcessorValueTreeState* valueTreeState = nullptr;
    Parameter* firstParameter;
    Parameter* secondParameter;
    int dragMode = dragNone;
    std::atomic<bool> needsRepaint { false };
    std::vector<juce::Colour> zoneColours;
    juce::Label minLabel;
    juce::Label maxLabel;

private:
    void parameterChanged (const juce::String& id, float value) override;
    void processEvent (const juce::MouseEvent& e);
    void beginGestures();
    void endGestures();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DoubleSliderContainer)
};
