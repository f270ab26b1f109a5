#include "UI/Controls/Oscilloscopes/MultiCurvesComponent.h"

#include "LookAndFeel/Palette.h"

#include <algorithm>
#include <cmath>
#include <numbers>

MultiCurvesComponent::MultiCurvesComponent()
{
    for (const auto& c : { Karvon::blue, Karvon::green, Karvon::orange, Karvon::red })
        colours.push_back ({ c, c.darker (0.4f) });
    // The container draws the background.
    setOpaque (false);
    setFramesPerSecond (60);
}

void MultiCurvesComponent::update()
{
    if (! isPaused)
        time += getMillisecondsSinceLastUpdate();
}

void MultiCurvesComponent::mouseDown (const juce::MouseEvent& e)
{
    // The right button opens the control editor through the container.
    if (! e.mods.isLeftButtonDown() || e.mods.isPopupMenu())
        return;
    isPaused = ! isPaused;
}

void MultiCurvesComponent::resized()
{
    centreY = static_cast<float> (getHeight() / 2);
    xStep = static_cast<float> (getWidth()) / pointCount;
    phaseStep = 4.0f * std::numbers::pi_v<float> / pointCount;
}

juce::Path MultiCurvesComponent::tracePath (int line, int channel) const
{
    constexpr double pi = std::numbers::pi;
    // A rate that is not a positive number stands still rather than drawing NaN.
    const double scroll = rate > 0.0f && std::isfinite (rate) ? std::sqrt (static_cast<double> (rate)) / 30.0 * time * 0.4 : 0.0;
    const double lines = static_cast<double> (std::max (delayLinesCount, 1));
    const double phi = -static_cast<double> (offset) * line * 0.5 / lines - static_cast<double> (width) * channel * 0.5;
    const float depth = channel == 1 ? rightDepth : (equalDepth ? rightDepth : leftDepth);

    juce::Path path;
    path.startNewSubPath (0.0f, centreY);
    for (int p = 0; static_cast<float> (p) <= pointCount; ++p)
    {
        // The phase is reduced to one period before it is rounded to float.
        const double phase = std::fmod (2.0 * pi * phi + static_cast<double> (phaseStep) * (p - scroll), 2.0 * pi);
        path.lineTo (xStep * static_cast<float> (p), centreY + static_cast<float> (std::sin (phase)) * centreY * depth);
    }
    path.lineTo (static_cast<float> (getWidth()), centreY);
    return path;
}

void MultiCurvesComponent::paint (juce::Graphics& g)
{
    // Four colour pairs: at most four lines of two channels.
    const int channels = std::clamp (channelCount, 0, maxChannels);
    const int lines = std::clamp (delayLinesCount, 0, maxDelayLines);
    for (int c = channels - 1; c >= 0; --c)
        for (int l = lines - 1; l >= 0; --l)
        {
            g.setColour (colours[static_cast<std::size_t> (l)][static_cast<std::size_t> (c)]);
            g.strokePath (tracePath (l, c), juce::PathStrokeType (feedback + 1.0f));
        }
}

void MultiCurvesComponent::setWidth (float w)
{
    width = w;
}

void MultiCurvesComponent::setOffset (float o)
{
    offset = o;
}

void MultiCurvesComponent::setFeedback (float f)
{
    feedback = f;
}

void MultiCurvesComponent::setLeftDepth (float d)
{
    leftDepth = d;
}

void MultiCurvesComponent::setRightDepth (float d)
{
    rightDepth = d;
}

void MultiCurvesComponent::setRate (float r)
{
    rate = r;
}

void MultiCurvesComponent::setEqualDepth (bool equal)
{
    equalDepth = equal;
}

void MultiCurvesComponent::setDelayLinesCount (int count)
{
    delayLinesCount = count;
}

void MultiCurvesComponent::initCurves (int lines, float newOffset, float newWidth, float newRightDepth, float newLeftDepth,
                                       bool newEqualDepth, float newFeedback, float newRate)
{
    delayLinesCount = lines;
    offset = newOffset;
    width = newWidth;
    rightDepth = newRightDepth;
    leftDepth = newLeftDepth;
    equalDepth = newEqualDepth;
    feedback = newFeedback;
    rate = newRate;
}
