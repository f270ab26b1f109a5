#pragma once

#include "LookAndFeel/ButtonLookAndFeel.h"
#include "UI/Controls/UIContainer.h"

#include <memory>
#include <string>
#include <vector>

// A boolean parameter as one toggle button with on and off texts.
class OnOffContainer : public UIContainer
{
public:
    // Exactly two labels replace "ON" and "OFF" (in that order).
    OnOffContainer (Parameter* parameter, std::string name, std::vector<std::string> labels);
    ~OnOffContainer() override;

    void attach (juce::AudioProcessorValueTreeState& state) override;
    void setMainColor (juce::Colour colour) override;
    void setIsGrey (bool grey) override;
    void resized() override;

    // The button's box becomes a centred square (no re-layout).
    void setForceSquare (bool shouldBeSquare);
    // A square button of a third of the width.
    void setForceSmall (bool shouldBeSmall);

    std::unique_ptr<juce::ToggleButton> button;
    ButtonLookAndFeel lookAndFeel;
    bool forceSmall = false;
    std::unique_ptr<juce::AudioProcessorValueTreeState::ButtonAttachment> buttonAttachment;
};
