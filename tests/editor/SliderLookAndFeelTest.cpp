#include "ControlContainerTestHelpers.h"

#include "LookAndFeel/SliderLookAndFeel.h"

using namespace controltest;

namespace
{
struct LinearSliderRig
{
    LinearSliderRig (double value)
    {
        slider.setSliderStyle (juce::Slider::LinearVertical);
        slider.setRange (0.0, 100.0);
        slider.setValue (value);
        slider.setLookAndFeel (&look);
        slider.setSize (40, 120);
    }
    ~LinearSliderRig() { slider.setLookAndFeel (nullptr); }

    SliderLookAndFeel look;
    juce::Slider slider;
};
// The bounds of each sub-path (control points included: for the dot they
// are symmetric about its centre).
std::vector<juce::Rectangle<float>> subPathBounds (const juce::Path& path)
{
    struct Extent
    {
        float left, top, right, bottom;
    };
    std::vector<Extent> extents;
    const auto add = [&extents] (float x, float y) {
        auto& e = extents.back();
        e = { std::min (e.left, x), std::min (e.top, y), std::max (e.right, x), std::max (e.bottom, y) };
    };
    juce::Path::Iterator it (path);
    while (it.next())
    {
        switch (it.elementType)
        {
            case juce::Path::Iterator::startNewSubPath: extents.push_back ({ it.x1, it.y1, it.x1, it.y1 }); break;
            case juce::Path::Iterator::lineTo: add (it.x1, it.y1); break;
            case juce::Path::Iterator::quadraticTo: add (it.x1, it.y1); add (it.x2, it.y2); break;
            case juce::Path::Iterator::cubicTo: add (it.x1, it.y1); add (it.x2, it.y2); add (it.x3, it.y3); break;
            case juce::Path::Iterator::closePath: break;
        }
    }
    std::vector<juce::Rectangle<float>> parts;
    for (const auto& e : extents)
        parts.push_back (juce::Rectangle<float>::leftTopRightBottom (e.left, e.top, e.right, e.bottom));
    return parts;
}
} // namespace

TEST (SliderLookAndFeel, ValueNamesReplaceTheNumberByTruncatedIndex)
{
    LinearSliderRig rig (1.9);
    rig.slider.setRange (0.0, 2.0);
    rig.slider.setValue (1.9);
    rig.look.valueNames = { "PRE", "FEEDBACK", "POST" };
    EXPECT_EQ (rig.look.textValue (rig.slider), "FEEDBACK");
    rig.slider.setValue (0.0);
    EXPECT_EQ (rig.look.textValue (rig.slider), "PRE");

    // A value the names do not cover shows its number rather than nothing.
    rig.look.valueNames = { "ONE" };
    rig.slider.setValue (2.0);
    EXPECT_EQ (rig.look.textValue (rig.slider), "2.0");
}

TEST (SliderLookAndFeel, TextValueUsesTheUnitOfTheParameter)
{
    LinearSliderRig rig (250.0);
    rig.slider.setRange (0.0, 3000.0);
    rig.slider.setValue (2500.0);
    rig.look.unit = 5;
    EXPECT_EQ (rig.look.textValue (rig.slider), "2.5s");
}

TEST (SliderLookAndFeel, LinearBarFillsFromTheThumbToTheBottomInsideAWhiteFrame)
{
    LinearSliderRig rig (25.0);
    rig.look.mainColor = juce::Colours::red;
    auto image = blankImage (40, 120);
    {
        juce::Graphics g (image);
        rig.look.drawLinearSlider (g, 0, 0, 40, 120, 90.0f, 0.0f, 0.0f, juce::Slider::LinearVertical, rig.slider);
    }
    EXPECT_TRUE (isColour (image, 0, 60, juce::Colours::white));
    EXPECT_TRUE (isColour (image, 39, 60, juce::Colours::white));
    // Above the thumb only the frame; below it the bar, fading from the
    // middle of the height to 0.6 at the bottom.
    EXPECT_TRUE (isTransparent (image, 20, 30));
    EXPECT_GT (image.getPixelAt (5, 92).getAlpha(), image.getPixelAt (5, 118).getAlpha());
    EXPECT_NEAR (image.getPixelAt (5, 118).getAlpha(), 0.6 * 255, 8);

    // The value text sits just above the thumb (from 62 to 90).
    EXPECT_GT (countColour (image, { 1, 62, 38, 28 }, juce::Colours::white, 60), 10);
    EXPECT_EQ (countColour (image, { 1, 2, 38, 56 }, juce::Colours::white, 60), 0);

    // With the thumb near the top, the bar is in full colour above the
    // middle and the text moves inside the bar (from 20 to 48).
    auto high = blankImage (40, 120);
    {
        juce::Graphics g (high);
        rig.look.drawLinearSlider (g, 0, 0, 40, 120, 20.0f, 0.0f, 0.0f, juce::Slider::LinearVertical, rig.slider);
    }
    EXPECT_TRUE (isColour (high, 5, 55, juce::Colours::red));
    EXPECT_GT (countColour (high, { 1, 20, 38, 28 }, juce::Colours::white, 60), 10);
    EXPECT_EQ (countColour (high, { 1, 1, 38, 18 }, juce::Colours::white, 60), 0);
}

