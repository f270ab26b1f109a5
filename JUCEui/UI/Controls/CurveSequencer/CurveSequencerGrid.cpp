#include "UI/Controls/CurveSequencer/CurveSequencerGrid.h"

#include "LookAndFeel/Palette.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

CurveSequencerGrid::CurveSequencerGrid()
    : font (juce::Font (Karvon::getFontLight()).withHeight (15.0f))
{
    setRatios ({ Ratio (1.0f, "1", false), Ratio (0.75f, "3/4", false), Ratio (0.6666667f, "2/3", false),
                 Ratio (0.5f, "1/2", false), Ratio (0.33333334f, "1/3", false), Ratio (0.25f, "1/4", false),
                 Ratio (0.0f, "0", false) });
}

CurveSequencerGrid::~CurveSequencerGrid()
{
    endGestures();
}

void CurveSequencerGrid::touch (juce::RangedAudioParameter* parameter)
{
    if (parameter == nullptr || std::find (touched.begin(), touched.end(), parameter) != touched.end())
        return;
    parameter->beginChangeGesture();
    touched.push_back (parameter);
}

void CurveSequencerGrid::endGestures()
{
    for (auto* parameter : touched)
        parameter->endChangeGesture();
    touched.clear();
}

void CurveSequencerGrid::setLength (int n)
{
    length = std::max (n, 1);
    repaint();
}

void CurveSequencerGrid::setAmount (float a)
{
    amount = a;
    layoutLabels();
    repaint();
}

void CurveSequencerGrid::resized()
{
    layoutLabels();
}

float CurveSequencerGrid::ratioLine (float ratio) const
{
    const float footer = footerLine();
    return (top - ratio) * footer / std::max (amount, 0.01f) + (1.0f - top) * footer;
}

void CurveSequencerGrid::layoutLabels()
{
    // A label shows beside its line (above it unless labelBelow) while the
    // line is inside the step area; lines zoomed below the footer are hidden.
    const float fontHeight = font.getHeight();
    for (std::size_t i = 0; i < labels.size(); ++i)
    {
        auto& label = *labels[i];
        if (i >= ratios.size())
        {
            label.setVisible (false);
            continue;
        }
        const float y = ratioLine (ratios[i].ratio);
        if (y <= footerLine())
        {
            const float labelY = ratios[i].labelBelow ? y : y - 1.5f * fontHeight;
            label.setBounds (juce::Rectangle<float> (0.0f, labelY, static_cast<float> (getWidth()), 2.0f * fontHeight)
                                 .toNearestInt());
            label.setVisible (true);
        }
        else
        {
            label.setVisible (false);
        }
    }
}

void CurveSequencerGrid::setRatios (std::vector<Ratio> list)
{
    ratios = std::move (list);
    while (labels.size() < ratios.size())
    {
        auto label = std::make_unique<juce::Label>();
        label->setFont (font);
        label->setJustificationType (juce::Justification::right);
        label->setInterceptsMouseClicks (false, false);
        addChildComponent (*label);
        labels.push_back (std::move (label));
    }
    for (std::size_t i = 0; i < ratios.size(); ++i)
        labels[i]->setText (juce::String::fromUTF8 (ratios[i].text.c_str()), juce::dontSendNotification);
    layoutLabels();
    repaint();
}

float CurveSequencerGrid::footerLine() const
{
    return 0.88f * static_cast<float> (getHeight());
}

float CurveSequencerGrid::levelOfRatio (float ratio) const
{
    return (ratio - top) / std::max (amount, 0.01f) + top;
}

bool CurveSequencerGrid::isTouchingFooter (juce::Point<int> p) const
{
    return static_cast<float> (p.y) > footerLine();
}

int CurveSequencerGrid::getTouchIndex (juce::Point<int> p) const
{
    if (getWidth() <= 0)
        return 0;
    const int i = static_cast<int> (std::floor (static_cast<float> (length) * static_cast<float> (p.x) / static_cast<float> (getWidth())));
    return std::clamp (i, 0, length - 1);
}

