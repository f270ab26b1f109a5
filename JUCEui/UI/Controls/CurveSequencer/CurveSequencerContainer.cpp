#include "UI/Controls/CurveSequencer/CurveSequencerContainer.h"

#include <algorithm>
#include <cmath>

CurveSequencerContainer::CurveSequencerContainer (Parameter* parameter, std::vector<Parameter*> linked, std::string title)
    : UIContainer (parameter, std::move (title)), grid (std::make_unique<CurveSequencerGrid>())
{
    std::vector<Parameter*> all { parameter };
    all.insert (all.end(), linked.begin(), linked.end());
    // A design with too few parameters gets the steps it can fill.
    for (int i = 0; i < stepCount; ++i)
    {
        const auto level = static_cast<std::size_t> (i);
        const auto curve = static_cast<std::size_t> (i + stepCount);
        if (curve >= all.size() || all[level] == nullptr || all[curve] == nullptr)
            break;
        steps.push_back (std::make_unique<CurveSequencerStep> (all[level], all[curve], i, this));
        grid->steps.push_back (steps.back().get());
        addAndMakeVisible (*steps.back());
    }
    addAndMakeVisible (*grid);
    updateColors();
}

CurveSequencerContainer::~CurveSequencerContainer()
{
    // The grid refers to the steps: it goes first.
    grid.reset();
    steps.clear();
}

void CurveSequencerContainer::attach (juce::AudioProcessorValueTreeState& state)
{
    for (auto& step : steps)
        step->attach (state);
}

void CurveSequencerContainer::setMainColor (juce::Colour c)
{
    UIContainer::setMainColor (c);
    for (auto& step : steps)
        step->setColor (c);
    updateColors();
}

void CurveSequencerContainer::setIsGrey (bool grey)
{
    UIContainer::setIsGrey (grey);
    for (auto& step : steps)
        step->setIsGrey (grey);
}

void CurveSequencerContainer::setSequencerLength (int n)
{
    sequencerLength = std::clamp (n, 1, stepCount);
    grid->setLength (sequencerLength);
    const int used = std::min (sequencerLength, static_cast<int> (steps.size()));
    for (int i = 0; i < used; ++i)
    {
        auto& step = *steps[static_cast<std::size_t> (i)];
        auto& before = *steps[static_cast<std::size_t> (i == 0 ? used - 1 : i - 1)];
        before.nextValue = levelAfter (step, step.value);
        before.repaint();
    }
    layoutSteps();
    repaint();
}

float CurveSequencerContainer::levelAfter (const CurveSequencerStep& step, float value)
{
    return step.curveMode == CurveSequencerStepFooter::fall ? 1.0f : value;
}

void CurveSequencerContainer::onValueSet (int index, float value)
{
    if (index < 0 || index >= static_cast<int> (steps.size()))
        return;
    const int used = std::min (sequencerLength, static_cast<int> (steps.size()));
    const int previous = (index < 1 ? used : index) - 1;
    if (previous < 0)
        return;
    auto& before = *steps[static_cast<std::size_t> (previous)];
    before.nextValue = levelAfter (*steps[static_cast<std::size_t> (index)], value);
    before.repaint();
}

void CurveSequencerContainer::setResolution (float r)
{
    resolution = r;
    updateColors();
    repaint();
}

void CurveSequencerContainer::setAmount (float a)
{
    grid->setAmount (a);
}

void CurveSequencerContainer::setRandomness (float r)
{
    randomness = r;
    for (auto& step : steps)
        step->setRange (r);
}

void CurveSequencerContainer::setSnap (bool s)
{
    grid->snap = s;
}

void CurveSequencerContainer::blinkStep (int i)
{
    if (i < 0 || i >= static_cast<int> (steps.size()))
        return;
    // At least one tick, also for a resolution that is not a positive number.
    const float ticks = 12.0f / resolution;
    steps[static_cast<std::size_t> (i)]->blinkStep (std::isfinite (ticks) ? std::max (ticks, 1.0f) : 1.0f);
}

int CurveSequencerContainer::colourGroupSize() const
{
    const auto floorOf = [] (float x) { return std::isfinite (x) ? static_cast<int> (std::floor (x)) : 0; };
    int g = floorOf (resolution);
    if (g == 0)
        g = floorOf (4.0f * resolution);
    if (g == 0)
        g = floorOf (16.0f * resolution);
    // Resolutions below 1/16 (or not positive) colour step by step.
    return std::max (g, 1);
}

void CurveSequencerContainer::updateColors()
{
    const juce::Colour colours[] { mainColor, mainColor.darker (0.3f) };
    const int g = colourGroupSize();
    int current = 0;
    for (std::size_t k = 0; k < steps.size(); ++k)
    {
        steps[k]->setColor (colours[current]);
        if ((static_cast<int> (k) + 1) % g == 0)
            current = 1 - current;
    }
}

void CurveSequencerContainer::resized()
{
    UIContainer::resized();
    grid->setBounds (0, currentTitleHeight, getWidth(), std::max (getHeight() - currentTitleHeight, 0));
    layoutSteps();
}

void CurveSequencerContainer::layoutSteps()
{
    // Every step (also those beyond the length) on the pitch of the length.
    const float stepWidth = static_cast<float> (getWidth()) / static_cast<float> (sequencerLength);
    const int height = std::max (getHeight() - currentTitleHeight, 0);
    for (std::size_t k = 0; k < steps.size(); ++k)
        steps[k]->setBounds (static_cast<int> (std::floor (stepWidth * static_cast<float> (k))), currentTitleHeight,
                             static_cast<int> (std::ceil (stepWidth)), height);
}

void CurveSequencerContainer::paint (juce::Graphics&)
{
    // The steps and the grid draw everything.
}
