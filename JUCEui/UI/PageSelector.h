#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "LookAndFeel/ButtonLookAndFeel.h"
#include "UI/PageSelectorDelegate.h"

#include <memory>
#include <string>
#include <vector>

// A row of tabs, one per page, of which one is selected; reports the chosen
// page to its delegate.
class PageSelector : public juce::Component
{
public:
    explicit PageSelector (PageSelectorDelegate* delegate);
    ~PageSelector() override;

    // Adds one tab per name, tab `selected` switched on. Called once.
    void init (std::vector<std::string> names, int selected);
    void updateState (int i);

    void resized() override;

    PageSelectorDelegate* delegate = nullptr;
    std::vector<std::unique_ptr<juce::ToggleButton>> buttons;
    ButtonLookAndFeel lookAndFeel;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PageSelector)
};
