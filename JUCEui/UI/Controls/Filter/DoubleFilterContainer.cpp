#include "UI/Controls/Filter/DoubleFilterContainer.h"

#include "LookAndFeel/Palette.h"
#include "ProcessBlock/Filters/BiquadCoefficients.h"
#include "UI/Controls/ConvertStringForDisplay.h"
#include "UI/Controls/FixedNumber.h"
#include "UI/Controls/HostParameter.h"

#include <algorithm>
#include <cmath>

DoubleFilterContainer::DoubleFilterContainer (Parameter* p0, Parameter* p1, Parameter* p2, Parameter* p3, Parameter* p4,
                                              Parameter* p5, std::string title)
    : UIContainer (p0, std::move (title))
{
    lowPassOnOff = std::make_unique<OnOffContainer> (p2, std::string(), std::vector<std::string> { "LP", "LP" });
    highPassOnOff = std::make_unique<OnOffContainer> (p5, std::string(), std::vector<std::string> { "HP", "HP" });

    parameters = { p0, p1, p2, p3, p4, p5 };
    for (std::size_t i = 0; i < parameters.size(); ++i)
        parameterSettings[i] = std::make_unique<ParameterSettings> (*parameters[i]);

    addAndMakeVisible (lowPassLabel);
    addAndMakeVisible (highPassLabel);
    addAndMakeVisible (*lowPassOnOff);
    addAndMakeVisible (*highPassOnOff);

    const auto font = juce::Font (Karvon::getFontLight()).withHeight (14.0f);
    lowPassLabel.setFont (font);
    highPassLabel.setFont (font);
    lowPassLabel.setJustificationType (juce::Justification::right);
    highPassLabel.setJustificationType (juce::Justification::left);
    lowPassLabel.setInterceptsMouseClicks (false, false);
    highPassLabel.setInterceptsMouseClicks (false, false);

    for (auto* onOff : { highPassOnOff.get(), lowPassOnOff.get() })
    {
        onOff->setMainColor (mainColor);
        onOff->setDisplayTitle (false);
        onOff->setForceSquare (false);
    }
    startTimerHz (30);
}

DoubleFilterContainer::~DoubleFilterContainer()
{
    stopTimer();
    if (valueTreeState != nullptr)
        for (int i = 0; i < parameterCount; ++i)
            valueTreeState->removeParameterListener (idOf (i), this);
    endDrag();
}

juce::String DoubleFilterContainer::idOf (int index) const
{
    return juce::String::fromUTF8 (parameterSettings[static_cast<std::size_t> (index)]->id.c_str());
}

void DoubleFilterContainer::setMainColor (juce::Colour c)
{
    UIContainer::setMainColor (c);
    highPassOnOff->setMainColor (mainColor);
    lowPassOnOff->setMainColor (mainColor);
}

void DoubleFilterContainer::attach (juce::AudioProcessorValueTreeState& state)
{
    for (int i = 0; i < parameterCount; ++i)
        hostParameters[static_cast<std::size_t> (i)] = HostParameter::find (state, parameterSettings[static_cast<std::size_t> (i)]->id);
    for (int i = 0; i < parameterCount; ++i)
        state.addParameterListener (idOf (i), this);
    lowPassOnOff->attach (state);
    highPassOnOff->attach (state);
    valueTreeState = &state;
    lowPassState.isOn = HostParameter::read (hostParameters[lowPassOn]) >= 0.5f;
    highPassState.isOn = HostParameter::read (hostParameters[highPassOn]) >= 0.5f;
}