void CurveSequencerGrid::mouseDown (const juce::MouseEvent& e)
{
    // A right click belongs to the container (the control editor): it edits
    // no step.
    endGestures(); // a press that arrives before the previous release
    pressTaken = e.mods.isLeftButtonDown() && ! e.mods.isPopupMenu();
    if (! pressTaken)
    {
        pressedOnFooter = false;
        return;
    }
    pressedPosition = e.getPosition();
    pressedOnFooter = isTouchingFooter (pressedPosition);
    pressedIndex = getTouchIndex (pressedPosition);
}

void CurveSequencerGrid::mouseDrag (const juce::MouseEvent& e)
{
    if (! pressTaken || e.mods.isRightButtonDown())
        return;
    const int index = getTouchIndex (e.getPosition());
    if (index < 0 || static_cast<std::size_t> (index) >= steps.size())
        return;
    if (pressedOnFooter)
    {
        // Paints the pressed step's mode across the steps the drag reaches.
        if (index != pressedIndex && static_cast<std::size_t> (pressedIndex) < steps.size())
        {
            touch (steps[static_cast<std::size_t> (index)]->curveParameter);
            steps[static_cast<std::size_t> (index)]->setCurve (
                static_cast<CurveSequencerStep::CurveMode> (steps[static_cast<std::size_t> (pressedIndex)]->curveMode.load()));
        }
        return;
    }

    const float h = footerLine();
    float v = h > 0.0f ? std::clamp ((h - e.position.y) / h, 0.0f, 1.0f) : 0.0f;
    if (snap)
    {
        // The nearest ratio line within 1.0; the top when there is none.
        float best = 1.0f;
        float bestDistance = 1.0f;
        for (const auto& r : ratios)
        {
            const float level = levelOfRatio (r.ratio);
            const float distance = std::abs (level - v);
            if (distance < bestDistance)
            {
                bestDistance = distance;
                best = level;
            }
        }
        v = best;
    }
    touch (steps[static_cast<std::size_t> (index)]->valueParameter);
    steps[static_cast<std::size_t> (index)]->setValue (v);
}

void CurveSequencerGrid::mouseUp (const juce::MouseEvent& e)
{
    // The release may carry another button than the press (two buttons held):
    // what counts is that the press was a left one.
    if (std::exchange (pressTaken, false) && pressedOnFooter && getTouchIndex (e.getPosition()) == pressedIndex
        && static_cast<std::size_t> (pressedIndex) < steps.size())
    {
        auto* step = steps[static_cast<std::size_t> (pressedIndex)];
        const int m = step->curveMode;
        touch (step->curveParameter);
        step->setCurve (static_cast<CurveSequencerStep::CurveMode> (m >= 0 && m < 4 ? m + 1 : 0));
    }
    pressedOnFooter = false;
    endGestures();
}

void CurveSequencerGrid::paint (juce::Graphics& g)
{
    const float width = static_cast<float> (getWidth());
    const float height = static_cast<float> (getHeight());
    const float footer = footerLine();

    for (const auto& r : ratios)
    {
        const float y = ratioLine (r.ratio);
        if (y <= footer)
        {
            const float dash = 5.0f;
            g.setColour (juce::Colours::white.withAlpha (r.alpha));
            g.drawDashedLine (juce::Line<float> (0.0f, y, width, y), &dash, 1, 0.5f);
        }
    }

    g.setColour (juce::Colours::white);
    for (int k = 0; k < length; ++k)
    {
        const float x = static_cast<float> (k) * width / static_cast<float> (length);
        g.drawLine (x, 0.0f, x, height, 1.0f);
    }
    g.drawLine (0.0f, footer, width, footer, 1.0f);
    g.drawRect (getLocalBounds(), 1);
}