TEST (SliderLookAndFeel, GreyBarIsDimmed)
{
    LinearSliderRig rig (25.0);
    rig.look.isGrey = true;
    auto image = blankImage (40, 120);
    {
        juce::Graphics g (image);
        rig.look.drawLinearSlider (g, 0, 0, 40, 120, 20.0f, 0.0f, 0.0f, juce::Slider::LinearVertical, rig.slider);
    }
    EXPECT_NEAR (image.getPixelAt (5, 55).getAlpha(), 0.4 * 255, 3);
    EXPECT_NEAR (image.getPixelAt (5, 118).getAlpha(), 0.1 * 255, 4);
}

TEST (SliderLookAndFeel, KnobRingIsCentredAndItsDotTurnsWithTheValue)
{
    LinearSliderRig rig (0.0);
    rig.slider.setSliderStyle (juce::Slider::RotaryHorizontalVerticalDrag);
    const auto params = rig.slider.getRotaryParameters();
    auto image = blankImage (60, 80);
    juce::Graphics g (image);

    // The dot starts at the bottom, (30, 71), and turns about the centre
    // (30, 40) by angle - pi.
    const auto expectedDot = [&] (float proportion) {
        const float angle = params.startAngleRadians + proportion * (params.endAngleRadians - params.startAngleRadians);
        return juce::Point<float> (30.0f, 71.0f)
            .transformedBy (juce::AffineTransform::rotation (angle - juce::MathConstants<float>::pi, 30.0f, 40.0f));
    };

    for (const float proportion : { 0.0f, 0.5f, 1.0f })
    {
        rig.slider.setValue (proportion * 100.0);
        rig.look.drawRotarySlider (g, 0, 0, 60, 80, proportion, params.startAngleRadians, params.endAngleRadians,
                                   rig.slider);
        const auto parts = subPathBounds (rig.look.knobPath);
        ASSERT_EQ (parts.size(), 2u);
        // The ring: radius 28 about (30, 40), open where the dot is.
        EXPECT_LE (parts[0].getWidth(), 56.01f);
        EXPECT_LE (parts[0].getHeight(), 56.01f);
        EXPECT_NEAR (parts[1].getWidth(), parts[1].getHeight(), 0.5f);
        EXPECT_NEAR (parts[1].getCentreX(), expectedDot (proportion).x, 0.3f) << proportion;
        EXPECT_NEAR (parts[1].getCentreY(), expectedDot (proportion).y, 0.3f) << proportion;
    }
}

TEST (SliderLookAndFeel, PathsAreCachedByValueButFollowANewSize)
{
    LinearSliderRig rig (40.0);
    rig.slider.setSliderStyle (juce::Slider::RotaryHorizontalVerticalDrag);
    const auto params = rig.slider.getRotaryParameters();
    auto image = blankImage (120, 120);
    juce::Graphics g (image);

    rig.look.drawRotarySlider (g, 0, 0, 60, 80, 0.4f, params.startAngleRadians, params.endAngleRadians, rig.slider);
    const auto small = rig.look.knobPath.getBounds();
    rig.look.drawRotarySlider (g, 0, 0, 60, 80, 0.4f, params.startAngleRadians, params.endAngleRadians, rig.slider);
    EXPECT_EQ (rig.look.knobPath.getBounds(), small);

    // A knob made larger must not keep drawing the ring of its former size.
    rig.look.drawRotarySlider (g, 0, 0, 120, 120, 0.4f, params.startAngleRadians, params.endAngleRadians, rig.slider);
    EXPECT_GT (rig.look.knobPath.getBounds().getWidth(), small.getWidth() + 40.0f);
}

