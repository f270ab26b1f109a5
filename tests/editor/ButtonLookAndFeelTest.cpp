#include "ControlContainerTestHelpers.h"

#include "LookAndFeel/ButtonLookAndFeel.h"
#include "LookAndFeel/Palette.h"

using namespace controltest;

namespace
{
struct ButtonRig
{
    ButtonRig (int width, int height, bool on, const juce::String& text = {})
    {
        button.setSize (width, height);
        button.setButtonText (text);
        button.setToggleState (on, juce::dontSendNotification);
    }

    juce::Image draw()
    {
        auto image = blankImage (button.getWidth(), button.getHeight());
        juce::Graphics g (image);
        look.drawToggleButton (g, button, false, false);
        return image;
    }

    ButtonLookAndFeel look;
    juce::ToggleButton button;
};

const auto blue = Karvon::blue;
} // namespace

TEST (ButtonLookAndFeel, OnButtonIsAFilledBoxWithBlackOnText)
{
    ButtonRig rig (80, 40, true);
    const auto image = rig.draw();
    EXPECT_TRUE (isColour (image, 1, 1, blue));
    EXPECT_TRUE (isColour (image, 78, 38, blue));
    // "ON" in black across the middle; no "OFF" width of text.
    EXPECT_GT (countColour (image, { 20, 8, 40, 24 }, juce::Colours::black, 60), 20);
}

TEST (ButtonLookAndFeel, OffButtonIsAnOutlineWithTextInTheMainColour)
{
    ButtonRig rig (80, 40, false);
    const auto image = rig.draw();
    EXPECT_TRUE (isColour (image, 0, 0, blue));
    EXPECT_TRUE (isColour (image, 79, 20, blue));
    EXPECT_TRUE (isTransparent (image, 3, 3));
    EXPECT_GT (countColour (image, { 20, 8, 40, 24 }, blue, 60), 20);
    EXPECT_EQ (countColour (image, { 1, 1, 78, 38 }, juce::Colours::black, 60), 0);
}

TEST (ButtonLookAndFeel, OnAndOffTextsFillInForAnEmptyButtonText)
{
    ButtonRig on (80, 40, true);
    ButtonRig onCustom (80, 40, true);
    onCustom.look.onText = "SYNC";
    // A different word changes the drawn pixels; the button's own text wins over both.
    EXPECT_NE (countColour (on.draw(), { 0, 0, 80, 40 }, juce::Colours::black, 60),
               countColour (onCustom.draw(), { 0, 0, 80, 40 }, juce::Colours::black, 60));
    ButtonRig labelled (80, 40, true, "ON");
    labelled.look.onText = "SYNC";
    EXPECT_EQ (countColour (on.draw(), { 0, 0, 80, 40 }, juce::Colours::black, 60),
               countColour (labelled.draw(), { 0, 0, 80, 40 }, juce::Colours::black, 60));
}

TEST (ButtonLookAndFeel, GreyDimsTheBoxButNotTheCustomTextColours)
{
    ButtonRig rig (80, 40, false);
    rig.look.isGrey = true;
    rig.look.useCustomColours = true;
    rig.look.offFillColour = juce::Colours::red;
    rig.look.offTextColour = juce::Colours::yellow;
    const auto image = rig.draw();
    EXPECT_NEAR (image.getPixelAt (0, 20).getAlpha(), 0.4 * 255, 3);
    EXPECT_GT (countColour (image, { 1, 1, 78, 38 }, juce::Colours::yellow, 20), 10);
}

TEST (ButtonLookAndFeel, ForceSquareCentresTheBoxButNotTheText)
{
    ButtonRig rig (100, 40, true, "WIDE TEXT LABEL");
    rig.look.forceSquare = true;
    const auto image = rig.draw();
    EXPECT_TRUE (isTransparent (image, 29, 2));
    EXPECT_TRUE (isColour (image, 30, 2, blue));
    EXPECT_TRUE (isColour (image, 69, 2, blue));
    EXPECT_TRUE (isTransparent (image, 70, 2));
    // The text spans the whole button, outside the box as well.
    EXPECT_GT (countColour (image, { 0, 0, 30, 40 }, juce::Colours::black, 60), 5);
}

