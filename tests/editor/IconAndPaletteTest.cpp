// The fifteen icons the buttons draw, pinned point by point against their
// drawings (frame from the box, fractions of the frame), so that a changed or
// swapped icon fails; and the seven colours of the palette.
#include <gtest/gtest.h>

#include "LookAndFeel/ButtonLookAndFeel.h"
#include "LookAndFeel/Palette.h"

#include <cmath>
#include <string>
#include <vector>

namespace
{
struct Element
{
    enum Kind { start, line, curve } kind;
    std::vector<juce::Point<float>> points; // one, or three for a curve
};

// The drawings, built here from the frame of a box of the given size.
class Drawing
{
public:
    Drawing (int bw, int bh)
        : x0 (static_cast<int> (bw * 0.15)), x1 (static_cast<int> (bw * 0.85)), y0 (static_cast<int> (bh * 0.25)),
          y1 (static_cast<int> (bh * 0.75)), iw (x1 - x0), dy (y0 - y1), ym (bh / 2), bh (bh)
    {
    }

    std::vector<Element> of (const std::string& name) const
    {
        if (name == "sin")
        {
            std::vector<Element> e { s (x0, ym) };
            for (int i = 0; i < 200; ++i)
                e.push_back (l (x0 + (i * iw) / 200,
                                static_cast<int> (bh * 0.5 + std::sin ((i / 200.0) / 0.15707963267948966) * dy * 0.5)));
            return e;
        }
        if (name == "tri")
            return { s (x0, ym), l (X (0.25), y0), l (X (0.75), y1), l (x1, ym) };
        if (name == "saw")
            return { s (x0, y1), l (x1, y0), l (x1, y1) };
        if (name == "isaw")
            return { s (x0, y0), l (x1, y1), l (x1, y0) };
        if (name == "sqr")
        {
            const int xm = x0 + iw / 2;
            return { s (x0, ym), l (x0, y0), l (xm, y0), l (xm, y1), l (x1, y1), l (x1, ym) };
        }
        if (name == "rand")
        {
            const int levels[] = { 400, 753, 104, 333, 912, 543 };
            std::vector<Element> e { s (x0, ym) };
            for (int k = 0; k < 6; ++k)
            {
                const int y = y1 + static_cast<int> (levels[k] * dy / 1000.0);
                e.push_back (l (x0 + (k * iw) / 6, y));
                e.push_back (l (x0 + ((k + 1) * iw) / 6, y));
            }
            return e;
        }
        if (name == "lowpass")
            return { s (x0, Y (0.75)), l (X (0.4), Y (0.75)), c (X (0.69), Y (0.75), X (0.7), Y (1.5), x1, y1) };
        if (name == "hipass")
            return { s (x0, y1), c (X (0.3), Y (1.5), X (0.29), Y (0.75), X (0.6), Y (0.75)), l (x1, Y (0.75)) };
        if (name == "bandpass")
            return { s (x0, y1), l (X (0.25), y1), c (X (0.5), Y (1.15), X (0.5), Y (1.15), X (0.75), y1), l (x1, y1) };
        if (name == "notch")
            return { s (x0, Y (0.75)), l (X (0.35), Y (0.75)), c (X (0.5), Y (-0.15), X (0.5), Y (-0.15), X (0.65), Y (0.75)),
                     l (x1, Y (0.75)) };
        if (name == "lowshelf")
            return { s (x0, Y (0.35)), l (X (0.25), Y (0.35)), c (X (0.5), Y (0.35), X (0.5), Y (0.75), X (0.75), Y (0.75)),
                     l (x1, Y (0.75)) };
        // The ramp shapes are computed in single precision.
        const auto Xs = [&] (float f) { return static_cast<float> (x0) + f * static_cast<float> (iw); };
        if (name == "stop")
            return { s (x0, y0), l (Xs (0.2f), y0), l (Xs (0.2f), y1), l (Xs (0.8f), y1), l (Xs (0.8f), y0), l (x1, y0) };
        if (name == "rampUpAndDown")
            return { s (x0, y0), l (Xs (0.2f), y0), l (Xs (0.4f), y1), l (Xs (0.6f), y1), l (Xs (0.8f), y0), l (x1, y0) };
        if (name == "rampDown")
            return { s (x0, y0), l (Xs (0.2f), y0), l (Xs (0.5f), y1), l (Xs (0.8f), y1), l (Xs (0.8f), y0), l (x1, y0) };
        if (name == "rampUp")
            return { s (x0, y0), l (Xs (0.2f), y0), l (Xs (0.2f), y1), l (Xs (0.5f), y1), l (Xs (0.8f), y0), l (x1, y0) };
        return {};
    }

private:
    double X (double f) const { return x0 + f * iw; }
    double Y (double f) const { return y1 + f * dy; }
    template <typename A, typename B>
    static Element s (A x, B y) { return { Element::start, { pt (x, y) } }; }
    template <typename A, typename B>
    static Element l (A x, B y) { return { Element::line, { pt (x, y) } }; }
    template <typename A, typename B, typename C, typename D, typename E, typename F>
    static Element c (A ax, B ay, C bx, D by, E ex, F ey) { return { Element::curve, { pt (ax, ay), pt (bx, by), pt (ex, ey) } }; }
    template <typename A, typename B>
    static juce::Point<float> pt (A x, B y) { return { static_cast<float> (x), static_cast<float> (y) }; }

