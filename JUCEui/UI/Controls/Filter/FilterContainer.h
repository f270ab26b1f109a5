#pragma once

#include "ProcessBlock/Filters/BiquadFilterType.h"
#include "UI/Controls/XY/XYControlContainer.h"

#include <atomic>
#include <cstddef>

// A filter shown as its magnitude response over a fixed 12 Hz, eleven-octave
// axis (-24..+24 dB): dragging moves the frequency (horizontally, on the note
// scale of the parameter's range) and the resonance (vertically).
class FilterContainer : public XYControlContainer
{
public:
    FilterContainer (Parameter* frequency, Parameter* resonance, std::string name);

    // Any thread: the curve is rebuilt by the next timer tick and paint.
    void setType (BiquadFilterType t);

    // Mappings of the drawing's axes.
    float valueAtGridIndex (float x) const;
    float frequencyValueForLocation (float x) const;
    float locationForDBValue (float db) const;

    void paint (juce::Graphics& g) override;
    void resized() override;
    void timerCallback() override;
    void updateValue (float location, juce::RangedAudioParameter* host, ParameterSettings* settings) override;

    std::atomic<BiquadFilterType> filterType { LowPass };
    float minFrequency = 12.0f;
    std::size_t octaveCount = 11;
    float dbRange = 24.0f;
    juce::Label descriptionLabel;
    // The filled response; empty until the next paint rebuilds it.
    juce::Path curvePath;

    // Highest frequency drawn and labelled: just under the display's Nyquist.
    static constexpr double maxFrequency = 22050.0 / 1.005;

private:
    void rebuildCurve();
    void setDescriptionLabelText (float frequency, float resonance);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FilterContainer)
};
