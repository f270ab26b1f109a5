#include "UI/Controls/CurveSequencer/CurveSequencerStepFooter.h"

#include "LookAndFeel/Palette.h"

#include <algorithm>
#include <cmath>
#include <numbers>

CurveSequencerStepFooter::CurveSequencerStepFooter()
    : color (Karvon::blue)
{
}

void CurveSequencerStepFooter::setCurveMode (int mode)
{
    curveMode = mode;
    repaint();
}

void CurveSequencerStepFooter::setColor (juce::Colour c)
{
    color = c;
    repaint();
}

void CurveSequencerStepFooter::setIsGrey (bool grey)
{
    isGrey = grey;
    repaint();
}

juce::Path CurveSequencerStepFooter::iconFor (int mode, float w, float h)
{
    constexpr float pi = std::numbers::pi_v<float>;
    const float top = 0.25f * h;
    const float bottom = 0.75f * h;
    const float iconWidth = std::min (0.5f * w, (bottom - top) * 1.5f);
    const float left = (w - iconWidth) / 2.0f;
    const float right = left + iconWidth;
    const float mid = (top + bottom) / 2.0f;
    const float r = iconWidth / 5.0f;

    // Half circles as markers: angles clockwise from 12 o'clock.
    const auto leftHalf = [r] (juce::Path& p, float cx, float cy) {
        p.addCentredArc (cx, cy, r, r, 0.0f, 0.0f, -pi, true);
    };
    const auto rightHalf = [r] (juce::Path& p, float cx, float cy) {
        p.addCentredArc (cx, cy, r, r, 0.0f, pi, 0.0f, true);
    };

    juce::Path p;
    switch (mode)
    {
        case flat:
            p.startNewSubPath (left, bottom);
            p.lineTo (left, top);
            p.lineTo (right, top);
            p.lineTo (right, bottom);
            break;
        case towardsNext:
            leftHalf (p, left, mid);
            rightHalf (p, right, mid);
            p.startNewSubPath (right, mid);
            p.lineTo (left, mid);
            break;
        case rise:
            p.startNewSubPath (left, bottom);
            p.lineTo (right, top);
            break;
        case fall:
            p.startNewSubPath (left, top);
            p.lineTo (right, bottom);
            break;
        case smooth:
            leftHalf (p, left, bottom);
            rightHalf (p, right, top);
            p.startNewSubPath (left, bottom);
            for (int i = 0; i <= 10; ++i)
            {
                const float t = static_cast<float> (i) / 10.0f;
                const float k = std::sin (t * pi - pi / 2.0f) * 0.5f + 0.5f;
                p.lineTo (left + t * iconWidth, bottom + k * (top - bottom));
            }
            p.lineTo (right, top);
            break;
        default:
            break;
    }
    return p;
}

void CurveSequencerStepFooter::paint (juce::Graphics& g)
{
    g.fillAll (color.withAlpha (isGrey ? 0.2f : 1.0f));
    g.setColour (juce::Colours::white);
    g.strokePath (iconFor (curveMode, static_cast<float> (getWidth()), static_cast<float> (getHeight())),
                  juce::PathStrokeType (1.5f));
}
