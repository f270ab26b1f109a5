// The about overlay: its texts and where they go.
#include <gtest/gtest.h>

#include "LookAndFeel/Palette.h"
#include "OverlayTestHelpers.h"
#include "UI/Overlays/AboutOverlay.h"

TEST (AboutOverlay, ShowsTheProductAndTheMakersAddress)
{
    AboutOverlay about (juce::Image (juce::Image::ARGB, 72, 72, true));
    EXPECT_FALSE (about.isVisible());
    EXPECT_EQ (about.nameLabel.getText(), "KARVON Vantrel");
    EXPECT_EQ (about.versionLabel.getText(), "version 1.1.0");
    EXPECT_EQ (about.linkButton.getURL().toString (false), "https://karvon.example/");
    EXPECT_EQ (about.linkButton.findColour (juce::HyperlinkButton::textColourId), Karvon::blue);
    EXPECT_EQ (about.versionLabel.findColour (juce::Label::textColourId), Karvon::blue);
    EXPECT_EQ (about.opacity, 0.85f);
}

TEST (AboutOverlay, LaysOutLogoNameVersionAndLink)
{
    AboutOverlay about (juce::Image (juce::Image::ARGB, 72, 72, true));
    about.setBounds (0, 30, 900, 420); // panel (20, 10, 860, 400)
    EXPECT_EQ (about.aboutArea.getBounds(), juce::Rectangle<int> (20, 10, 860, 200));
    EXPECT_EQ (about.logo.getBounds(), juce::Rectangle<int> (405, 0, 50, 50));
    EXPECT_EQ (about.nameLabel.getBounds(), juce::Rectangle<int> (0, 50, 860, 50));
    EXPECT_EQ (about.versionLabel.getBounds(), juce::Rectangle<int> (0, 92, 860, 25));
    // The link is its text alone, centred at the bottom of the panel.
    const auto link = about.linkButton.getBounds();
    EXPECT_EQ (link.withX (20).withWidth (860), juce::Rectangle<int> (20, 384, 860, 22));
    EXPECT_NEAR (link.getCentreX(), 450, 1);
    EXPECT_GT (link.getWidth(), 80);
    EXPECT_LT (link.getWidth(), 200);
}

TEST (AboutOverlay, DrawsItsPanelAndClosesFromTheMargin)
{
    AboutOverlay about (juce::Image (juce::Image::ARGB, 72, 72, true));
    about.setBounds (0, 0, 900, 300);
    about.setVisible (true);
    const auto image = overlaytest::picture (about);
    EXPECT_TRUE (overlaytest::near (image.getPixelAt (25, 250), overlaytest::overBlack (Karvon::background, 0.85f)));
    EXPECT_EQ (image.getPixelAt (10, 250), juce::Colours::black); // margins are not painted

    about.mouseDown (overlaytest::pressAt (about, 450, 150));
    EXPECT_TRUE (about.isVisible());
    about.mouseDown (overlaytest::pressAt (about, 450, 295));
    EXPECT_FALSE (about.isVisible());

    for (const auto& size : { juce::Point<int> (0, 0), juce::Point<int> (39, 19), juce::Point<int> (41, 21) })
    {
        about.setBounds (0, 0, size.x, size.y);
        overlaytest::picture (about);
    }
}
