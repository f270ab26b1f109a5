#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "UI/Overlays/Browser/BrowserListBoxModelDelegate.h"

#include <vector>

// The rows of one of the browser's lists: texts drawn on alternating shades,
// the selected row in blue; every selection change goes to the delegate.
class BrowserListBoxModel : public juce::ListBoxModel
{
public:
    BrowserListBoxModel() = default;

    void setDelegate (BrowserListBoxModelDelegate* newDelegate) { delegate = newDelegate; }
    // Replaces the rows; the owner then tells its list box to update.
    void setElements (std::vector<juce::String> newElements) { elements = std::move (newElements); }

    int getNumRows() override;
    void paintListBoxItem (int row, juce::Graphics& g, int width, int height, bool selected) override;
    void selectedRowsChanged (int lastRowSelected) override;
    void listBoxItemClicked (int row, const juce::MouseEvent& e) override;

    BrowserListBoxModelDelegate* delegate = nullptr;
    std::vector<juce::String> elements;
};
