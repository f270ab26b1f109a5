#include "UI/Controls/CurveSequencer/CurveSequencerStep.h"

#include "LookAndFeel/Palette.h"
#include "UI/Controls/HostParameter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

CurveSequencerStep::CurveSequencerStep (Parameter* level, Parameter* curve, int stepIndex, CurveSequencerStepDelegate* owner)
    : delegate (owner), valueSettings (*level), curveSettings (*curve), index (stepIndex), color (Karvon::blue)
{
    addAndMakeVisible (footer);
    startTimerHz (30);
}

CurveSequencerStep::~CurveSequencerStep()
{
    stopTimer();
    if (state != nullptr)
    {
        state->removeParameterListener (juce::String::fromUTF8 (valueSettings.id.c_str()), this);
        state->removeParameterListener (juce::String::fromUTF8 (curveSettings.id.c_str()), this);
    }
}

void CurveSequencerStep::attach (juce::AudioProcessorValueTreeState& tree)
{
    valueParameter = HostParameter::find (tree, valueSettings.id);
    curveParameter = HostParameter::find (tree, curveSettings.id);
    tree.addParameterListener (juce::String::fromUTF8 (valueSettings.id.c_str()), this);
    tree.addParameterListener (juce::String::fromUTF8 (curveSettings.id.c_str()), this);
    state = &tree;
    value = HostParameter::read (valueParameter);
    curveMode = static_cast<int> (std::lround (HostParameter::read (curveParameter)));
    footer.setCurveMode (curveMode);
    needsRepaint = true;
}

void CurveSequencerStep::parameterChanged (const juce::String& id, float newValue)
{
    if (id == valueSettings.id.c_str())
        value = newValue;
    else if (id == curveSettings.id.c_str())
        // The footer takes the mode on the message thread (timerCallback).
        curveMode = static_cast<int> (std::lround (newValue));
    needsRepaint = true;
}

void CurveSequencerStep::setValue (float v)
{
    value = v;
    HostParameter::assign (valueParameter, v);
}

void CurveSequencerStep::setCurve (CurveMode m)
{
    curveMode = m;
    footer.setCurveMode (m);
    HostParameter::assign (curveParameter, static_cast<float> (m));
}

void CurveSequencerStep::setRange (float range)
{
    randomRange = range;
    repaint();
}

void CurveSequencerStep::setColor (juce::Colour c)
{
    color = c;
    footer.setColor (c);
    repaint();
}

void CurveSequencerStep::setIsGrey (bool grey)
{
    isGrey = grey;
    footer.setIsGrey (grey);
    repaint();
}

void CurveSequencerStep::blinkStep (float duration)
{
    blinkDuration = duration;
    blinkCounter = 0;
    isBlinking = true;
}

void CurveSequencerStep::timerCallback()
{
    if (needsRepaint.exchange (false))
    {
        footer.setCurveMode (curveMode);
        repaint();
        if (delegate != nullptr)
            delegate->onValueSet (index, value);
    }
    else if (isBlinking)
    {
        const float d = blinkDuration - static_cast<float> (blinkCounter);
        blinkAlpha = blinkDuration > 0.0f ? std::clamp (0.8f * d / blinkDuration, 0.0f, 0.8f) : 0.0f;
        if (d < 0.0f)
        {
            blinkCounter = 0;
            blinkAlpha = 0.0f;
            isBlinking = false;
        }
        else
        {
            ++blinkCounter;
        }
        repaint();
    }
}

void CurveSequencerStep::resized()
{
    const float width = static_cast<float> (getWidth());
    const float height = static_cast<float> (getHeight());
    shapeArea = { 0.0f, 0.0f, width, 0.88f * height };
    footer.setBounds (0, static_cast<int> (0.88f * height), getWidth(), static_cast<int> (0.12f * height));
}

float CurveSequencerStep::startLevel() const
{
    return curveMode == CurveSequencerStepFooter::fall ? 1.0f : value.load();
}

float CurveSequencerStep::endLevel() const
{
    switch (curveMode.load())
    {
        case CurveSequencerStepFooter::towardsNext:
        case CurveSequencerStepFooter::smooth:
            return nextValue;
        case CurveSequencerStepFooter::rise:
            return 1.0f;
        default:
            return value;
    }
}

void CurveSequencerStep::paint (juce::Graphics& g)
{
    paintShape (g);
    paintRange (g);
}

void CurveSequencerStep::paintShape (juce::Graphics& g)
{
    constexpr float pi = std::numbers::pi_v<float>;
    const float s = startLevel();
    const float e = endLevel();
    const float w = shapeArea.getWidth();
    const float h = shapeArea.getHeight();

    juce::Path path;
    path.startNewSubPath (0.0f, (1.0f - s) * h);
    if (curveMode == CurveSequencerStepFooter::smooth)
        for (int i = 0; i <= 20; ++i)
        {
            const float t = static_cast<float> (i) / 20.0f;
            const float k = std::sin (t * pi - pi / 2.0f) * 0.5f + 0.5f;
            path.lineTo (t * w, ((1.0f - k) * (1.0f - s) + k * (1.0f - e)) * h);
        }
    path.lineTo (w, (1.0f - e) * h);
    g.setColour (color.withAlpha (isGrey ? 0.2f : 1.0f));
    g.strokePath (path, juce::PathStrokeType (2.0f));

    path.lineTo (w, h);
    path.lineTo (0.0f, h);
    path.closeSubPath();
    g.setGradientFill (juce::ColourGradient (color.withAlpha (isGrey ? 0.2f : 0.5f), 0.0f, h * 0.5f,
                                             color.withAlpha (isGrey ? 0.05f : 0.2f), 0.0f, h, false));
    g.fillPath (path);

    g.setColour (juce::Colours::white.withAlpha (blinkAlpha));
    g.fillRect (getLocalBounds());
}

void CurveSequencerStep::paintRange (juce::Graphics& g)
{
    const float w = shapeArea.getWidth();
    const float h = shapeArea.getHeight();
    const float level = (1.0f - value.load()) * h;
    juce::Path line;
    line.startNewSubPath (w / 2.0f, level + randomRange * h / 2.0f);
    line.lineTo (w / 2.0f, level - randomRange * h / 2.0f);
    g.setColour (color.brighter (0.3f).withAlpha (0.8f));
    g.strokePath (line, juce::PathStrokeType (static_cast<float> (getWidth() / 6), juce::PathStrokeType::curved,
                                              juce::PathStrokeType::rounded));
}
