#include "UI/Controls/XY/XYControlContainer.h"

#include "UI/Controls/ConvertStringForDisplay.h"
#include "UI/Controls/HostParameter.h"

#include <algorithm>
#include <cmath>

XYControlContainer::XYControlContainer (Parameter* x, Parameter* y, std::string title)
    : UIContainer (x, std::move (title)), xSettings (*x), ySettings (*y), xParameter (x), yParameter (y)
{
}

XYControlContainer::~XYControlContainer()
{
    stopTimer();
    if (valueTreeState != nullptr)
    {
        valueTreeState->removeParameterListener (juce::String::fromUTF8 (xSettings.id.c_str()), this);
        valueTreeState->removeParameterListener (juce::String::fromUTF8 (ySettings.id.c_str()), this);
    }
    endDrag();
}

void XYControlContainer::attach (juce::AudioProcessorValueTreeState& state)
{
    xHostParameter = HostParameter::find (state, xSettings.id);
    yHostParameter = HostParameter::find (state, ySettings.id);
    const auto xID = juce::String::fromUTF8 (xSettings.id.c_str());
    const auto yID = juce::String::fromUTF8 (ySettings.id.c_str());
    state.addParameterListener (xID, this);
    state.addParameterListener (yID, this);
    valueTreeState = &state;
    // The pad shows the stored values from the start, not (0, 0) until the
    // first change.
    if (xHostParameter != nullptr)
        parameterChanged (xID, HostParameter::read (xHostParameter));
    if (yHostParameter != nullptr)
        parameterChanged (yID, HostParameter::read (yHostParameter));
    startTimerHz (30);
}

void XYControlContainer::parameterChanged (const juce::String& id, float value)
{
    if (id == xSettings.id.c_str())
        updateLocation (value, &xLocation, &xSettings);
    else if (id == ySettings.id.c_str())
        updateLocation (value, &yLocation, &ySettings);
    needsRepaint = true;
}

void XYControlContainer::updateLocation (float value, std::atomic<float>* location, ParameterSettings* settings)
{
    const float span = settings->max - settings->min;
    const float fraction = span != 0.0f ? (value - settings->min) / span : 0.0f;
    location->store (std::isfinite (fraction) ? fraction : 0.0f);
}

void XYControlContainer::updateValue (float location, juce::RangedAudioParameter* host, ParameterSettings* settings)
{
    HostParameter::assign (host, settings->min + (settings->max - settings->min) * location);
}

void XYControlContainer::timerCallback()
{
    if (needsRepaint.exchange (false))
        repaint();
}

std::vector<ControlParameter> XYControlContainer::controlParameters() const
{
    return { ControlParameter { juce::String::fromUTF8 (convertStringForDislay (xSettings.id).c_str()), xParameter },
             ControlParameter { juce::String::fromUTF8 (convertStringForDislay (ySettings.id).c_str()), yParameter } };
}

void XYControlContainer::mouseDown (const juce::MouseEvent& e)
{
    if (e.mods.isRightButtonDown())
    {
        if (delegate != nullptr)
            delegate->onRightClickOnControl (controlParameters());
        return;
    }
    if (e.position.y < static_cast<float> (currentTitleHeight))
        return;
    if (! isDragging)
    {
        HostParameter::beginGesture (xHostParameter);
        HostParameter::beginGesture (yHostParameter);
    }
    isDragging = true;
    processEvent (e);
}

void XYControlContainer::mouseDrag (const juce::MouseEvent& e)
{
    if (! e.mods.isRightButtonDown())
        processEvent (e);
}

void XYControlContainer::mouseUp (const juce::MouseEvent& e)
{
    // Only a drag of the pad returns it to its minima: a press that was
    // ignored (in the title strip) leaves the parameters alone. Whether a drag
    // is ending is known from the press, not from the release's buttons: with
    // left and right held together the release may carry only the right one.
    juce::ignoreUnused (e);
    if (! latch && isDragging)
    {
        xLocation = 0.0f;
        yLocation = 0.0f;
        updateValue (0.0f, xHostParameter, &xSettings);
        updateValue (0.0f, yHostParameter, &ySettings);
        repaint();
    }
    endDrag();
}

void XYControlContainer::endDrag()
{
    if (isDragging)
    {
        HostParameter::endGesture (xHostParameter);
        HostParameter::endGesture (yHostParameter);
    }
    isDragging = false;
}

void XYControlContainer::processEvent (const juce::MouseEvent& e)
{
    if (! isDragging)
        return;
    const float t = static_cast<float> (currentTitleHeight);
    const float width = static_cast<float> (getWidth());
    const float padHeight = static_cast<float> (getHeight()) - t;
    const float dy = std::max (e.position.y, t) - t;
    const float x = width > 0.0f ? e.position.x / width : 0.0f;
    const float y = padHeight > 0.0f ? 1.0f - dy / padHeight : 1.0f;
    xLocation = std::clamp (x, 0.0f, 1.0f);
    yLocation = std::clamp (y, 0.0f, 1.0f);
    updateValue (xLocation, xHostParameter, &xSettings);
    updateValue (yLocation, yHostParameter, &ySettings);
    repaint();
}

void XYControlContainer::paint (juce::Graphics& g)
{
    const int width = getWidth();
    const int height = getHeight();
    const int t = currentTitleHeight;
    const juce::Rectangle<int> pad (0, t, width, std::max (height - t, 0));
    const float x = xLocation;
    const float y = yLocation;

    g.setColour (mainColor.withAlpha (0.7f * x));
    g.fillRect (pad);
    g.setColour (juce::Colours::white.withAlpha (0.7f * y));
    g.fillRect (pad);

    if (isDragging && showHandle)
    {
        const int hx = static_cast<int> (static_cast<float> (width) * x);
        const int hy = static_cast<int> (static_cast<float> (t) + static_cast<float> (height - t) * (1.0f - y));
        const int cx = std::min (std::max (hx, 10), width - 10);
        const int cy = std::min (std::max (hy, t + 10), height - 10);
        g.setColour (juce::Colours::white);
        g.fillEllipse (static_cast<float> (cx - 10), static_cast<float> (cy - 10), 20.0f, 20.0f);
        g.setColour (mainColor);
        g.fillEllipse (static_cast<float> (cx - 9), static_cast<float> (cy - 9), 18.0f, 18.0f);
    }

    g.setColour (juce::Colours::white);
    g.drawRect (pad, 1);
}

void XYControlContainer::resized()
{
    UIContainer::resized();
}
