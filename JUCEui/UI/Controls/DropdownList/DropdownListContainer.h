#pragma once

#include "LookAndFeel/ComboBoxLookAndFeel.h"
#include "UI/Controls/UIContainer.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

// A choice parameter (an option index) as a label with the current option,
// an invisible combo box over it that opens the list, and previous and next
// arrows that step through the options with wrap-around. Every action writes
// the host parameter; its change notification brings the display up to date
// at the owner's next update().
class DropdownListContainer : public UIContainer, private juce::AudioProcessorValueTreeState::Listener
{
public:
    DropdownListContainer (Parameter* parameter, std::string name, std::vector<std::string> labels);
    ~DropdownListContainer() override;

    void attach (juce::AudioProcessorValueTreeState& state) override;
    void setMainColor (juce::Colour colour) override;
    // Message thread: shows the index that the last notification stored.
    void update() override;
    void resized() override;

    // Any thread: stores the index (value rounded to the nearest integer).
    void parameterChanged (const juce::String& parameterID, float newValue) override;

    void onPreviousClick();
    void onNextClick();
    void onDropdownItemSelected();

    ComboBoxLookAndFeel lookAndFeel;
    juce::AudioProcessorValueTreeState* valueTreeState = nullptr;
    juce::RangedAudioParameter* hostParameter = nullptr;
    juce::StringArray items;
    std::atomic<int> selectedIndex { 0 };
    std::atomic<bool> needsUpdate { false };
    std::unique_ptr<juce::Label> valueLabel;
    std::unique_ptr<juce::ComboBox> comboBox;
    std::unique_ptr<juce::ArrowButton> previousButton;
    std::unique_ptr<juce::ArrowButton> nextButton;

private:
    void select (int index);
};