void DoubleFilterContainer::parameterChanged (const juce::String& id, float value)
{
    // Any thread, the audio thread included: no allocation, only locations,
    // flags and the repaint request. The handles are placed from the host
    // values on the message thread.
    const auto is = [&] (int index) { return id == parameterSettings[static_cast<std::size_t> (index)]->id.c_str(); };
    if (is (lowPassFrequency))
        updateLocation (value, &lowPassState.frequencyLocation, parameterSettings[lowPassFrequency].get());
    if (is (lowPassResonance))
        updateLocation (value, &lowPassState.resonanceLocation, parameterSettings[lowPassResonance].get());
    if (is (highPassFrequency))
        updateLocation (value, &highPassState.frequencyLocation, parameterSettings[highPassFrequency].get());
    if (is (highPassResonance))
        updateLocation (value, &highPassState.resonanceLocation, parameterSettings[highPassResonance].get());
    if (is (lowPassOn))
        lowPassState.isOn = value != 0.0f;
    if (is (highPassOn))
        highPassState.isOn = value != 0.0f;
    needsRepaint = true;
}

void DoubleFilterContainer::timerCallback()
{
    if (needsRepaint.exchange (false))
    {
        curvePath.clear();
        placeHandles();
        repaint();
    }
}

void DoubleFilterContainer::updateLocation (float value, std::atomic<float>* location, ParameterSettings* settings)
{
    const float span = settings->max - settings->min;
    const float fraction = span != 0.0f ? (value - settings->min) / span : 0.0f;
    location->store (std::isfinite (fraction) ? fraction : 0.0f);
}

void DoubleFilterContainer::updateValue (float location, juce::RangedAudioParameter* host, ParameterSettings* settings)
{
    if (host != nullptr && (host == hostParameters[lowPassFrequency] || host == hostParameters[highPassFrequency]))
    {
        // The frequency drawn under the pointer on the display's own axis,
        // bounded by the parameter's range: the handle follows the pointer.
        const float frequency = frequencyValueForLocation (location * static_cast<float> (getWidth()));
        HostParameter::assign (host, std::clamp (frequency, settings->min, settings->max));
    }
    else
    {
        HostParameter::assign (host, settings->min + (settings->max - settings->min) * location);
    }
}

float DoubleFilterContainer::locationForFrequencyValue (float frequency) const
{
    return static_cast<float> (getWidth()) * std::log2 (frequency / minFrequency) / static_cast<float> (octaveCount);
}

float DoubleFilterContainer::frequencyValueForLocation (float x) const
{
    return minFrequency * std::exp2 (x / (static_cast<float> (getWidth()) / static_cast<float> (octaveCount)));
}

float DoubleFilterContainer::locationForDBValue (float db) const
{
    const float height = static_cast<float> (getHeight());
    return height - (db + dbRange) / (2.0f * dbRange) * (height - static_cast<float> (currentTitleHeight));
}

float DoubleFilterContainer::valueAtGridIndex (float i) const
{
    return minFrequency * std::exp2 (i);
}

void DoubleFilterContainer::placeHandles()
{
    // Integer pixel positions; a frequency of 0 Hz or a non-finite value
    // stands at the left or bottom edge rather than at an undefined integer.
    const auto toPixel = [] (float v, int fallback) {
        return std::isfinite (v) ? static_cast<int> (std::clamp (v, -1.0e6f, 1.0e6f)) : fallback;
    };
    const auto handleFor = [&] (int frequencyIndex, int resonanceIndex) {
        const float x = locationForFrequencyValue (HostParameter::read (hostParameters[static_cast<std::size_t> (frequencyIndex)]));
        const float y = locationForDBValue (HostParameter::read (hostParameters[static_cast<std::size_t> (resonanceIndex)]));
        return juce::Point<int> (toPixel (x, 0), toPixel (y, getHeight()));
    };
    lowPassHandle = handleFor (lowPassFrequency, lowPassResonance);
    highPassHandle = handleFor (highPassFrequency, highPassResonance);
}

void DoubleFilterContainer::resized()
{
    UIContainer::resized();
    const int width = getWidth();
    const int height = getHeight();
    const int t = currentTitleHeight;
    const int a = width / 5;
    const int b = height / 9;
    highPassOnOff->setBounds (4, t + 4, a, b);
    highPassLabel.setBounds (0, t + 4 + b + 4, 2 * a, 2 * b);
    lowPassOnOff->setBounds (width - a - 4, t + 4, a, b);
    lowPassLabel.setBounds (width - 2 * a, t + 4 + b + 4, 2 * a, 2 * b);
    placeHandles();
    // The curve is drawn for one size.
    curvePath.clear();
}

