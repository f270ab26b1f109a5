#include "LookAndFeel/SliderLookAndFeel.h"

#include <algorithm>
#include <cmath>

namespace
{
// The sketches are drawn for values of 0..100; outside that range the warmth
// curve would divide by tanh(0).
float sketchProportion (const juce::Slider& slider)
{
    const double value = std::clamp (slider.getValue(), 0.0, 100.0);
    return static_cast<float> (value / 100.0);
}
} // namespace

juce::Slider::SliderLayout SliderLookAndFeel::getSliderLayout (juce::Slider& slider)
{
    juce::Slider::SliderLayout layout;
    layout.sliderBounds = slider.getLocalBounds();
    layout.textBoxBounds = {};
    return layout;
}

std::string SliderLookAndFeel::textValue (juce::Slider& slider) const
{
    const double value = slider.getValue();
    if (! valueNames.empty() && std::isfinite (value))
    {
        const double index = std::trunc (value);
        if (index >= 0.0 && index < static_cast<double> (valueNames.size()))
            return valueNames[static_cast<size_t> (index)];
        // A value the names do not cover falls back to its number.
    }
    return updateValueText (slider.getTextFromValue (value).toStdString());
}

void SliderLookAndFeel::invalidateCacheIfNeeded (const juce::Slider& slider, juce::Rectangle<int> area, float angleKey)
{
    // The paths depend on the value and on where they are drawn: a resize or
    // a new angle range rebuilds them as well, so a knob never shows a ring
    // of its former size.
    const double value = slider.getValue();
    if (value != lastValue || area != lastArea || angleKey != lastAngleKey)
    {
        knobPath.clear();
        waveformPath.clear();
        lastValue = value;
        lastArea = area;
        lastAngleKey = angleKey;
    }
}

void SliderLookAndFeel::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                                          float, float, juce::Slider::SliderStyle, juce::Slider& slider)
{
    invalidateCacheIfNeeded (slider, { x, y, width, height }, sliderPos);
    if (knobPath.isEmpty())
        knobPath.addRectangle (static_cast<float> (x), sliderPos, static_cast<float> (width),
                               static_cast<float> (y + height) - sliderPos);

    const auto top = isGrey ? mainColor.withAlpha (0.4f) : mainColor;
    const auto bottom = mainColor.withAlpha (isGrey ? 0.1f : 0.6f);
    g.setGradientFill (juce::ColourGradient (top, 0.0f, static_cast<float> (height / 2), bottom, 0.0f,
                                             static_cast<float> (height), false));
    g.fillPath (knobPath);

    g.setColour (juce::Colours::white);
    g.drawRect (x, y, width, height, 1);

    g.setFont (getValueFont());
    // On top of the bar, or just inside it when the thumb is near the top.
    const float textTop = sliderPos >= static_cast<float> (textHeight) ? sliderPos - static_cast<float> (textHeight)
                                                                        : sliderPos;
    g.drawFittedText (juce::String::fromUTF8 (textValue (slider).c_str()), 0, static_cast<int> (textTop), width,
                      textHeight, juce::Justification::centred, 2, 0.0f);
}

