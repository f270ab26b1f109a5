#include "UI/Controls/Slider/DoubleSliderContainer.h"

#include "LookAndFeel/Palette.h"
#include "Math/NoteScale.h"
#include "UI/Controls/ConvertStringForDisplay.h"
#include "UI/Controls/HostParameter.h"

#include <algorithm>
#include <cmath>

DoubleSliderContainer::DoubleSliderContainer (Parameter* first, Parameter* second, std::string title,
                                              std::vector<juce::Colour> colours)
    : UIContainer (first, std::move (title)),
      firstSettings (*first),
      secondSettings (*second),
      firstParameter (first),
      secondParameter (second),
      zoneColours { Karvon::green, Karvon::blue, Karvon::red }
{
    addAndMakeVisible (minLabel);
    addAndMakeVisible (maxLabel);
    const auto font = juce::Font (Karvon::getFontLight()).withHeight (18.0f);
    minLabel.setFont (font);
    maxLabel.setFont (font);
    minLabel.setJustificationType (juce::Justification::left);
    maxLabel.setJustificationType (juce::Justification::right);
    minLabel.setInterceptsMouseClicks (false, false);
    maxLabel.setInterceptsMouseClicks (false, false);

    // The given colours replace the defaults; painting needs three zones.
    for (std::size_t i = 0; i < std::min<std::size_t> (colours.size(), zoneColours.size()); ++i)
        zoneColours[i] = colours[i];
    for (std::size_t i = zoneColours.size(); i < colours.size(); ++i)
        zoneColours.push_back (colours[i]);
}

DoubleSliderContainer::~DoubleSliderContainer()
{
    stopTimer();
    if (valueTreeState != nullptr)
    {
        valueTreeState->removeParameterListener (juce::String::fromUTF8 (firstSettings.id.c_str()), this);
        valueTreeState->removeParameterListener (juce::String::fromUTF8 (secondSettings.id.c_str()), this);
    }
    endGestures();
}

void DoubleSliderContainer::attach (juce::AudioProcessorValueTreeState& state)
{
    firstHostParameter = HostParameter::find (state, firstSettings.id);
    secondHostParameter = HostParameter::find (state, secondSettings.id);
    const auto firstID = juce::String::fromUTF8 (firstSettings.id.c_str());
    const auto secondID = juce::String::fromUTF8 (secondSettings.id.c_str());
    state.addParameterListener (firstID, this);
    state.addParameterListener (secondID, this);
    valueTreeState = &state;
    parameterChanged (firstID, HostParameter::read (firstHostParameter));
    parameterChanged (secondID, HostParameter::read (secondHostParameter));
    startTimerHz (30);
}

void DoubleSliderContainer::parameterChanged (const juce::String& id, float value)
{
    if (id == firstSettings.id.c_str())
        updateLocation (value, &firstLocation, &firstSettings);
    else if (id == secondSettings.id.c_str())
        updateLocation (value, &secondLocation, &secondSettings);
    needsRepaint = true;
}

void DoubleSliderContainer::timerCallback()
{
    if (needsRepaint.exchange (false))
        repaint();
}

float DoubleSliderContainer::locationOf (float value, const ParameterSettings& settings)
{
    const float low = NoteScale::note (settings.min);
    const float span = NoteScale::note (settings.max) - low;
    // An empty range has one place: its start.
    const float location = span != 0.0f ? (NoteScale::note (value) - low) / span : 0.0f;
    return std::isfinite (location) ? location : 0.0f;
}

float DoubleSliderContainer::frequencyOf (float location, const ParameterSettings& settings)
{
    const float low = NoteScale::note (settings.min);
    return NoteScale::freq (low + location * (NoteScale::note (settings.max) - low));
}

void DoubleSliderContainer::updateLocation (float value, std::atomic<float>* location, ParameterSettings* settings)
{
    location->store (locationOf (value, *settings));
}

void DoubleSliderContainer::updateValue (float location, juce::RangedAudioParameter* host, ParameterSettings* settings)
{
    HostParameter::assign (host, frequencyOf (location, *settings));
}

void DoubleSliderContainer::resized()
{
    UIContainer::resized();
    const int t = currentTitleHeight;
    const int h = std::max (getHeight() - t, 0);
    minLabel.setBounds (0, t, getWidth(), h);
    maxLabel.setBounds (0, t, getWidth(), h);
}

