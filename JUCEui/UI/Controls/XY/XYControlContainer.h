#pragma once

#include "UI/Controls/ParameterSettings.h"
#include "UI/Controls/UIContainer.h"

#include <atomic>

// A two-dimensional pad editing two parameters at once: the horizontal position
// maps onto the first parameter's range, the vertical one (from the bottom)
// onto the second's. Without `latch` the pad returns to its minima on release.
class XYControlContainer : public UIContainer,
                           private juce::AudioProcessorValueTreeState::Listener,
                           public juce::Timer
{
public:
    using ParameterSettings = ::ParameterSettings;

    XYControlContainer (Parameter* x, Parameter* y, std::string name);
    ~XYControlContainer() override;

    // Looks both host parameters up, listens to them, places the pad point at
    // their current values and starts the 30 Hz timer.
    void attach (juce::AudioProcessorValueTreeState& state) override;

    void timerCallback() override;
    // Writes the value of a pad fraction (0..1) into a host parameter.
    virtual void updateValue (float location, juce::RangedAudioParameter* host, ParameterSettings* settings);
    // The pad fraction of a value; 0 when the range is empty.
    virtual void updateLocation (float value, std::atomic<float>* location, ParameterSettings* settings);

    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    ParameterSettings xSettings;
    ParameterSettings ySettings;
    juce::RangedAudioParameter* xHostParameter = nullptr;
    juce::RangedAudioParameter* yHostParameter = nullptr;
    // Written by parameterChanged on any thread, read on the message thread.
    std::atomic<float> xLocation { 0.0f };
    std::atomic<float> yLocation { 0.0f };
    juce::AudioProcessorValueTreeState* valueTreeState = nullptr;
    bool latch = false;
    Parameter* xParameter;
    Parameter* yParameter;
    bool isDragging = false;
    std::atomic<bool> needsRepaint { false };
    bool showHandle = true;

protected:
    // Any thread: stores the location and asks the timer for a repaint.
    void parameterChanged (const juce::String& id, float value) override;
    // Applies the pointer to both axes (while dragging).
    void processEvent (const juce::MouseEvent& e);
    // Both axis parameters, for the delegate.
    std::vector<ControlParameter> controlParameters() const;
    void endDrag();
    // This container as a parameter listener, for subclasses that listen to
    // further parameters (the listener base is private).
    juce::AudioProcessorValueTreeState::Listener* asParameterListener() noexcept { return this; }

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (XYControlContainer)
};