TEST (ButtonLookAndFeel, PageTabStyleShadesAnOffTabWithAGradient)
{
    ButtonRig rig (60, 40, false, "PAGE");
    rig.look.useCustomColours = true;
    rig.look.outline = false;
    rig.look.gradientBackground = true;
    rig.look.offFillColour = juce::Colours::white;
    rig.look.offTextColour = juce::Colours::red;
    const auto image = rig.draw();
    // Faint everywhere (alpha 0.2), darker at the top than at the bottom.
    EXPECT_NEAR (image.getPixelAt (2, 1).getAlpha(), 51, 3);
    EXPECT_LT (image.getPixelAt (2, 1).getBrightness(), image.getPixelAt (2, 38).getBrightness());
    EXPECT_GT (countColour (image, { 0, 0, 60, 40 }, juce::Colours::red, 60), 10);
}

TEST (ButtonLookAndFeel, IconsFitTheirFrame)
{
    // A 60 x 40 box: frame x 9..51, y 10..30.
    for (const auto* name : { "sin", "tri", "saw", "isaw", "sqr", "rand", "lowpass", "hipass", "bandpass", "notch",
                              "lowshelf", "stop", "rampUpAndDown", "rampDown", "rampUp" })
    {
        const auto path = ButtonLookAndFeel::iconPath (name, 60, 40);
        ASSERT_FALSE (path.isEmpty()) << name;
        const auto bounds = path.getBounds();
        EXPECT_NEAR (bounds.getX(), 9.0f, 0.01f) << name;
        EXPECT_NEAR (bounds.getRight(), 51.0f, 1.0f) << name;
        // The filter curves reach above the frame (their peaks), never beyond the box.
        EXPECT_GE (bounds.getY(), 0.0f) << name;
        EXPECT_LE (bounds.getBottom(), 40.0f) << name;
    }
}

TEST (ButtonLookAndFeel, RandomStepsHaveTheirFixedLevels)
{
    const auto path = ButtonLookAndFeel::iconPath ("rand", 60, 40);
    std::vector<float> levels;
    juce::Path::Iterator it (path);
    it.next(); // the start at mid-height
    while (it.next())
    {
        const float y = it.y1;
        if (levels.empty() || levels.back() != y)
            levels.push_back (y);
    }
    // Heights of 40.0, 75.3, 10.4, 33.3, 91.2 and 54.3 % of the 20-pixel frame
    // above its bottom line (y = 30), in whole pixels.
    EXPECT_EQ (levels, (std::vector<float> { 22.0f, 15.0f, 28.0f, 24.0f, 12.0f, 20.0f }));
}

TEST (ButtonLookAndFeel, IconNamesAreCaseSensitiveAndUnknownNamesDrawNothing)
{
    EXPECT_TRUE (ButtonLookAndFeel::iconPath ("Lowshelf", 60, 40).isEmpty());
    EXPECT_TRUE (ButtonLookAndFeel::iconPath ("PRE", 60, 40).isEmpty());
    EXPECT_TRUE (ButtonLookAndFeel::iconPath ("", 60, 40).isEmpty());

    ButtonRig rig (60, 40, false, "Hipass");
    rig.look.isWaveform = true;
    rig.look.mainColor = juce::Colours::transparentBlack;
    const auto image = rig.draw();
    EXPECT_EQ (countColour (image, { 0, 0, 60, 40 }, juce::Colours::white, 120), 0);

    ButtonRig drawn (60, 40, false, "hipass");
    drawn.look.isWaveform = true;
    drawn.look.mainColor = juce::Colours::transparentBlack;
    EXPECT_GT (countColour (drawn.draw(), { 0, 0, 60, 40 }, juce::Colours::white, 120), 20);
}

TEST (ButtonLookAndFeel, DrawingSurvivesOddSizes)
{
    for (const auto size : { juce::Point<int> (0, 0), juce::Point<int> (1, 1), juce::Point<int> (3, 200),
                             juce::Point<int> (500, 2) })
    {
        for (const auto* name : { "sin", "rand", "notch", "" })
        {
            ButtonRig rig (std::max (1, size.x), std::max (1, size.y), true, name);
            rig.button.setSize (size.x, size.y);
            rig.look.isWaveform = juce::String (name).isNotEmpty();
            rig.look.forceSquare = true;
            auto image = blankImage (std::max (1, size.x), std::max (1, size.y));
            juce::Graphics g (image);
            rig.look.drawToggleButton (g, rig.button, true, true);
        }
    }
    SUCCEED();
}
