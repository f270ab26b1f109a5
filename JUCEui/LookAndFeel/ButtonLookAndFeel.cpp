#include "LookAndFeel/ButtonLookAndFeel.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace
{
// The frame every icon is drawn in: 15 % to 85 % of the box's width, 25 % to
// 75 % of its height. X(f) and Y(f) place fractions of it; Y(0) is the bottom
// line and Y(1) the top line.
struct IconFrame
{
    IconFrame (int boxWidth, int boxHeight)
        : x0 (static_cast<int> (boxWidth * 0.15)),
          x1 (static_cast<int> (boxWidth * 0.85)),
          y0 (static_cast<int> (boxHeight * 0.25)),
          y1 (static_cast<int> (boxHeight * 0.75)),
          iw (x1 - x0),
          dy (y0 - y1),
          ym (boxHeight / 2),
          bh (boxHeight)
    {
    }

    float X (double f) const { return static_cast<float> (x0 + f * iw); }
    float Y (double f) const { return static_cast<float> (y1 + f * dy); }
    float Xs (float f) const { return static_cast<float> (x0) + f * static_cast<float> (iw); }
    float Ys (float f) const { return static_cast<float> (y1) + f * static_cast<float> (dy); }

    const int x0, x1, y0, y1, iw, dy, ym, bh;
};

float f (int v) { return static_cast<float> (v); }

void lines (juce::Path& path, std::initializer_list<juce::Point<float>> points)
{
    for (const auto& p : points)
        path.lineTo (p);
}

juce::Path sinePath (const IconFrame& fr)
{
    juce::Path path;
    path.startNewSubPath (f (fr.x0), f (fr.ym));
    // A little more than one period, rising first.
    for (int i = 0; i < 200; ++i)
    {
        const int px = fr.x0 + (i * fr.iw) / 200;
        const auto py = static_cast<int> (fr.bh * 0.5 + std::sin ((i / 200.0) / 0.15707963267948966) * fr.dy * 0.5);
        path.lineTo (f (px), f (py));
    }
    return path;
}

juce::Path randomStepsPath (const IconFrame& fr)
{
    static constexpr std::array<int, 6> levels { 400, 753, 104, 333, 912, 543 };
    juce::Path path;
    path.startNewSubPath (f (fr.x0), f (fr.ym));
    for (int k = 0; k < 6; ++k)
    {
        const int yk = fr.y1 + (levels[static_cast<size_t> (k)] * fr.dy) / 1000;
        path.lineTo (f (fr.x0 + (k * fr.iw) / 6), f (yk));
        path.lineTo (f (fr.x0 + ((k + 1) * fr.iw) / 6), f (yk));
    }
    return path;
}
} // namespace