void DoubleSliderContainer::paint (juce::Graphics& g)
{
    const float width = static_cast<float> (getWidth());
    const float t = static_cast<float> (currentTitleHeight);
    const float h = std::max (static_cast<float> (getHeight()) - t, 0.0f);
    const float x1 = firstLocation.load() * width;
    const float x2 = secondLocation.load() * width;

    g.setColour (zoneColours[0]);
    g.fillRect (juce::Rectangle<float> (0.0f, t, std::max (x1, 0.0f), h));
    g.setColour (isGrey ? zoneColours[1].withAlpha (0.3f) : zoneColours[1]);
    g.fillRect (juce::Rectangle<float> (x1, t, std::max (x2 - x1, 0.0f), h));
    g.setColour (zoneColours[2]);
    g.fillRect (juce::Rectangle<float> (x2, t, std::max (width - x2, 0.0f), h));

    g.setColour (juce::Colours::white);
    g.fillRoundedRectangle (x1 - 2.0f, t + 0.15f * h, 4.0f, 0.7f * h, 1.6f);
    g.fillRoundedRectangle (x2 - 2.0f, t + 0.15f * h, 4.0f, 0.7f * h, 1.6f);
    g.drawRect (juce::Rectangle<float> (0.0f, t, width, h), 1.0f);

    // Before attach there is no value to show.
    if (firstHostParameter != nullptr)
        minLabel.setText (juce::String (std::lround (HostParameter::read (firstHostParameter))) + " Hz", juce::dontSendNotification);
    if (secondHostParameter != nullptr)
        maxLabel.setText (juce::String (std::lround (HostParameter::read (secondHostParameter))) + " Hz", juce::dontSendNotification);
}

void DoubleSliderContainer::mouseDown (const juce::MouseEvent& e)
{
    if (e.mods.isRightButtonDown())
    {
        if (delegate != nullptr)
            delegate->onRightClickOnControl (
                { ControlParameter { juce::String::fromUTF8 (convertStringForDislay (firstSettings.id).c_str()), firstParameter },
                  ControlParameter { juce::String::fromUTF8 (convertStringForDislay (secondSettings.id).c_str()), secondParameter } });
        return;
    }
    if (e.position.y < static_cast<float> (currentTitleHeight) || getWidth() <= 0)
        return;

    endGestures(); // a press that arrives before the previous release
    grabLocation = e.position.x / static_cast<float> (getWidth());
    const float first = firstLocation;
    const float second = secondLocation;
    const float d1 = std::abs (grabLocation - first);
    const float d2 = std::abs (grabLocation - second);
    if (first < grabLocation && grabLocation < second && d1 > 0.05f && d2 > 0.05f)
    {
        dragMode = dragBoth;
        firstLocationAtGrab = first;
        secondLocationAtGrab = second;
    }
    else
    {
        dragMode = d2 > d1 ? dragFirst : dragSecond;
    }
    beginGestures();
    processEvent (e);
}

void DoubleSliderContainer::mouseDrag (const juce::MouseEvent& e)
{
    if (! e.mods.isRightButtonDown())
        processEvent (e);
}

void DoubleSliderContainer::mouseUp (const juce::MouseEvent& e)
{
    if (! e.mods.isRightButtonDown())
        processEvent (e);
    endGestures();
    dragMode = dragNone;
}

void DoubleSliderContainer::processEvent (const juce::MouseEvent& e)
{
    if (dragMode == dragNone || getWidth() <= 0)
        return;
    const float p = e.position.x / static_cast<float> (getWidth());
    switch (dragMode)
    {
        case dragFirst:
            firstLocation = p;
            updateValue (p, firstHostParameter, &firstSettings);
            break;
        case dragSecond:
            secondLocation = p;
            updateValue (p, secondHostParameter, &secondSettings);
            break;
        case dragBoth:
        {
            const float d = p - grabLocation;
            firstLocation = std::clamp (firstLocationAtGrab + d, 0.0f, 1.0f);
            secondLocation = std::clamp (secondLocationAtGrab + d, 0.0f, 1.0f);
            updateValue (firstLocation, firstHostParameter, &firstSettings);
            updateValue (secondLocation, secondHostParameter, &secondSettings);
            break;
        }
        default:
            break;
    }
    repaint();
}

void DoubleSliderContainer::beginGestures()
{
    if (dragMode == dragFirst || dragMode == dragBoth)
        HostParameter::beginGesture (firstHostParameter);
    if (dragMode == dragSecond || dragMode == dragBoth)
        HostParameter::beginGesture (secondHostParameter);
}

void DoubleSliderContainer::endGestures()
{
    if (dragMode == dragFirst || dragMode == dragBoth)
        HostParameter::endGesture (firstHostParameter);
    if (dragMode == dragSecond || dragMode == dragBoth)
        HostParameter::endGesture (secondHostParameter);
}
