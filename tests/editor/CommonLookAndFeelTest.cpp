#include <gtest/gtest.h>

#include "LookAndFeel/Palette.h"
#include "LookAndFeel/SliderLookAndFeel.h"

#include <clocale>
#include <cstdio>

namespace
{
std::string shown (int unit, const std::string& text, int flags = -1)
{
    SliderLookAndFeel look;
    look.unit = unit;
    look.flags = flags;
    return look.updateValueText (text);
}
} // namespace

TEST (CommonLookAndFeel, MillisecondsSwitchToSecondsAtOneSecond)
{
    EXPECT_EQ (shown (5, "999.4"), "999ms");
    EXPECT_EQ (shown (5, "1000"), "1.0s");
    EXPECT_EQ (shown (5, "2500"), "2.5s");
    EXPECT_EQ (shown (5, "40.00"), "40ms");
}

TEST (CommonLookAndFeel, RatesInHertzOrAsAPeriodByFlag)
{
    EXPECT_EQ (shown (7, "0.25", 0x10), "0.25Hz");
    EXPECT_EQ (shown (7, "0.25", 0), "4.0s");
    EXPECT_EQ (shown (7, "4", 0), "250ms");
    // A container that never copied the flags shows Hz (all bits set).
    EXPECT_EQ (shown (7, "2.5"), "2.50Hz");
    // A rate of zero has no period: the text stays as it is.
    EXPECT_EQ (shown (7, "0", 0), "0");
}

TEST (CommonLookAndFeel, DecimalsAndSuffixesOfTheOtherUnits)
{
    EXPECT_EQ (shown (8, "9.96"), "10.0Hz");
    EXPECT_EQ (shown (8, "-12"), "-12Hz");
    EXPECT_EQ (shown (8, "440.00"), "440Hz");
    EXPECT_EQ (shown (8, "7.5"), "7.5Hz");
    EXPECT_EQ (shown (3, "45.4"), "45%");
    EXPECT_EQ (shown (0, "0.66"), "0.7");
    EXPECT_EQ (shown (10, "-6.2"), "-6dB");
    EXPECT_EQ (shown (4, "1.46"), "1.5s");
    EXPECT_EQ (shown (6, "90"), "90\xc2\xb0");
    EXPECT_EQ (shown (0, "  3.25 extra"), "3.2");
}

TEST (CommonLookAndFeel, TextsThatAreNotNumbersOrHaveNoSuffixComeBackUnchanged)
{
    EXPECT_EQ (shown (1, "3 voices"), "3 voices");
    EXPECT_EQ (shown (2, "1"), "1");
    EXPECT_EQ (shown (9, "-12"), "-12");
    EXPECT_EQ (shown (12, "7"), "7");
    EXPECT_EQ (shown (-1, "7"), "7");
    // A label instead of a number must not throw out of a paint call.
    EXPECT_EQ (shown (10, "PRE"), "PRE");
    EXPECT_EQ (shown (5, ""), "");
    EXPECT_EQ (shown (3, "nan"), "nan");
}

TEST (CommonLookAndFeel, FixedDecimalsRoundLikeTheCLibrary)
{
    EXPECT_EQ (CommonLookAndFeel::stringWithDecimals (2.5f, 0), "2");
    EXPECT_EQ (CommonLookAndFeel::stringWithDecimals (3.5f, 0), "4");
    EXPECT_EQ (CommonLookAndFeel::stringWithDecimals (-1.25f, 1), "-1.2");
    EXPECT_EQ (CommonLookAndFeel::stringWithDecimals (1.0e7f, 2), "10000000.00");
}

TEST (CommonLookAndFeel, TheHostsLocaleDoesNotChangeThePoint)
{
    const std::string previous = std::setlocale (LC_ALL, nullptr);
    // scripts/setup.sh makes de_DE.UTF-8; without it this test would prove nothing.
    ASSERT_TRUE (std::setlocale (LC_ALL, "de_DE.UTF-8") != nullptr || std::setlocale (LC_ALL, "fr_FR.UTF-8") != nullptr)
        << "no locale with a decimal comma installed";
    char probe[16];
    std::snprintf (probe, sizeof probe, "%.1f", 2.5);
    EXPECT_STREQ (probe, "2,5") << "the locale must write a comma for this test to mean anything";
    const auto text = shown (5, "2500.00");
    const auto hertz = shown (7, "0.25", 0x10);
    std::setlocale (LC_ALL, previous.c_str());
    EXPECT_EQ (text, "2.5s");
    EXPECT_EQ (hertz, "0.25Hz");
}

TEST (CommonLookAndFeel, ValueFontIsTheLightTypefaceAtTwenty)
{
    SliderLookAndFeel look;
    const auto font = look.getValueFont();
    EXPECT_FLOAT_EQ (font.getHeight(), 20.0f);
    EXPECT_EQ (font.getTypefaceName(), Karvon::getFontLight().getTypefaceName());
    EXPECT_EQ (look.textHeight, 28);
    EXPECT_EQ (look.flags, -1);
}