juce::Path ButtonLookAndFeel::iconPath (const juce::String& name, int boxWidth, int boxHeight)
{
    const IconFrame fr (boxWidth, boxHeight);
    const float x0 = f (fr.x0), x1 = f (fr.x1), y0 = f (fr.y0), y1 = f (fr.y1), ym = f (fr.ym);
    juce::Path p;

    if (name == "sin")
        return sinePath (fr);
    if (name == "rand")
        return randomStepsPath (fr);

    if (name == "tri")
    {
        p.startNewSubPath (x0, ym);
        lines (p, { { fr.X (0.25), y0 }, { fr.X (0.75), y1 }, { x1, ym } });
    }
    else if (name == "saw")
    {
        p.startNewSubPath (x0, y1);
        lines (p, { { x1, y0 }, { x1, y1 } });
    }
    else if (name == "isaw")
    {
        p.startNewSubPath (x0, y0);
        lines (p, { { x1, y1 }, { x1, y0 } });
    }
    else if (name == "sqr")
    {
        const float xm = f (fr.x0 + fr.iw / 2);
        p.startNewSubPath (x0, ym);
        lines (p, { { x0, y0 }, { xm, y0 }, { xm, y1 }, { x1, y1 }, { x1, ym } });
    }
    else if (name == "lowpass")
    {
        p.startNewSubPath (x0, fr.Y (0.75));
        p.lineTo (fr.X (0.4), fr.Y (0.75));
        p.cubicTo (fr.X (0.69), fr.Y (0.75), fr.X (0.7), fr.Y (1.5), x1, y1);
    }
    else if (name == "hipass")
    {
        p.startNewSubPath (x0, y1);
        p.cubicTo (fr.X (0.3), fr.Y (1.5), fr.X (0.29), fr.Y (0.75), fr.X (0.6), fr.Y (0.75));
        p.lineTo (x1, fr.Y (0.75));
    }
    else if (name == "bandpass")
    {
        p.startNewSubPath (x0, y1);
        p.lineTo (fr.X (0.25), y1);
        p.cubicTo (fr.X (0.5), fr.Y (1.15), fr.X (0.5), fr.Y (1.15), fr.X (0.75), y1);
        p.lineTo (x1, y1);
    }
    else if (name == "notch")
    {
        p.startNewSubPath (x0, fr.Y (0.75));
        p.lineTo (fr.X (0.35), fr.Y (0.75));
        p.cubicTo (fr.X (0.5), fr.Y (-0.15), fr.X (0.5), fr.Y (-0.15), fr.X (0.65), fr.Y (0.75));
        p.lineTo (x1, fr.Y (0.75));
    }
    else if (name == "lowshelf")
    {
        p.startNewSubPath (x0, fr.Y (0.35));
        p.lineTo (fr.X (0.25), fr.Y (0.35));
        p.cubicTo (fr.X (0.5), fr.Y (0.35), fr.X (0.5), fr.Y (0.75), fr.X (0.75), fr.Y (0.75));
        p.lineTo (x1, fr.Y (0.75));
    }
    else if (name == "stop")
    {
        p.startNewSubPath (x0, y0);
        lines (p, { { fr.Xs (0.2f), y0 }, { fr.Xs (0.2f), y1 }, { fr.Xs (0.8f), y1 }, { fr.Xs (0.8f), y0 }, { x1, y0 } });
    }
    else if (name == "rampUpAndDown")
    {
        p.startNewSubPath (x0, y0);
        lines (p, { { fr.Xs (0.2f), y0 }, { fr.Xs (0.4f), y1 }, { fr.Xs (0.6f), y1 }, { fr.Xs (0.8f), y0 }, { x1, y0 } });
    }
    else if (name == "rampDown")
    {
        p.startNewSubPath (x0, y0);
        lines (p, { { fr.Xs (0.2f), y0 }, { fr.Xs (0.5f), y1 }, { fr.Xs (0.8f), y1 }, { fr.Xs (0.8f), y0 }, { x1, y0 } });
    }
    else if (name == "rampUp")
    {
        p.startNewSubPath (x0, y0);
        lines (p, { { fr.Xs (0.2f), y0 }, { fr.Xs (0.2f), y1 }, { fr.Xs (0.5f), y1 }, { fr.Xs (0.8f), y0 }, { x1, y0 } });
    }
    return p;
}

void ButtonLookAndFeel::drawToggleButton (juce::Graphics& g, juce::ToggleButton& button, bool, bool)
{
    const bool on = button.getToggleState();
    const int w = button.getWidth();
    const int h = button.getHeight();

    auto boxColour = useCustomColours ? (on ? onFillColour : offFillColour) : mainColor;
    if (isGrey)
        boxColour = boxColour.withAlpha (0.4f);
    g.setColour (boxColour);

    const int bw = forceSquare ? std::min (w, h) : w;
    const int bh = forceSquare ? std::min (w, h) : h;
    const auto bx = static_cast<int> ((w - bw) * 0.5);
    const auto by = static_cast<int> ((h - bh) * 0.5);

    if (on)
    {
        g.fillRect (bx, by, bw, bh);
        g.setColour (useCustomColours ? onTextColour : juce::Colours::black);
    }
    else
    {
        if (gradientBackground)
        {
            g.setGradientFill (juce::ColourGradient (offFillColour.darker (1.5f).withAlpha (0.2f), 0.0f, 0.0f,
                                                     offFillColour.withAlpha (0.2f), 0.0f, static_cast<float> (h),
                                                     false));
            g.fillRect (bx, by, bw, bh);
        }
        if (outline)
            g.drawRect (bx, by, bw, bh, 1);
        // Without custom colours the text keeps the outline's colour.
        if (useCustomColours)
            g.setColour (offTextColour);
    }

    const auto text = button.getButtonText();
    if (! isWaveform)
    {
        const auto shown = text.isEmpty() ? (on ? onText : offText) : text;
        g.setFont (getValueFont());
        const auto textTop = static_cast<int> (h * 0.5 - textHeight * 0.5);
        g.drawFittedText (shown, 0, textTop, w, textHeight, juce::Justification::centred, 2, 0.0f);
    }
    else
    {
        g.setColour (juce::Colours::white);
        auto icon = iconPath (text, bw, bh);
        icon.applyTransform (juce::AffineTransform::translation (static_cast<float> (bx), static_cast<float> (by)));
        g.strokePath (icon, juce::PathStrokeType (1.0f));
    }
}
