#include <gtest/gtest.h>

#include "BinaryData.h"
#include "FontData.h"
#include "LookAndFeel/Palette.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
juce::Image imageFrom (const char* data, int size)
{
    return juce::ImageFileFormat::loadFrom (data, static_cast<size_t> (size));
}
} // namespace

TEST (Resources, FontsComeFromTheEmbeddedTypefaceAndAreMadeOnce)
{
    const auto& light = Karvon::getFontLight();
    EXPECT_EQ (&light, &Karvon::getFontLight());
    EXPECT_TRUE (light.getTypefacePtr()->getName().startsWith ("Oswald"));
    EXPECT_TRUE (Karvon::getFontBold().getTypefacePtr()->getName().startsWith ("Oswald"));

    // Callers change the height of their copy, never of the cached font.
    const float height = light.getHeight();
    auto copy = light;
    copy.setHeight (height + 13.0f);
    EXPECT_EQ (Karvon::getFontLight().getHeight(), height);

    // The typeface draws its own glyphs: the text has a real width.
    EXPECT_GT (copy.getStringWidthFloat ("REVERB"), 10.0f);
}

TEST (Resources, ResourceTablesNameTheFontsTheLogoAndTheArchive)
{
    const char* const fonts[] = { "KARVON_png", "OswaldBold_ttf", "OswaldExtraLight_ttf", "OswaldLight_ttf", "OswaldRegular_ttf" };
    ASSERT_EQ (FontData::namedResourceListSize, 5);
    for (int i = 0; i < 5; ++i)
    {
        int size = 0;
        EXPECT_STREQ (FontData::namedResourceList[i], fonts[i]);
        EXPECT_NE (FontData::getNamedResource (fonts[i], size), nullptr);
        EXPECT_GT (size, 0);
    }
    EXPECT_STREQ (FontData::getNamedResourceOriginalFilename ("OswaldLight_ttf"), "Oswald-Light.ttf");

    juce::MemoryInputStream stream (BinaryData::Presets_zip, static_cast<size_t> (BinaryData::Presets_zipSize), false);
    juce::ZipFile archive (stream);
    EXPECT_EQ (archive.getNumEntries(), 31);
    EXPECT_GE (archive.getIndexOfFileName ("Smooth Vantrel.vnprs"), 0);
}

TEST (Resources, LogosDecodeAtTheirSizesAndUseThePalette)
{
    const auto maker = imageFrom (FontData::KARVON_png, FontData::KARVON_pngSize);
    const auto small = imageFrom (BinaryData::VantrelLogo_png, BinaryData::VantrelLogo_pngSize);
    const auto large = imageFrom (BinaryData::VantrelLogoTransparent_png, BinaryData::VantrelLogoTransparent_pngSize);

    for (const auto* image : { &maker, &small })
    {
        ASSERT_TRUE (image->isValid());
        EXPECT_EQ (image->getWidth(), 28);
        EXPECT_EQ (image->getHeight(), 28);
        EXPECT_FALSE (image->hasAlphaChannel());
        EXPECT_EQ (image->getPixelAt (0, 0), Karvon::background);
    }
    ASSERT_TRUE (large.isValid());
    EXPECT_EQ (large.getWidth(), 72);
    EXPECT_EQ (large.getHeight(), 72);
    EXPECT_TRUE (large.hasAlphaChannel());
    EXPECT_EQ (large.getPixelAt (0, 0).getAlpha(), 0);
    EXPECT_EQ (large.getPixelAt (36, 36 - 29).withAlpha (1.0f), Karvon::blue); // on the ring

    EXPECT_EQ (Karvon::blue, juce::Colour (0, 184, 248));
    EXPECT_EQ (Karvon::background, juce::Colour (29, 29, 29));
    EXPECT_EQ (Karvon::white, juce::Colour (238, 226, 223));
}
