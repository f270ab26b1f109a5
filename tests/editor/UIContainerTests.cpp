// The control container base: title strip, stub lines, right clicks reported
// to the delegate (also from nested widgets, and only once), and the display
// form of parameter identifiers.
#include <gtest/gtest.h>

#include "ControlContainerTestHelpers.h"
#include "LookAndFeel/Palette.h"
#include "UI/Controls/ConvertStringForDisplay.h"
#include "UI/Controls/UIContainer.h"


namespace
{
using controltest::mouseEvent;
using controltest::rightButton;
using controltest::leftButton;

// The smallest concrete container: a plain child widget as its body.
class BareContainer : public UIContainer
{
public:
    using UIContainer::UIContainer;
    void attach (juce::AudioProcessorValueTreeState&) override {}
    void resized() override
    {
        UIContainer::resized();
        ++layouts;
        body.setBounds (getLocalBounds().withTrimmedTop (currentTitleHeight));
    }
    juce::Component body;
    int layouts = 0;
};

struct RecordingDelegate : UIContainerDelegate
{
    void onRightClickOnControl (std::vector<ControlParameter> controls) override { reports.push_back (controls); }
    std::vector<std::vector<ControlParameter>> reports;
};

struct NamedParameter : Parameter
{
    explicit NamedParameter (const char* identifier) { id = identifier; }
};

bool hasPixel (const juce::Image& image, int x, int y, juce::Colour colour)
{
    return controltest::isColour (image, x, y, colour, 40);
}
} // namespace

TEST (ConvertStringForDisplay, SpacesBeforeInnerCapitalsAndUpperCase)
{
    EXPECT_EQ (convertStringForDislay ("ABC"), "A B C");
    EXPECT_EQ (convertStringForDislay (""), "");
    EXPECT_EQ (convertStringForDislay ("abc"), "ABC");
    EXPECT_EQ (convertStringForDislay ("InputFilterType"), "INPUT FILTER TYPE");
    EXPECT_EQ (convertStringForDislay ("DryWet"), "DRY WET");
    EXPECT_EQ (convertStringForDislay ("PreDelay"), "PRE DELAY");
    // Bytes that are not ASCII letters pass unchanged (UTF-8 stays intact).
    EXPECT_EQ (convertStringForDislay ("a\xc3\xa9Z1"), "A\xc3\xa9 Z1");
}

TEST (UIContainer, TitleIsUpperCasedInALightTwentyPointStrip)
{
    NamedParameter parameter ("InputGain");
    BareContainer container (&parameter, "Gain");
    container.setBounds (0, 0, 80, 120);

    EXPECT_EQ (container.name, "GAIN");
    EXPECT_EQ (container.titleLabel.getText(), "GAIN");
    EXPECT_TRUE (container.titleLabel.isVisible());
    EXPECT_EQ (container.titleLabel.getBounds(), juce::Rectangle<int> (0, 0, 80, 24));
    EXPECT_FLOAT_EQ (container.titleLabel.getFont().getHeight(), 20.0f);
    EXPECT_EQ (container.titleLabel.getFont().getTypefaceName(), Karvon::getFontLight().getTypefaceName());
    EXPECT_EQ (container.mainColor, Karvon::blue);
    EXPECT_EQ (container.parameter, &parameter);
    EXPECT_EQ (container.lines, (std::vector<bool> { false, false }));
}

TEST (UIContainer, HidingTheTitleGivesTheBodyTheWholeHeight)
{
    NamedParameter parameter ("InputGain");
    BareContainer container (&parameter, "Gain");
    container.setBounds (0, 0, 80, 120);
    const int layoutsBefore = container.layouts;

    container.setDisplayTitle (false);
    EXPECT_EQ (container.currentTitleHeight, 0);
    EXPECT_FALSE (container.titleLabel.isVisible());
    EXPECT_GT (container.layouts, layoutsBefore);
    EXPECT_EQ (container.body.getBounds(), juce::Rectangle<int> (0, 0, 80, 120));

    container.setDisplayTitle (true);
    EXPECT_EQ (container.currentTitleHeight, 24);
    EXPECT_TRUE (container.titleLabel.isVisible());
    EXPECT_EQ (container.body.getBounds(), juce::Rectangle<int> (0, 24, 80, 96));
}

