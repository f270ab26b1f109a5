#include "UI/PageSelector.h"

#include "LookAndFeel/Palette.h"
#include "UI/Controls/Buttons/LeftClickOnly.h"

PageSelector::PageSelector (PageSelectorDelegate* selectorDelegate) : delegate (selectorDelegate)
{
    lookAndFeel.useCustomColours = true;
    lookAndFeel.onTextColour = Karvon::background;
    lookAndFeel.offTextColour = juce::Colours::white;
    lookAndFeel.onFillColour = Karvon::white;
    lookAndFeel.offFillColour = Karvon::blue;
    lookAndFeel.forceSquare = false;
    lookAndFeel.outline = false;
    lookAndFeel.gradientBackground = true;
}

PageSelector::~PageSelector()
{
    // The look and feel is a member: the buttons must let go of it first.
    for (auto& button : buttons)
        button->setLookAndFeel (nullptr);
    buttons.clear();
}

void PageSelector::init (std::vector<std::string> names, int selected)
{
    for (std::size_t i = 0; i < names.size(); ++i)
    {
        const int index = static_cast<int> (i);
        auto button = std::make_unique<LeftClickOnly<juce::ToggleButton>>();
        button->setLookAndFeel (&lookAndFeel);
        button->setButtonText (juce::String::fromUTF8 (names[i].c_str()));
        button->setRadioGroupId (1);
        addAndMakeVisible (*button);
        if (index == selected)
            button->setToggleState (true, juce::dontSendNotification);
        button->onClick = [this, index] {
            if (delegate != nullptr)
                delegate->onPageSelected (index);
        };
        buttons.push_back (std::move (button));
    }
    resized();
}

void PageSelector::updateState (int i)
{
    if (delegate != nullptr)
        delegate->onPageSelected (i);
}

void PageSelector::resized()
{
    if (buttons.empty())
        return;
    const auto innerWidth = static_cast<unsigned> (std::max (getWidth() - 2, 0));
    const auto innerHeight = std::max (getHeight() - 2, 0);
    const auto n = static_cast<unsigned> (buttons.size());
    for (unsigned i = 0; i < n; ++i)
        buttons[i]->setBounds (1 + static_cast<int> ((i * innerWidth) / n), 1, static_cast<int> (innerWidth / n),
                               innerHeight);
}
