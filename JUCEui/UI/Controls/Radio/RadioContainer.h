#pragma once

#include "LookAndFeel/ButtonLookAndFeel.h"
#include "UI/Controls/UIContainer.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

// A parameter with a few discrete values as a column (or row) of mutually
// exclusive buttons; the value is the index of the selected button. Changes
// from any thread only store the index; a 12 Hz timer on the message thread
// shows it.
class RadioContainer : public UIContainer,
                       private juce::AudioProcessorValueTreeState::Listener,
                       private juce::Timer
{
public:
    RadioContainer (Parameter* parameter, std::string name, std::vector<std::string> labels);
    ~RadioContainer() override;

    void attach (juce::AudioProcessorValueTreeState& state) override;
    void setMainColor (juce::Colour colour) override;
    void setIsGrey (bool grey) override;
    void resized() override;

    // The buttons draw the icon their text names instead of the text.
    void setIsWaveform (bool shouldDrawIcons);
    // Narrows the buttons of a column like the adapted sliders beside them.
    void setForceAdapt (bool shouldAdapt);
    void setIsHorizontal (bool shouldBeHorizontal);

    // A click on `button` (option `index`): when it is now on, the parameter
    // takes the option's index.
    void updateState (juce::ToggleButton* button, int index);

    // Any thread: stores the index (value truncated toward zero) for the timer.
    void parameterChanged (const juce::String& parameterID, float newValue) override;
    void timerCallback() override;

    std::vector<std::unique_ptr<juce::ToggleButton>> buttons;
    ButtonLookAndFeel lookAndFeel;
    bool forceAdapt = false;
    bool isHorizontal = false;
    std::atomic<int> selectedIndex { 0 };
    std::atomic<bool> needsRepaint { false };
    juce::AudioProcessorValueTreeState* state = nullptr;
    juce::RangedAudioParameter* hostParameter = nullptr;
};
