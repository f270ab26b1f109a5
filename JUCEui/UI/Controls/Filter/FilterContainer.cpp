#include "UI/Controls/Filter/FilterContainer.h"

#include "LookAndFeel/Palette.h"
#include "ProcessBlock/Filters/BiquadCoefficients.h"
#include "UI/Controls/FixedNumber.h"
#include "UI/Controls/HostParameter.h"

#include <algorithm>
#include <cmath>

FilterContainer::FilterContainer (Parameter* frequency, Parameter* resonance, std::string title)
    : XYControlContainer (frequency, resonance, std::move (title))
{
    latch = true;
    descriptionLabel.setJustificationType (juce::Justification::left);
    descriptionLabel.setFont (juce::Font (Karvon::getFontLight()).withHeight (17.0f));
    addAndMakeVisible (descriptionLabel);
}

void FilterContainer::setType (BiquadFilterType t)
{
    filterType = t;
    needsRepaint = true;
}

float FilterContainer::valueAtGridIndex (float x) const
{
    return minFrequency * std::exp2 (x);
}

float FilterContainer::frequencyValueForLocation (float x) const
{
    return minFrequency * std::exp2 (x / (static_cast<float> (getWidth()) / static_cast<float> (octaveCount)));
}

float FilterContainer::locationForDBValue (float db) const
{
    const float height = static_cast<float> (getHeight());
    return height - (db + dbRange) * (height - static_cast<float> (currentTitleHeight)) / (2.0f * dbRange);
}

void FilterContainer::resized()
{
    XYControlContainer::resized();
    // The curve is drawn for one size: a new size needs a new curve.
    curvePath.clear();
    descriptionLabel.setBounds (0, 26, getWidth(), 18);
}

void FilterContainer::timerCallback()
{
    // One exchange: a change that arrives after it raises the flag again and
    // is drawn at the next tick, never consumed without a new curve.
    if (needsRepaint.exchange (false))
    {
        curvePath.clear();
        repaint();
    }
}

void FilterContainer::updateValue (float location, juce::RangedAudioParameter* host, ParameterSettings* settings)
{
    if (host != xHostParameter)
    {
        XYControlContainer::updateValue (location, host, settings);
        return;
    }
    // The frequency drawn under the pointer on the display's own axis, so
    // that the curve's corner follows the pointer; the parameter's range
    // bounds it.
    const float frequency = frequencyValueForLocation (location * static_cast<float> (getWidth()));
    HostParameter::assign (host, std::clamp (frequency, settings->min, settings->max));
}

void FilterContainer::setDescriptionLabelText (float frequency, float resonance)
{
    const auto text = "F: " + FixedNumber::format (frequency, 0) + "Hz / Q: " + FixedNumber::format (resonance, 2) + "dB";
    descriptionLabel.setText (text, juce::dontSendNotification);
}

void FilterContainer::rebuildCurve()
{
    BiquadCoefficients coefficients; // at the display's fixed 44100 Hz
    const float frequency = std::min (std::max (minFrequency, HostParameter::read (xHostParameter)),
                                      static_cast<float> (maxFrequency));
    const float resonance = std::clamp (HostParameter::read (yHostParameter), -24.0f, 24.0f);
    setDescriptionLabelText (frequency, resonance);
    const BiquadFilterType type = filterType;
    coefficients.calculateParams (frequency, resonance, 0.0f, type);

    const int width = getWidth();
    const float height = static_cast<float> (getHeight());
    const float plotHeight = height - static_cast<float> (currentTitleHeight);
    const double pixelsPerOctave = static_cast<double> (width) / static_cast<double> (octaveCount);
    // Points far outside the plot are drawn at a finite distance, so that a
    // zero magnitude cannot put an infinite coordinate into the path.
    const float limit = 4.0f * std::max (height, 1.0f);

    curvePath.startNewSubPath (0.0f, height);
    for (int i = 0; i < width; ++i)
    {
        const double f = std::clamp (static_cast<double> (minFrequency) * std::exp2 (i / pixelsPerOctave),
                                     static_cast<double> (minFrequency), maxFrequency);
        const double magnitude = coefficients.magnitudeForFrequency (f / 22050.0);
        const auto db = static_cast<float> (20.0 * std::log10 (magnitude));
        float y = height - (db + dbRange) * plotHeight / (2.0f * dbRange);
        y = std::isnan (y) ? height : std::clamp (y, -limit, limit);
        curvePath.lineTo (static_cast<float> (i), y);
    }
    if (type != LowPass)
        curvePath.lineTo (static_cast<float> (width), height * 0.5f);
    curvePath.lineTo (static_cast<float> (width), height);
    curvePath.closeSubPath();
}

void FilterContainer::paint (juce::Graphics& g)
{
    if (curvePath.isEmpty())
        rebuildCurve();

    const float width = static_cast<float> (getWidth());
    const float height = static_cast<float> (getHeight());
    g.setGradientFill (juce::ColourGradient (mainColor, 0.0f, height * 0.5f, mainColor.withAlpha (0.4f), 0.0f, height, false));
    g.fillPath (curvePath);
    g.setColour (juce::Colours::white);
    g.strokePath (curvePath, juce::PathStrokeType (1.0f));
    g.drawRect (juce::Rectangle<float> (0.0f, static_cast<float> (currentTitleHeight), width,
                                        std::max (height - static_cast<float> (currentTitleHeight), 0.0f)),
                1.0f);
}
