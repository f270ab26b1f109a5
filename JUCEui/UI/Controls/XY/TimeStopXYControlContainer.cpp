#include "UI/Controls/XY/TimeStopXYControlContainer.h"

#include "LookAndFeel/Palette.h"
#include "UI/Controls/HostParameter.h"

#include <cmath>
#include <numbers>
#include <utility>

TimeStopXYControlContainer::TimeStopXYControlContainer (Parameter* x, Parameter* y, Parameter* trigger, std::string title)
    : XYControlContainer (x, y, std::move (title)), triggerSettings (*trigger), triggerParameter (trigger)
{
    showHandle = false;
    addAndMakeVisible (timeLabel);
    addAndMakeVisible (statusLabel);
    timeLabel.setFont (juce::Font (Karvon::getFontLight()).withHeight (16.0f));
    statusLabel.setFont (juce::Font (Karvon::getFontLight()).withHeight (18.0f));
    statusLabel.setText ({}, juce::dontSendNotification);
    startTimerHz (30);
}

TimeStopXYControlContainer::~TimeStopXYControlContainer()
{
    stopTimer();
    if (valueTreeState != nullptr)
        valueTreeState->removeParameterListener (juce::String::fromUTF8 (triggerSettings.id.c_str()), asParameterListener());
    // A pad destroyed while pressed lets its trigger go.
    releaseTrigger();
}

void TimeStopXYControlContainer::attach (juce::AudioProcessorValueTreeState& state)
{
    XYControlContainer::attach (state);
    triggerHostParameter = HostParameter::find (state, triggerSettings.id);
    // Its notifications only ask for a repaint (the base ignores other IDs).
    state.addParameterListener (juce::String::fromUTF8 (triggerSettings.id.c_str()), asParameterListener());
}

void TimeStopXYControlContainer::setSpeed (float s)
{
    speed = s;
    repaint();
}

void TimeStopXYControlContainer::setIsTriggerHolding (bool holding)
{
    isTriggerHolding = holding;
    holdCounter = 0;
    statusLabel.setText (holding ? "HOLDING..." : "", juce::dontSendNotification);
    repaint();
}

void TimeStopXYControlContainer::timerCallback()
{
    if (needsRepaint.load() || isTriggerHolding)
    {
        repaint();
        needsRepaint = false;
        ++holdCounter;
    }
}

void TimeStopXYControlContainer::mouseDown (const juce::MouseEvent& e)
{
    XYControlContainer::mouseDown (e);
    if (e.mods.isRightButtonDown() || triggerHeld)
        return;
    // The trigger is held as one host gesture, from the press to the release.
    triggerHeld = true;
    HostParameter::beginGesture (triggerHostParameter);
    HostParameter::assign (triggerHostParameter, 1.0f);
}

void TimeStopXYControlContainer::mouseUp (const juce::MouseEvent&)
{
    // Decided by the press: the release of a left press may carry only the
    // right button when both were held.
    if (triggerHeld)
    {
        releaseTrigger();
        xLocation = 0.0f;
        yLocation = 0.0f;
        repaint();
    }
    endDrag();
}

void TimeStopXYControlContainer::releaseTrigger()
{
    if (! std::exchange (triggerHeld, false))
        return;
    HostParameter::assign (triggerHostParameter, 0.0f);
    HostParameter::endGesture (triggerHostParameter);
}

void TimeStopXYControlContainer::resized()
{
    XYControlContainer::resized();
    const float width = static_cast<float> (getWidth());
    const float height = static_cast<float> (getHeight());
    indicatorHeight = 0.1f * (height - static_cast<float> (currentTitleHeight));
    indicatorWidth = 0.16f * width;
    indicatorMargin = 0.015f * width;
    timeLabel.setBounds (0, static_cast<int> (height - 2.0f * indicatorHeight - indicatorMargin),
                         static_cast<int> (2.0f * indicatorWidth), static_cast<int> (indicatorHeight));
    statusLabel.setBounds (0, static_cast<int> (height - indicatorHeight - indicatorMargin),
                           static_cast<int> (2.0f * indicatorWidth), static_cast<int> (indicatorHeight));
}

void TimeStopXYControlContainer::paint (juce::Graphics& g)
{
    const float trigger = HostParameter::read (triggerHostParameter);
    XYControlContainer::paint (g);
    drawHoldingFeedback (g);
    drawSquareShape (g, trigger);
    drawCurveIndicator (g, trigger);
    drawSpeedShape (g);
}

void TimeStopXYControlContainer::drawHoldingFeedback (juce::Graphics& g)
{
    const int t = currentTitleHeight;
    const float alpha = isTriggerHolding ? (std::cos (0.4f * static_cast<float> (holdCounter)) + 1.0f) * 0.2f + 0.2f : 0.0f;
    g.setColour (juce::Colours::white.withAlpha (alpha));
    g.fillRect (0, t, getWidth(), std::max (getHeight() - t, 0));
}

void TimeStopXYControlContainer::drawSquareShape (juce::Graphics& g, float trigger)
{
    const float width = static_cast<float> (getWidth());
    const float t = static_cast<float> (currentTitleHeight);
    const float padHeight = static_cast<float> (getHeight()) - t;
    const float side = trigger == 0.0f ? padHeight / 3.6f : padHeight / 3.4f;
    if (side <= 0.0f)
        return;
    g.setColour (juce::Colours::white.withAlpha (isGrey ? 0.4f : 1.0f));
    g.fillRoundedRectangle ((width - side) * 0.5f, t + (padHeight - side) * 0.5f, side, side, 0.1f * side);
}

