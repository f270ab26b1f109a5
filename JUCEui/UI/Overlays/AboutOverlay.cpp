#include "UI/Overlays/AboutOverlay.h"

#include "LookAndFeel/Palette.h"
#include "UI/Overlays/MakerWebSite.h"

AboutOverlay::AboutOverlay (juce::Image transparentLogo)
    : linkButton (MakerWebSite::addressText, juce::URL (MakerWebSite::address))
{
    logo.setImage (transparentLogo);

    addAndMakeVisible (aboutArea);
    aboutArea.addAndMakeVisible (logo);
    aboutArea.addAndMakeVisible (nameLabel);
    aboutArea.addAndMakeVisible (versionLabel);
    addAndMakeVisible (linkButton);

    nameLabel.setText (JucePlugin_Name, juce::dontSendNotification);
    nameLabel.setFont (Karvon::getFontBold().withHeight (24.0f));
    nameLabel.setColour (juce::Label::textColourId, juce::Colours::white);
    nameLabel.setJustificationType (juce::Justification::centred);

    versionLabel.setText (juce::String ("version ") + JucePlugin_VersionString, juce::dontSendNotification);
    versionLabel.setFont (Karvon::getFontLight().withHeight (20.0f));
    versionLabel.setColour (juce::Label::textColourId, Karvon::blue);
    versionLabel.setJustificationType (juce::Justification::centred);

    linkButton.setFont (Karvon::getFontLight().withHeight (20.0f), true, juce::Justification::centred);
    linkButton.setColour (juce::HyperlinkButton::textColourId, Karvon::blue);
}

AboutOverlay::~AboutOverlay() = default;

void AboutOverlay::paint (juce::Graphics& g)
{
    Overlay::paint (g);
}

void AboutOverlay::resized()
{
    Overlay::resized();
    const auto& p = panel;
    const int linkHeight = p.getHeight() / 18;
    linkButton.setBounds (p.getX(), static_cast<int> (p.getHeight() - 0.7 * linkHeight), p.getWidth(), linkHeight);
    // Only the address itself is the link, not the panel's whole bottom strip.
    linkButton.fitToText();

    aboutArea.setBounds (p.getX(), p.getY(), p.getWidth(), p.getHeight() / 2);
    logo.setBounds (p.getWidth() / 2 - 25, 0, 50, 50);
    nameLabel.setBounds (0, 50, p.getWidth(), p.getHeight() / 8);
    versionLabel.setBounds (0, nameLabel.getBottom() - 8, p.getWidth(), p.getHeight() / 16);
}
