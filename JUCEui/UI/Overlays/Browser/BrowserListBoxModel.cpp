#include "UI/Overlays/Browser/BrowserListBoxModel.h"

#include "LookAndFeel/Palette.h"

int BrowserListBoxModel::getNumRows()
{
    return static_cast<int> (elements.size());
}

void BrowserListBoxModel::paintListBoxItem (int row, juce::Graphics& g, int width, int height, bool selected)
{
    if (row < 0 || row >= getNumRows())
        return;

    const auto fill = selected ? Karvon::blue : Karvon::background.brighter (row % 2 == 1 ? 0.08f : 0.04f);
    g.setColour (fill);
    // A one-pixel frame lets the list's background show between the rows.
    g.fillRect (1, 1, width - 2, height - 2);

    g.setColour (juce::Colours::white);
    g.setFont (Karvon::getFontLight().withHeight (0.9f * static_cast<float> (height)));
    g.drawText (elements[static_cast<size_t> (row)], 0, 0, width, height, juce::Justification::centred, true);
}

void BrowserListBoxModel::listBoxItemClicked (int row, const juce::MouseEvent& e)
{
    if (delegate != nullptr)
        delegate->onItemClicked (this, row, e);
}

void BrowserListBoxModel::selectedRowsChanged (int lastRowSelected)
{
    if (delegate != nullptr)
        delegate->onItemSelected (this, lastRowSelected);
}