void TimeStopXYControlContainer::drawCurveIndicator (juce::Graphics& g, float trigger)
{
    if (trigger == 0.0f)
        timeLabel.setText ({}, juce::dontSendNotification);
    else
        timeLabel.setText (juce::String (static_cast<int> (yLocation.load() * 1950.0f + 50.0f)) + "ms",
                           juce::dontSendNotification);

    if (trigger != 1.0f)
        return;

    const float height = static_cast<float> (getHeight());
    const float m = indicatorMargin;
    const float w = indicatorWidth;
    const float h = indicatorHeight;
    juce::Path path;
    path.startNewSubPath (m, height - m);
    path.lineTo (m + w, height - m);
    path.lineTo (m + w, height - h - m);
    path.lineTo (m, height - h - m);
    path.lineTo (m, height - m);

    // Falls steeply at first for widths right of the middle, late for widths
    // left of it.
    const float k = (2.0f * xLocation.load() - 1.0f) * 4.0f;
    const float exponent = k > 0.0f ? 1.0f / (1.0f + 0.3f * k) : 1.0f - k;
    for (int i = 0; i <= 40; ++i)
    {
        const float u = static_cast<float> (i) / 40.0f;
        path.lineTo (m + u * w, height - h - m + std::pow (u, exponent) * h);
    }
    g.setColour (juce::Colours::white);
    g.strokePath (path, juce::PathStrokeType (1.5f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
}

void TimeStopXYControlContainer::drawSpeedShape (juce::Graphics& g)
{
    const int t = currentTitleHeight;
    const int width = getWidth();
    const int padHeight = getHeight() - t;
    if (width <= 0 || padHeight <= 0)
        return;
    const juce::Point<float> centre (static_cast<float> (width / 2), static_cast<float> (t + padHeight / 2));
    const float angle = speed * 2.0f * std::numbers::pi_v<float>;
    if (! std::isfinite (angle))
        return;

    juce::Path sector;
    sector.startNewSubPath (centre);
    sector.addArc (0.0f, static_cast<float> (t), static_cast<float> (width), static_cast<float> (padHeight), 0.0f, angle);
    sector.lineTo (centre);
    sector.closeSubPath();

    juce::Graphics::ScopedSaveState saved (g);
    g.reduceClipRegion (sector);
    drawSpeedShapeIcon (g);
}

void TimeStopXYControlContainer::drawSpeedShapeIcon (juce::Graphics& g)
{
    const float t = static_cast<float> (currentTitleHeight);
    const float padHeight = static_cast<float> (getHeight()) - t;
    if (speedShapeIcon.isEmpty())
    {
        speedShapeIcon = createSpeedShapeOutline();
        speedShapeIcon.applyTransform (juce::AffineTransform::scale (0.01f * padHeight)
                                           .translated ((static_cast<float> (getWidth()) - padHeight) * 0.5f, t));
    }
    g.setColour (mainColor.withAlpha (isGrey ? 0.4f : 1.0f));
    g.fillPath (speedShapeIcon);
}

juce::Path TimeStopXYControlContainer::createSpeedShapeOutline()
{
    // A spiral band around (47.7, 48.2): the inner edge makes one full turn
    // counter-clockwise (on screen) from (49.8, 20.27) while its radius grows
    // from 28 to 36; the outer edge comes back clockwise growing from 36 to 44
    // and ends above the start. 24 cubic segments per edge, each following the
    // spiral's tangent.
    const juce::Point<double> centre (47.7, 48.2);
    const juce::Point<double> start (49.8, 20.27);
    const double startAngle = std::atan2 (start.x - centre.x, centre.y - start.y); // clockwise from 12 o'clock
    constexpr int segments = 24;
    constexpr double turn = 2.0 * std::numbers::pi;

    const auto pointAt = [&] (double angle, double radius) {
        return juce::Point<double> (centre.x + radius * std::sin (angle), centre.y - radius * std::cos (angle));
    };
    // d/d(angle) of the point on a spiral whose radius changes by `growth` per radian.
    const auto tangentAt = [&] (double angle, double radius, double growth) {
        return juce::Point<double> (growth * std::sin (angle) + radius * std::cos (angle),
                                    -growth * std::cos (angle) + radius * std::sin (angle));
    };
    const auto toFloat = [] (juce::Point<double> p) { return p.toFloat(); };

    juce::Path path;
    path.startNewSubPath (toFloat (start));
    const auto addEdge = [&] (double fromAngle, double toAngle, double fromRadius, double toRadius) {
        const double step = (toAngle - fromAngle) / segments;
        const double growth = (toRadius - fromRadius) / (toAngle - fromAngle);
        for (int i = 0; i < segments; ++i)
        {
            const double a0 = fromAngle + step * i;
            const double a1 = a0 + step;
            const double r0 = fromRadius + (toRadius - fromRadius) * i / segments;
            const double r1 = fromRadius + (toRadius - fromRadius) * (i + 1) / segments;
            const auto p0 = pointAt (a0, r0);
            const auto p1 = pointAt (a1, r1);
            const auto c0 = p0 + tangentAt (a0, r0, growth) * (step / 3.0);
            const auto c1 = p1 - tangentAt (a1, r1, growth) * (step / 3.0);
            path.cubicTo (toFloat (c0), toFloat (c1), toFloat (p1));
        }
    };
    const double inner = std::hypot (start.x - centre.x, start.y - centre.y);
    addEdge (startAngle, startAngle - turn, inner, 36.0);
    addEdge (startAngle - turn, startAngle, 36.0, 44.0);
    path.lineTo (toFloat (start));
    path.closeSubPath();
    return path;
}
