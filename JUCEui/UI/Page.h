#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "UI/UISection.h"

#include <string>
#include <vector>

// One page of the editor's body: its sections side by side, each as wide as
// its share of the weights.
class Page : public juce::Component
{
public:
    Page (std::vector<UISection> sections, std::string name);
    ~Page() override;

    void resized() override;

    std::vector<UISection> sections; // not owning
    std::string name;                // the page's button text in the page selector

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Page)
};