    int x0, x1, y0, y1, iw, dy, ym, bh;
};

std::vector<Element> elementsOf (const juce::Path& path)
{
    std::vector<Element> elements;
    juce::Path::Iterator it (path);
    while (it.next())
    {
        using PE = juce::Path::Iterator;
        if (it.elementType == PE::startNewSubPath)
            elements.push_back ({ Element::start, { { it.x1, it.y1 } } });
        else if (it.elementType == PE::lineTo)
            elements.push_back ({ Element::line, { { it.x1, it.y1 } } });
        else if (it.elementType == PE::cubicTo)
            elements.push_back ({ Element::curve, { { it.x1, it.y1 }, { it.x2, it.y2 }, { it.x3, it.y3 } } });
        else
            elements.push_back ({ Element::line, {} }); // a kind no icon uses: never equal
    }
    return elements;
}

const char* const iconNames[] = { "sin", "tri", "saw", "isaw", "sqr", "rand", "lowpass", "hipass",
                                  "bandpass", "notch", "lowshelf", "stop", "rampUpAndDown", "rampDown", "rampUp" };
} // namespace

TEST (IconShapes, EveryIconIsItsDrawingPointByPointAtSeveralSizes)
{
    for (const auto& [w, h] : { std::pair { 60, 40 }, std::pair { 97, 53 }, std::pair { 31, 120 } })
    {
        const Drawing drawing (w, h);
        for (const auto* name : iconNames)
        {
            const auto expected = drawing.of (name);
            const auto actual = elementsOf (ButtonLookAndFeel::iconPath (name, w, h));
            ASSERT_EQ (actual.size(), expected.size()) << name << " in " << w << " x " << h;
            for (std::size_t i = 0; i < expected.size(); ++i)
            {
                EXPECT_EQ (actual[i].kind, expected[i].kind) << name << " element " << i;
                ASSERT_EQ (actual[i].points.size(), expected[i].points.size()) << name << " element " << i;
                for (std::size_t k = 0; k < expected[i].points.size(); ++k)
                    EXPECT_LT (actual[i].points[k].getDistanceFrom (expected[i].points[k]), 1.0e-3f)
                        << name << " element " << i << " point " << k << " in " << w << " x " << h;
            }
        }
    }
}

TEST (IconShapes, NoTwoIconsAreAlike)
{
    // So that pinning each one also tells any two apart.
    const Drawing drawing (60, 40);
    for (const auto* a : iconNames)
        for (const auto* b : iconNames)
            if (std::string (a) < std::string (b))
            {
                const auto pa = ButtonLookAndFeel::iconPath (a, 60, 40);
                const auto pb = ButtonLookAndFeel::iconPath (b, 60, 40);
                EXPECT_FALSE (pa == pb) << a << " and " << b;
            }
}

TEST (Palette, TheSevenColours)
{
    EXPECT_EQ (Karvon::blue.getARGB(), 0xFF00B8F8u);
    EXPECT_EQ (Karvon::orange.getARGB(), 0xFFFFA600u);
    EXPECT_EQ (Karvon::yellow.getARGB(), 0xFFFFCC00u);
    EXPECT_EQ (Karvon::green.getARGB(), 0xFF54BD61u);
    EXPECT_EQ (Karvon::red.getARGB(), 0xFFFF6759u);
    EXPECT_EQ (Karvon::background.getARGB(), 0xFF1D1D1Du);
    EXPECT_EQ (Karvon::white.getARGB(), 0xFFEEE2DFu);
}
