#include "ControlContainerTestHelpers.h"

#include "LookAndFeel/ComboBoxLookAndFeel.h"
#include "LookAndFeel/Palette.h"
#include "LookAndFeel/PresetButtonLookAndFeel.h"

using namespace controltest;

TEST (ComboBoxLookAndFeel, ClosedComboBoxDrawsNothing)
{
    ComboBoxLookAndFeel look;
    juce::ComboBox box;
    box.addItemList ({ "ONE", "TWO" }, 1);
    box.setSelectedId (2, juce::dontSendNotification);
    box.setLookAndFeel (&look);
    box.setSize (120, 30);
    const auto image = snapshot (box);
    box.setLookAndFeel (nullptr);
    EXPECT_EQ (countColour (image, { 0, 0, 120, 30 }, juce::Colours::transparentBlack, 0), 120 * 30);
}

TEST (ComboBoxLookAndFeel, MenuItemsAreMarkedByFillNotTick)
{
    ComboBoxLookAndFeel look;
    look.menuColour = juce::Colours::red;
    auto image = blankImage (100, 90);
    {
        juce::Graphics g (image);
        look.drawPopupMenuItem (g, { 0, 0, 100, 30 }, false, true, false, true, false, "TICKED", {}, nullptr, nullptr);
        look.drawPopupMenuItem (g, { 0, 30, 100, 30 }, false, true, true, false, false, "HOVER", {}, nullptr, nullptr);
        look.drawPopupMenuItem (g, { 0, 60, 100, 30 }, false, true, false, false, false, "PLAIN", {}, nullptr, nullptr);
    }
    EXPECT_TRUE (isColour (image, 2, 2, juce::Colours::red));
    EXPECT_TRUE (isColour (image, 2, 32, juce::Colours::red.withAlpha (0.5f)));
    EXPECT_TRUE (isTransparent (image, 2, 62));
    EXPECT_GT (countColour (image, { 0, 60, 100, 30 }, juce::Colours::white, 60), 10);
}

TEST (ComboBoxLookAndFeel, MenuBackgroundIsThePaletteTintedFromTheTop)
{
    ComboBoxLookAndFeel look;
    auto image = blankImage (50, 100);
    {
        juce::Graphics g (image);
        look.drawPopupMenuBackground (g, 50, 100);
    }
    const auto top = image.getPixelAt (10, 0);
    const auto bottom = image.getPixelAt (10, 99);
    EXPECT_EQ (top.getAlpha(), 255);
    // Blue tint, stronger at the top.
    EXPECT_GT (top.getBlue(), bottom.getBlue());
    EXPECT_NEAR (bottom.getRed(), Karvon::background.getRed(), 3);
}

TEST (ComboBoxLookAndFeel, FontsAreTheLightTypefaceAtTwenty)
{
    ComboBoxLookAndFeel look;
    juce::ComboBox box;
    EXPECT_FLOAT_EQ (look.getPopupMenuFont().getHeight(), 20.0f);
    EXPECT_FLOAT_EQ (look.getComboBoxFont (box).getHeight(), 20.0f);
    EXPECT_EQ (look.menuColour, Karvon::blue);
}

namespace
{
juce::Image drawPresetButton (juce::TextButton& button, bool highlighted, bool down)
{
    PresetButtonLookAndFeel look;
    auto image = blankImage (button.getWidth(), button.getHeight());
    juce::Graphics g (image);
    look.drawButtonBackground (g, button, juce::Colours::pink, highlighted, down);
    return image;
}

juce::TextButton& colouredButton (juce::TextButton& button, int width, int height)
{
    button.setSize (width, height);
    button.setColour (juce::TextButton::buttonColourId, juce::Colours::darkblue);
    button.setColour (juce::TextButton::buttonOnColourId, juce::Colours::green);
    button.setColour (juce::TextButton::textColourOnId, juce::Colours::white);
    return button;
}
} // namespace

TEST (PresetButtonLookAndFeel, CornersAreAQuarterOfTheHeight)
{
    // Where the rounded corner lets row 1 begin: with radius r the edge is at
    // r - sqrt(r^2 - (r - 1.5)^2), less the outside half of the 2-pixel outline.
    const auto firstOpaqueInRowOne = [] (const juce::Image& image) {
        for (int x = 0; x < image.getWidth(); ++x)
            if (image.getPixelAt (x, 1).getAlpha() > 128)
                return x;
        return -1;
    };
    juce::TextButton low, tall;
    const int lowStart = firstOpaqueInRowOne (drawPresetButton (colouredButton (low, 120, 30), false, false));
    const int tallStart = firstOpaqueInRowOne (drawPresetButton (colouredButton (tall, 120, 42), false, false));
    EXPECT_GE (lowStart, 1);  // radius 7 (30 / 4)
    EXPECT_LE (lowStart, 2);
    EXPECT_GE (tallStart, 3); // radius 10 (42 / 4)
    EXPECT_LE (tallStart, 4);
}

TEST (PresetButtonLookAndFeel, FillFollowsDownAndHighlightOutlineFollowsEnablement)
{
    juce::TextButton button;
    colouredButton (button, 120, 30);
    EXPECT_TRUE (isColour (drawPresetButton (button, false, false), 60, 15, juce::Colours::darkblue));
    EXPECT_TRUE (isColour (drawPresetButton (button, true, false), 60, 15, juce::Colours::darkblue.brighter (0.08f)));
    // Down wins over highlighted: the on colour, not brightened.
    EXPECT_TRUE (isColour (drawPresetButton (button, true, true), 60, 15, juce::Colours::green));

    EXPECT_TRUE (isColour (drawPresetButton (button, false, false), 60, 0, juce::Colours::white, 40));
    button.setEnabled (false);
    const auto disabled = drawPresetButton (button, false, false);
    EXPECT_TRUE (isColour (disabled, 60, 15, juce::Colours::darkblue));
    EXPECT_TRUE (isColour (disabled, 60, 0, juce::Colours::white.darker (0.4f), 40));
}

TEST (PresetButtonLookAndFeel, FontsHaveFixedHeights)
{
    PresetButtonLookAndFeel look;
    juce::TextButton button;
    juce::Label label;
    EXPECT_FLOAT_EQ (look.getTextButtonFont (button, 80).getHeight(), 22.0f);
    EXPECT_FLOAT_EQ (look.getLabelFont (label).getHeight(), 25.0f);
}

TEST (PresetButtonLookAndFeel, ALongNameStaysOneLineAtItsFontHeight)
{
    // The header's preset button (188 x 26) with a name far too long for it.
    juce::TextButton button ("A VERY LONG PRESET NAME THAT DOES NOT FIT INTO THE HEADER AT ALL");
    button.setSize (188, 26);
    button.setColour (juce::TextButton::textColourOffId, juce::Colours::white);
    PresetButtonLookAndFeel look;
    auto image = blankImage (button.getWidth(), button.getHeight());
    {
        juce::Graphics g (image);
        look.drawButtonText (g, button, false, false);
    }
    std::vector<int> inkedRows;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (image.getPixelAt (x, y).getAlpha() > 128)
            {
                inkedRows.push_back (y);
                break;
            }
    ASSERT_FALSE (inkedRows.empty());
    // One run of rows (no gap between two lines), as tall as capitals of 22 px.
    EXPECT_EQ (inkedRows.back() - inkedRows.front() + 1, static_cast<int> (inkedRows.size()));
    EXPECT_GE (inkedRows.size(), 12u);
}