void DoubleFilterContainer::setDescriptionLabelText (bool isLowPass, float frequency, float resonance)
{
    lowPassLabel.setColour (juce::Label::textColourId, lowPassState.isOn ? juce::Colours::white : juce::Colours::grey);
    highPassLabel.setColour (juce::Label::textColourId, highPassState.isOn ? juce::Colours::white : juce::Colours::grey);
    const auto text = FixedNumber::format (frequency, 0) + " Hz\n" + FixedNumber::format (resonance, 1) + " dB";
    (isLowPass ? lowPassLabel : highPassLabel).setText (text, juce::dontSendNotification);
}

void DoubleFilterContainer::rebuildCurve()
{
    BiquadCoefficients lowPass;
    BiquadCoefficients highPass;
    const auto designFrom = [&] (BiquadCoefficients& c, bool isLowPass, int frequencyIndex, int resonanceIndex) {
        const float f = static_cast<float> (std::clamp (
            static_cast<double> (HostParameter::read (hostParameters[static_cast<std::size_t> (frequencyIndex)])), 12.0, maxFrequency));
        const float r = std::clamp (HostParameter::read (hostParameters[static_cast<std::size_t> (resonanceIndex)]), -24.0f, 24.0f);
        setDescriptionLabelText (isLowPass, f, r);
        c.calculateParams (f, r, 0.0f, isLowPass ? LowPass : HighPass);
    };
    designFrom (lowPass, true, lowPassFrequency, lowPassResonance);
    designFrom (highPass, false, highPassFrequency, highPassResonance);
    const bool lowOn = lowPassState.isOn;
    const bool highOn = highPassState.isOn;

    const int width = getWidth();
    const float height = static_cast<float> (getHeight());
    const float plotHeight = height - static_cast<float> (currentTitleHeight);
    const double pixelsPerOctave = static_cast<double> (width) / static_cast<double> (octaveCount);
    curvePath.startNewSubPath (0.0f, height);
    for (int i = 0; i < width; ++i)
    {
        const double f = std::clamp (static_cast<double> (minFrequency) * std::exp2 (i / pixelsPerOctave), 12.0, maxFrequency);
        double m = 1.0;
        if (lowOn)
            m *= lowPass.magnitudeForFrequency (f * 2.0 / 44100.0);
        if (highOn)
            m *= highPass.magnitudeForFrequency (f * 2.0 / 44100.0);
        // 1 dB clear of the edges; a zero magnitude is the bottom.
        double d = 20.0 * std::log10 (m);
        d = std::isnan (d) ? -23.0 : std::clamp (d, -23.0, 23.0);
        curvePath.lineTo (static_cast<float> (i), height - (static_cast<float> (d) + dbRange) / (2.0f * dbRange) * plotHeight);
    }
    curvePath.lineTo (static_cast<float> (width), height);
    curvePath.closeSubPath();
}

void DoubleFilterContainer::paintCurve (juce::Graphics& g)
{
    if (curvePath.isEmpty())
        rebuildCurve();
    const float height = static_cast<float> (getHeight());
    g.setGradientFill (juce::ColourGradient (mainColor, 0.0f, height * 0.5f, mainColor.withAlpha (0.4f), 0.0f, height, false));
    g.fillPath (curvePath);
    g.setColour (juce::Colours::white);
    g.strokePath (curvePath, juce::PathStrokeType (1.0f));
}

void DoubleFilterContainer::paint (juce::Graphics& g)
{
    paintCurve (g);
    const int t = currentTitleHeight;
    g.setColour (juce::Colours::white);
    g.drawRect (0, t, getWidth(), std::max (getHeight() - t, 0), 1);
}

