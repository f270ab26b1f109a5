#pragma once

#include "UI/Controls/OnOff/OnOffContainer.h"
#include "UI/Controls/ParameterSettings.h"
#include "UI/Controls/UIContainer.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <memory>

// The combined response of a low-pass and a high-pass filter over a fixed
// 12 Hz, eleven-octave axis (-24..+24 dB). Dragging moves the nearer enabled
// filter's corner: horizontally its cutoff, vertically its resonance. An
// on/off switch for each filter sits in the top corners ("HP" left, "LP"
// right), with a description label under it.
class DoubleFilterContainer : public UIContainer,
                              private juce::AudioProcessorValueTreeState::Listener,
                              public juce::Timer
{
public:
    using ParameterSettings = ::ParameterSettings;

    // Indices of the six parameters, in constructor order.
    enum Index
    {
        lowPassFrequency = 0,
        lowPassResonance,
        lowPassOn,
        highPassFrequency,
        highPassResonance,
        highPassOn,
        parameterCount
    };

    struct FilterState
    {
        std::atomic<float> frequencyLocation { 0.0f };
        std::atomic<float> resonanceLocation { 0.0f };
        std::atomic<bool> isOn { false };
    };

    DoubleFilterContainer (Parameter* p0, Parameter* p1, Parameter* p2, Parameter* p3, Parameter* p4, Parameter* p5,
                           std::string name);
    ~DoubleFilterContainer() override;

    void attach (juce::AudioProcessorValueTreeState& state) override;
    void setMainColor (juce::Colour c) override;
    void timerCallback() override;
    virtual void updateValue (float location, juce::RangedAudioParameter* host, ParameterSettings* settings);
    virtual void updateLocation (float value, std::atomic<float>* location, ParameterSettings* settings);

    // Axis mappings shared by layout, handles and curve.
    float locationForFrequencyValue (float frequency) const;
    float frequencyValueForLocation (float x) const;
    float locationForDBValue (float db) const;
    float valueAtGridIndex (float i) const;

    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    static constexpr double maxFrequency = 22050.0 / 1.005;

    std::array<std::unique_ptr<ParameterSettings>, parameterCount> parameterSettings;
    std::array<juce::RangedAudioParameter*, parameterCount> hostParameters {};
    juce::AudioProcessorValueTreeState* valueTreeState = nullptr;
    std::array<Parameter*, parameterCount> parameters {};
    FilterState lowPassState;
    FilterState highPassState;
    float minFrequency = 12.0f;
    std::size_t octaveCount = 11;
    float dbRange = 24.0f;
    std::atomic<bool> needsRepaint { false };
    std::unique_ptr<OnOffContainer> lowPassOnOff;
    juce::Label lowPassLabel;
    std::unique_ptr<OnOffContainer> highPassOnOff;
    juce::Label highPassLabel;
    bool isDragging = false;
    bool isDraggingLowPass = false;
    juce::Point<int> lowPassHandle;
    juce::Point<int> highPassHandle;
    juce::Path curvePath;

private:
    void parameterChanged (const juce::String& id, float value) override;
    void processEvent (const juce::MouseEvent& e);
    void placeHandles();
    void paintCurve (juce::Graphics& g);
    void rebuildCurve();
    void setDescriptionLabelText (bool isLowPass, float frequency, float resonance);
    juce::String idOf (int index) const;
    bool isFromSwitch (const juce::MouseEvent& e) const;
    void endDrag();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DoubleFilterContainer)
};
