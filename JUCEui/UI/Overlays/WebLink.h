#pragma once

#include "UI/Controls/Buttons/LeftClickOnly.h"

#include <functional>

// A hyperlink worked by the left button only that opens its address through
// `open`: the default browser, unless its owner routes the pages it opens
// through one place of its own (the header does, for all of the maker's).
class WebLink : public LeftClickOnly<juce::HyperlinkButton>
{
public:
    using LeftClickOnly<juce::HyperlinkButton>::LeftClickOnly;

    // Narrows the link to its text, centred where it stood, so that only the
    // text answers a click.
    void fitToText()
    {
        const auto placed = getBounds();
        changeWidthToFitText();
        setBounds (placed.withSizeKeepingCentre (juce::jmin (getWidth(), placed.getWidth()), placed.getHeight()));
    }

    std::function<void (const juce::URL&)> open = [] (const juce::URL& url) { url.launchInDefaultBrowser(); };

protected:
    void clicked() override
    {
        if (open != nullptr && getURL().isWellFormed())
            open (getURL());
    }
};