bool DoubleFilterContainer::isFromSwitch (const juce::MouseEvent& e) const
{
    const auto* origin = e.originalComponent;
    for (const auto* onOff : { static_cast<const juce::Component*> (lowPassOnOff.get()),
                               static_cast<const juce::Component*> (highPassOnOff.get()) })
        if (origin == onOff || onOff->isParentOf (origin))
            return true;
    return false;
}

void DoubleFilterContainer::mouseDown (const juce::MouseEvent& e)
{
    if (e.mods.isRightButtonDown())
    {
        // Like the other containers: the editor opens its control editor on
        // all six parameters.
        if (delegate != nullptr)
        {
            std::vector<ControlParameter> controls;
            for (std::size_t i = 0; i < parameters.size(); ++i)
                controls.push_back ({ juce::String::fromUTF8 (convertStringForDislay (parameterSettings[i]->id).c_str()), parameters[i] });
            delegate->onRightClickOnControl (std::move (controls));
        }
        return;
    }
    // A press on a switch toggles the switch only.
    if (isFromSwitch (e) || e.position.y < static_cast<float> (currentTitleHeight))
        return;

    endDrag();
    const bool lowOn = lowPassState.isOn;
    const bool highOn = highPassState.isOn;
    if (! lowOn && ! highOn)
        return;

    placeHandles();
    const auto p = e.getPosition();
    if (lowOn && highOn)
        isDraggingLowPass = p.getDistanceSquaredFrom (lowPassHandle) < p.getDistanceSquaredFrom (highPassHandle);
    else
        isDraggingLowPass = lowOn;
    (isDraggingLowPass ? lowPassHandle : highPassHandle) = p;
    isDragging = true;
    const auto base = isDraggingLowPass ? lowPassFrequency : highPassFrequency;
    HostParameter::beginGesture (hostParameters[static_cast<std::size_t> (base)]);
    HostParameter::beginGesture (hostParameters[static_cast<std::size_t> (base + 1)]);
    processEvent (e);
}

void DoubleFilterContainer::mouseDrag (const juce::MouseEvent& e)
{
    if (! e.mods.isRightButtonDown())
        processEvent (e);
}

void DoubleFilterContainer::mouseUp (const juce::MouseEvent&)
{
    endDrag();
}

void DoubleFilterContainer::endDrag()
{
    if (isDragging)
    {
        const auto base = isDraggingLowPass ? lowPassFrequency : highPassFrequency;
        HostParameter::endGesture (hostParameters[static_cast<std::size_t> (base)]);
        HostParameter::endGesture (hostParameters[static_cast<std::size_t> (base + 1)]);
    }
    isDragging = false;
}

void DoubleFilterContainer::processEvent (const juce::MouseEvent& e)
{
    if (! isDragging)
        return;
    const float t = static_cast<float> (currentTitleHeight);
    const float width = static_cast<float> (getWidth());
    const float plotHeight = static_cast<float> (getHeight()) - t;
    const float dy = std::max (e.position.y, t) - t;
    const float x = std::clamp (width > 0.0f ? e.position.x / width : 0.0f, 0.0f, 1.0f);
    const float y = std::clamp (plotHeight > 0.0f ? 1.0f - dy / plotHeight : 1.0f, 0.0f, 1.0f);

    auto& state = isDraggingLowPass ? lowPassState : highPassState;
    const int base = isDraggingLowPass ? lowPassFrequency : highPassFrequency;
    state.frequencyLocation = x;
    state.resonanceLocation = y;
    updateValue (x, hostParameters[static_cast<std::size_t> (base)], parameterSettings[static_cast<std::size_t> (base)].get());
    updateValue (y, hostParameters[static_cast<std::size_t> (base + 1)], parameterSettings[static_cast<std::size_t> (base + 1)].get());
    (isDraggingLowPass ? lowPassHandle : highPassHandle) = e.getPosition();
    repaint();
}
