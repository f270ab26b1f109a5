#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class BrowserListBoxModel;

// Told by a list model whenever its list's selection changes (-1: cleared),
// and of every click on a row, including one on the row already selected
// (which changes no selection).
class BrowserListBoxModelDelegate
{
public:
    virtual ~BrowserListBoxModelDelegate() = default;
    virtual void onItemSelected (BrowserListBoxModel* model, int row) = 0;
    virtual void onItemClicked (BrowserListBoxModel*, int, const juce::MouseEvent&) {}
};
