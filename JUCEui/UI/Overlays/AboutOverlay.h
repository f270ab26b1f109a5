#pragma once

#include "UI/Overlays/Overlay.h"
#include "UI/Overlays/WebLink.h"

// The product's logo, name and version and a link to the maker's web site,
// over the editor.
class AboutOverlay : public Overlay
{
public:
    explicit AboutOverlay (juce::Image transparentLogo);
    ~AboutOverlay() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    juce::Component aboutArea;
    juce::ImageComponent logo;
    juce::Label nameLabel;
    juce::Label versionLabel;
    WebLink linkButton;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AboutOverlay)
};
