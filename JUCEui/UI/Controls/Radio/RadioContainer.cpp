#include "UI/Controls/Radio/RadioContainer.h"

#include "UI/Controls/Buttons/LeftClickOnly.h"
#include "UI/Controls/HostParameter.h"

#include <cmath>

RadioContainer::RadioContainer (Parameter* parameterToShow, std::string title, std::vector<std::string> labels)
    : UIContainer (parameterToShow, std::move (title))
{
    lookAndFeel.mainColor = mainColor;
    lookAndFeel.isGrey = isGrey;
    lookAndFeel.forceSquare = false;

    for (size_t i = 0; i < labels.size(); ++i)
    {
        auto button = std::make_unique<LeftClickOnly<juce::ToggleButton>>();
        addAndMakeVisible (*button);
        button->setLookAndFeel (&lookAndFeel);
        button->setButtonText (juce::String::fromUTF8 (labels[i].c_str()));
        button->setRadioGroupId (1, juce::sendNotification);
        auto* raw = button.get();
        const int index = static_cast<int> (i);
        button->onClick = [this, raw, index] { updateState (raw, index); };
        buttons.push_back (std::move (button));
    }
}

RadioContainer::~RadioContainer()
{
    // No notification may arrive while the container is being taken apart.
    if (state != nullptr && parameter != nullptr)
        state->removeParameterListener (juce::String::fromUTF8 (parameter->id.c_str()), this);
    stopTimer();
    for (auto& button : buttons)
    {
        button->setLookAndFeel (nullptr);
        button.reset();
    }
}

void RadioContainer::attach (juce::AudioProcessorValueTreeState& tree)
{
    if (parameter == nullptr)
        return;
    const auto id = juce::String::fromUTF8 (parameter->id.c_str());
    tree.addParameterListener (id, this);
    hostParameter = HostParameter::find (tree, parameter->id);
    parameterChanged (id, HostParameter::read (hostParameter));
    state = &tree;
    startTimerHz (12);
    // attach runs on the message thread: show the stored value now rather
    // than one timer period after the editor opened.
    timerCallback();
}

void RadioContainer::parameterChanged (const juce::String&, float newValue)
{
    // A value that cannot be an index selects nothing (and converting it
    // would be undefined).
    const double whole = std::trunc (static_cast<double> (newValue));
    const bool usable = std::isfinite (whole) && whole > -1.0 && whole < 1.0e6;
    selectedIndex.store (usable ? static_cast<int> (whole) : -1);
    needsRepaint.store (true);
}

void RadioContainer::timerCallback()
{
    // Clear the flag before reading the index, so that a change arriving in
    // between raises it again instead of being lost.
    if (! needsRepaint.exchange (false))
        return;
    const auto index = static_cast<unsigned int> (selectedIndex.load());
    if (index < buttons.size())
        buttons[index]->setToggleState (true, juce::dontSendNotification);
}

void RadioContainer::updateState (juce::ToggleButton* button, int index)
{
    if (button != nullptr && button->getToggleState())
        HostParameter::assignAsGesture (hostParameter, static_cast<float> (index));
}

void RadioContainer::setMainColor (juce::Colour colour)
{
    UIContainer::setMainColor (colour);
    lookAndFeel.mainColor = mainColor;
    repaint();
}

void RadioContainer::setIsGrey (bool grey)
{
    UIContainer::setIsGrey (grey);
    lookAndFeel.isGrey = grey;
    repaint();
}

void RadioContainer::setIsWaveform (bool shouldDrawIcons)
{
    lookAndFeel.isWaveform = shouldDrawIcons;
    repaint();
}

void RadioContainer::setForceAdapt (bool shouldAdapt)
{
    forceAdapt = shouldAdapt;
    resized();
}

void RadioContainer::setIsHorizontal (bool shouldBeHorizontal)
{
    isHorizontal = shouldBeHorizontal;
    resized();
}

void RadioContainer::resized()
{
    UIContainer::resized();
    const int n = static_cast<int> (buttons.size());
    if (n == 0)
        return;

    const int width = getWidth();
    const int height = getHeight();
    const int top = currentTitleHeight;
    constexpr int gap = 2;

    for (int i = 0; i < n; ++i)
    {
        auto& button = *buttons[static_cast<size_t> (i)];
        if (isHorizontal)
        {
            const int buttonWidth = (width - gap * n + gap) / n;
            button.setBounds (gap * i + i * buttonWidth, top, buttonWidth, height - top);
        }
        else
        {
            const int buttonWidth = forceAdapt ? width - top + 6 : width;
            const int buttonHeight = (height - top - gap * n + gap) / n;
            button.setBounds (static_cast<int> ((width - buttonWidth) * 0.5), top + gap * i + i * buttonHeight,
                              buttonWidth, buttonHeight);
        }
    }
}