TEST (SliderLookAndFeel, AValueOffTheFloatGridKeepsItsCachedPaths)
{
    // 0.1, 12.3 and a third are not floats: a cache that held a float copy
    // of the value would see a change and rebuild at every repaint.
    for (const double value : { 0.1, 12.3, 100.0 / 3.0 })
    {
        LinearSliderRig rig (value);
        auto image = blankImage (120, 120);
        juce::Graphics g (image);
        rig.look.drawLinearSlider (g, 0, 0, 40, 120, 60.0f, 0.0f, 0.0f, juce::Slider::LinearVertical, rig.slider);
        // A mark that only a rebuild would remove.
        rig.look.knobPath.addRectangle (500.0f, 500.0f, 1.0f, 1.0f);
        rig.look.drawLinearSlider (g, 0, 0, 40, 120, 60.0f, 0.0f, 0.0f, juce::Slider::LinearVertical, rig.slider);
        EXPECT_EQ (rig.look.knobPath.getBounds().getBottom(), 501.0f) << value;

        rig.slider.setSliderStyle (juce::Slider::RotaryHorizontalVerticalDrag);
        const auto params = rig.slider.getRotaryParameters();
        rig.look.knobPath.clear();
        rig.look.drawRotarySlider (g, 0, 0, 60, 80, 0.3f, params.startAngleRadians, params.endAngleRadians, rig.slider);
        rig.look.knobPath.addRectangle (500.0f, 500.0f, 1.0f, 1.0f);
        rig.look.drawRotarySlider (g, 0, 0, 60, 80, 0.3f, params.startAngleRadians, params.endAngleRadians, rig.slider);
        EXPECT_EQ (rig.look.knobPath.getBounds().getBottom(), 501.0f) << value;

        // A new value still rebuilds.
        rig.slider.setValue (value + 1.0);
        rig.look.drawRotarySlider (g, 0, 0, 60, 80, 0.3f, params.startAngleRadians, params.endAngleRadians, rig.slider);
        EXPECT_LT (rig.look.knobPath.getBounds().getBottom(), 100.0f) << value;
    }
}

TEST (SliderLookAndFeel, WaveformSketchesKeepToTheirAreaForAnyValue)
{
    LinearSliderRig rig (0.0);
    rig.slider.setRange (-1000.0, 1000.0);
    auto image = blankImage (90, 90);
    juce::Graphics g (image);

    for (const double value : { -1000.0, -0.2, 0.0, 50.0, 100.0, 1000.0 })
    {
        rig.slider.setValue (value);
        rig.look.waveformPath.clear();
        rig.look.drawShape (g, 0, 0, 90, 90, rig.slider);
        const auto shape = rig.look.waveformPath.getBounds();
        EXPECT_NEAR (shape.getX(), 45.0f - 15.0f, 0.01f) << value;
        EXPECT_NEAR (shape.getRight(), 45.0f + 15.0f, 0.01f) << value;
        EXPECT_NEAR (shape.getBottom(), 54.0f, 0.01f) << value;
        EXPECT_NEAR (shape.getY(), 54.0f - 22.5f, 0.01f) << value;

        rig.look.waveformPath.clear();
        rig.look.drawWarmth (g, 0, 0, 90, 90, rig.slider);
        const auto warmth = rig.look.waveformPath.getBounds();
        EXPECT_TRUE (std::isfinite (warmth.getHeight())) << value;
        EXPECT_NEAR (warmth.getHeight(), 2.0f * 90.0f * 0.15f, 0.01f) << value;
    }
}

TEST (SliderLookAndFeel, UnknownWaveformNamesDrawNothing)
{
    for (const std::string name : { "Shape", "WARMTH", "", "sine" })
    {
        LinearSliderRig rig (50.0);
        rig.slider.setSliderStyle (juce::Slider::RotaryHorizontalVerticalDrag);
        rig.look.isWaveform = true;
        rig.look.waveformName = name;
        rig.look.mainColor = juce::Colours::transparentBlack;
        auto image = blankImage (60, 60);
        {
            juce::Graphics g (image);
            const auto params = rig.slider.getRotaryParameters();
            rig.look.drawRotarySlider (g, 0, 0, 60, 60, 0.5f, params.startAngleRadians, params.endAngleRadians,
                                       rig.slider);
        }
        EXPECT_TRUE (rig.look.waveformPath.isEmpty()) << name;
        EXPECT_EQ (countColour (image, { 0, 0, 60, 60 }, juce::Colours::white, 120), 0) << name;
    }
}