void SliderLookAndFeel::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                                          float rotaryStartAngle, float rotaryEndAngle, juce::Slider& slider)
{
    const float angle = rotaryStartAngle + sliderPos * (rotaryEndAngle - rotaryStartAngle);
    invalidateCacheIfNeeded (slider, { x, y, width, height }, angle);
    const float cy = static_cast<float> (y) + static_cast<float> (height) * 0.5f;

    if (knobPath.isEmpty())
    {
        const float cx = static_cast<float> (x) + static_cast<float> (width) * 0.5f;
        const int r = std::min (height / 2, width / 2);
        const auto radius = static_cast<float> (r - 2);
        // A ring open at the bottom, and the dot in the opening; both turn
        // together so the dot points at the value.
        knobPath.addArc (cx - radius, cy - radius, 2.0f * radius, 2.0f * radius, -0.9f * juce::MathConstants<float>::pi,
                         0.9f * juce::MathConstants<float>::pi, true);
        knobPath.addEllipse (cx - 3.0f, static_cast<float> (y + height - 12), 6.0f, 6.0f);
        knobPath.applyTransform (
            juce::AffineTransform::rotation (angle - juce::MathConstants<float>::pi, cx, cy));
    }

    g.setColour (isGrey ? mainColor.withAlpha (0.4f) : mainColor);
    g.strokePath (knobPath, juce::PathStrokeType (1.5f));

    g.setColour (juce::Colours::white);
    g.setFont (getValueFont());
    if (! isWaveform)
    {
        g.drawFittedText (juce::String::fromUTF8 (textValue (slider).c_str()),
                          static_cast<int> (static_cast<float> (width) * 0.25f),
                          static_cast<int> (cy - static_cast<float> (textHeight) * 0.5f),
                          static_cast<int> (static_cast<float> (width) * 0.5f), textHeight,
                          juce::Justification::centred, 2, 0.0f);
    }
    else
    {
        drawWaveform (g, x, y, width, height, slider);
    }
}

void SliderLookAndFeel::drawWaveform (juce::Graphics& g, int x, int y, int width, int height, juce::Slider& slider)
{
    if (waveformName == "shape")
        drawShape (g, x, y, width, height, slider);
    else if (waveformName == "warmth")
        drawWarmth (g, x, y, width, height, slider);
}

void SliderLookAndFeel::drawShape (juce::Graphics& g, int x, int y, int width, int height, juce::Slider& slider)
{
    if (waveformPath.isEmpty())
    {
        // A pulse whose edges steepen and whose top widens as the value rises;
        // it always spans a third of the width.
        const float s = sketchProportion (slider) * 5.0f + 1.0f;
        const float w = 20.0f / (2.0f * s);
        const float a = (1.0f - 2.0f * w / 20.0f) * 0.5f;
        const auto cx = static_cast<float> (x + width / 2);
        const double yb = y + height * 0.6;
        for (int i = -20; i <= 20; ++i)
        {
            const float t = static_cast<float> (i) / 40.0f;
            const float offset = i < 0 ? -a : a;
            const float px = (offset + 2.0f * t * w / 20.0f) * static_cast<float> (width);
            const auto pointX = cx + px / 3.0f;
            const auto pointY = static_cast<float> (
                yb - ((std::cos (2.0 * juce::MathConstants<double>::pi * t) + 1.0) * 0.5 * height) * 0.25);
            if (i == -20)
                waveformPath.startNewSubPath (pointX, pointY);
            else
                waveformPath.lineTo (pointX, pointY);
        }
    }
    g.strokePath (waveformPath, juce::PathStrokeType (2.0f));
}

void SliderLookAndFeel::drawWarmth (juce::Graphics& g, int x, int y, int width, int height, juce::Slider& slider)
{
    if (waveformPath.isEmpty())
    {
        // A saturation curve that bends harder as the value rises.
        const float k = sketchProportion (slider) * 0.5f * 10.0f + 0.01f;
        const float tanhK = std::tanh (k);
        const auto cx = static_cast<float> (x + width / 2);
        const auto cy = static_cast<float> (y + height / 2);
        for (int i = -20; i <= 20; ++i)
        {
            const float u = static_cast<float> (i) / 20.0f;
            const float pointX = cx + u * static_cast<float> (width) * 0.15f;
            const float pointY = cy - (std::tanh (k * u) / tanhK) * static_cast<float> (height) * 0.15f;
            if (i == -20)
                waveformPath.startNewSubPath (pointX, pointY);
            else
                waveformPath.lineTo (pointX, pointY);
        }
    }
    g.strokePath (waveformPath, juce::PathStrokeType (2.0f));
}
