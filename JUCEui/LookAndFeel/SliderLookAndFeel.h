#pragma once

#include "LookAndFeel/CommonLookAndFeel.h"

#include <string>
#include <vector>

// Draws one slider: a linear bar from the thumb down in a white frame with the
// value beside the thumb, or a rotary ring whose gap and dot turn with the
// value around the value text or a small waveform sketch. One instance per
// slider: the cached paths belong to that slider.
class SliderLookAndFeel : public CommonLookAndFeel
{
public:
    SliderLookAndFeel() = default;

    void drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                           float minSliderPos, float maxSliderPos, juce::Slider::SliderStyle style,
                           juce::Slider& slider) override;
    void drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                           float rotaryStartAngle, float rotaryEndAngle, juce::Slider& slider) override;
    juce::Slider::SliderLayout getSliderLayout (juce::Slider& slider) override;

    // The value's name from `valueNames`, or the slider's text for its value
    // with the unit's decimals and suffix.
    std::string textValue (juce::Slider& slider) const;

    void drawWaveform (juce::Graphics& g, int x, int y, int width, int height, juce::Slider& slider);
    void drawShape (juce::Graphics& g, int x, int y, int width, int height, juce::Slider& slider);
    void drawWarmth (juce::Graphics& g, int x, int y, int width, int height, juce::Slider& slider);

    // Display names by integer value; when not empty they replace the number.
    std::vector<std::string> valueNames;
    bool isWaveform = false;
    // "shape" or "warmth"; any other name draws no sketch.
    std::string waveformName;

    // Value (and geometry) for which the paths below were built: a repaint
    // with nothing changed only fills or strokes them again. Kept as the
    // slider's own double: a float copy would differ from most values (0.1,
    // any value off the float grid) and rebuild the paths on every repaint.
    double lastValue = 0.0;
    juce::Path knobPath;
    juce::Path waveformPath;

private:
    // Clears both paths when the value or the drawing area changed.
    void invalidateCacheIfNeeded (const juce::Slider& slider, juce::Rectangle<int> area, float angleKey);

    juce::Rectangle<int> lastArea;
    float lastAngleKey = 0.0f;
};
