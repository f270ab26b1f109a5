#include "UI/Controls/Meters/PeakMeterContainer.h"

#include "Basics/EffectProcessor.h"

#include <algorithm>
#include <cmath>

PeakMeterContainer::PeakMeterContainer (Parameter* parameterToShow, std::string title)
    : UIContainer (parameterToShow, std::move (title))
{
    // A display refreshes some 60 times a second and a level reading needs
    // far less; a faster timer would only wake the message thread for
    // nothing (and cost an idle editor a noticeable share of a core).
    startTimerHz (refreshRateHz);
}

PeakMeterContainer::~PeakMeterContainer()
{
    stopTimer();
}

void PeakMeterContainer::attach (juce::AudioProcessorValueTreeState& state)
{
    if (auto* processor = dynamic_cast<EffectProcessor*> (&state.processor))
        kernel = &processor->getKernel();
    findSlot();
}

void PeakMeterContainer::findSlot()
{
    // The kernel makes the slot when it is first prepared, which may come
    // after the editor opened: look it up again until it exists. The lookup
    // never inserts, so the audio thread's map stays untouched.
    if (peakValues == nullptr && kernel != nullptr && parameter != nullptr)
        peakValues = kernel->outputValue (parameter->index);
}

void PeakMeterContainer::setMainColor (juce::Colour colour)
{
    UIContainer::setMainColor (colour);
    repaint();
}

void PeakMeterContainer::setIsWaiting (bool waiting)
{
    isWaiting = waiting;
    waitPhase = 0;
}

void PeakMeterContainer::timerCallback()
{
    findSlot();

    bool changed = false;
    const int count = isStereo ? 2 : 1;
    for (int c = 0; c < count && peakValues != nullptr; ++c)
    {
        const float value = (*peakValues)[static_cast<size_t> (c)].load (std::memory_order_relaxed);
        if (! (lastValues[c] == value))
        {
            lastValues[c] = value;
            changed = true;
        }
    }

    // A new value that draws the same bars (a level that moved by less than
    // a pixel, or within the range the bar shows as full) needs no repaint.
    if (changed)
    {
        const auto extents = barExtents();
        changed = extents != lastExtents;
        lastExtents = extents;
    }

    if (changed || isWaiting)
    {
        // The plot only: the title strip never changes with the level.
        repaint (0, currentTitleHeight, getWidth(), std::max (0, getHeight() - currentTitleHeight));
        ++waitPhase;
    }
}

std::array<int, 2> PeakMeterContainer::barExtents() const
{
    std::array<int, 2> extents { -1, -1 };
    if (peakValues == nullptr)
        return extents;
    const auto plot = static_cast<double> (std::max (0, getHeight() - currentTitleHeight));
    const auto across = static_cast<double> (std::max (0, getWidth()));
    const double length = isHorizontal ? across : plot;
    for (int c = 0; c < (isStereo ? 2 : 1); ++c)
    {
        const double level = levelFor (lastValues[c]);
        // Quarter pixels: the bar's edge is drawn anti-aliased.
        extents[static_cast<size_t> (c)] = static_cast<int> (std::lround (level * length * 4.0));
    }
    return extents;
}

void PeakMeterContainer::paint (juce::Graphics& g)
{
    // Before the kernel has a value there is nothing to show.
    if (peakValues == nullptr)
        return;
    const int count = isStereo ? 2 : 1;
    for (int c = 0; c < count; ++c)
        updatePeak (g, c, count);
}

double PeakMeterContainer::levelFor (float value) const
{
    // A value that is not a number shows no bar.
    if (! std::isfinite (value))
        return 0.0;
    if (isDecibel)
        return std::clamp (((static_cast<double> (value) - 20.0) / -80.0 + 1.0) * 1.5, 0.0, 1.0);
    if (isBipolar)
        return std::clamp (static_cast<double> (value), -1.0, 1.0);
    return std::clamp (static_cast<double> (value), 0.0, 1.0);
}

void PeakMeterContainer::updatePeak (juce::Graphics& g, int channel, int count)
{
    if (peakValues == nullptr || channel < 0 || channel > 1 || count < 1)
        return;

    const int width = getWidth();
    const int height = getHeight();
    const int top = currentTitleHeight;

    const int area = (isNarrow && ! isHorizontal) ? static_cast<int> (width * 0.6) : width;
    const int barWidth = (area - 2 * count + 2) / count;
    const int barX = (width - area) / 2 + (2 + barWidth) * channel;

    if (isWaiting)
        g.setColour (juce::Colours::white.withAlpha (
            static_cast<float> ((std::cos (waitPhase * 0.016) + 1.0) * 0.2 + 0.2)));
    else
        g.setColour (mainColor.withAlpha (0.15f));
    g.fillRect (barX, top, barWidth, height - top);

    g.setColour (isGrey ? mainColor.withAlpha (0.4f) : mainColor);

    auto level = static_cast<float> (levelFor ((*peakValues)[static_cast<size_t> (channel)].load (std::memory_order_relaxed)));
    const auto x = static_cast<float> (barX);
    float y = static_cast<float> (top);
    float h = static_cast<float> (height - top);
    float w = static_cast<float> (barWidth);

    if (isHorizontal)
    {
        w = w * level;
        g.fillRect (x, y, w, h);
        return;
    }
    if (isBipolar)
    {
        h = h * 0.5f;
        y = static_cast<float> (top) + h;
        level = -level;
    }
    else if (isInverted)
    {
        y = static_cast<float> (height);
        level = level - 1.0f;
    }

    if (level < 0.0f)
        g.fillRect (x, y + h * level, w, -h * level);
    else
        g.fillRect (x, y, w, h * level);
}