TEST (UIContainer, StubLinesAreDrawnAtMidHeightOfTheBody)
{
    NamedParameter parameter ("InputGain");
    BareContainer container (&parameter, "");
    container.setBounds (0, 0, 100, 124);
    container.setMainColor (Karvon::orange);

    // No lines: nothing of the main colour anywhere.
    auto plain = controltest::snapshot (container);
    EXPECT_EQ (controltest::countColour (plain, plain.getBounds(), Karvon::orange.withAlpha (0.5f), 60), 0);

    // Right line only: from x = 100 back to x = 90 at y = 24 + 100 / 2 = 74.
    container.lines = { false, true };
    auto right = controltest::snapshot (container);
    const auto lineColour = Karvon::orange.withAlpha (0.5f);
    int onLine = 0;
    for (int x = 91; x < 99; ++x)
        onLine += right.getPixelAt (x, 74).getAlpha() > 0 ? 1 : 0;
    EXPECT_EQ (onLine, 8);
    EXPECT_TRUE (hasPixel (right, 95, 74, lineColour) || right.getPixelAt (95, 74).getAlpha() > 60);
    EXPECT_EQ (right.getPixelAt (50, 74).getAlpha(), 0);
    EXPECT_EQ (right.getPixelAt (5, 74).getAlpha(), 0);
    EXPECT_EQ (right.getPixelAt (95, 60).getAlpha(), 0);

    // Without the title the line sits at half the full height.
    container.lines = { true, false };
    container.setDisplayTitle (false);
    auto left = controltest::snapshot (container);
    EXPECT_GT (left.getPixelAt (4, 62).getAlpha(), 0);
    EXPECT_EQ (left.getPixelAt (4, 74).getAlpha(), 0);
    EXPECT_EQ (left.getPixelAt (95, 62).getAlpha(), 0);
}

TEST (UIContainer, DrawsAtDegenerateSizes)
{
    NamedParameter parameter ("InputGain");
    BareContainer container (&parameter, "Gain");
    container.lines = { true, true };
    for (auto size : { juce::Point<int> (1, 1), { 3, 0 }, { 0, 50 }, { 9, 10 }, { 2000, 30 } })
    {
        container.setSize (size.x, size.y);
        juce::Image image (juce::Image::ARGB, std::max (1, size.x), std::max (1, size.y), true);
        juce::Graphics g (image);
        container.paintEntireComponent (g, true);
    }
    SUCCEED();
}

TEST (UIContainer, RightClickReportsTheNameOrTheIdentifierInDisplayForm)
{
    NamedParameter parameter ("DuckingPeakMeter");
    RecordingDelegate delegate;

    BareContainer unnamed (&parameter, "");
    unnamed.setBounds (0, 0, 50, 50);
    unnamed.delegate = &delegate;
    unnamed.mouseDown (mouseEvent (unnamed, 10, 30, rightButton));
    ASSERT_EQ (delegate.reports.size(), 1u);
    ASSERT_EQ (delegate.reports[0].size(), 1u);
    EXPECT_EQ (delegate.reports[0][0].displayName, "DUCKING PEAK METER");
    EXPECT_EQ (delegate.reports[0][0].parameter, &parameter);

    BareContainer named (&parameter, "Mod. Rate");
    named.delegate = &delegate;
    named.mouseDown (mouseEvent (named, 1, 1, rightButton));
    ASSERT_EQ (delegate.reports.size(), 2u);
    EXPECT_EQ (delegate.reports[1][0].displayName, "MOD. RATE");
}

TEST (UIContainer, LeftClicksAndMissingDelegatesReportNothing)
{
    NamedParameter parameter ("DryWet");
    RecordingDelegate delegate;
    BareContainer container (&parameter, "Dry/Wet");
    container.setBounds (0, 0, 50, 50);

    container.mouseDown (mouseEvent (container, 10, 30, rightButton)); // no delegate yet
    container.delegate = &delegate;
    container.mouseDown (mouseEvent (container, 10, 30, leftButton));
    EXPECT_TRUE (delegate.reports.empty());
}
