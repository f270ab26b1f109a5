#include "UI/Controls/OnOff/OnOffContainer.h"

#include "UI/Controls/Buttons/LeftClickOnly.h"
#include "UI/Controls/HostParameter.h"

OnOffContainer::OnOffContainer (Parameter* parameterToShow, std::string title, std::vector<std::string> labels)
    : UIContainer (parameterToShow, std::move (title))
{
    button = std::make_unique<LeftClickOnly<juce::ToggleButton>>();
    const bool onByDefault = parameter != nullptr && parameter->defaultValue != 0.0f;
    button->setState (onByDefault ? juce::Button::buttonDown : juce::Button::buttonNormal);
    addAndMakeVisible (*button);

    if (labels.size() == 2)
    {
        lookAndFeel.onText = juce::String::fromUTF8 (labels[0].c_str());
        lookAndFeel.offText = juce::String::fromUTF8 (labels[1].c_str());
    }
    lookAndFeel.mainColor = mainColor;
    lookAndFeel.isGrey = isGrey;
    button->setLookAndFeel (&lookAndFeel);
}

OnOffContainer::~OnOffContainer()
{
    button->setLookAndFeel (nullptr);
    buttonAttachment.reset();
    button.reset();
}

void OnOffContainer::attach (juce::AudioProcessorValueTreeState& state)
{
    if (parameter == nullptr || HostParameter::find (state, parameter->id) == nullptr)
        return;
    buttonAttachment = std::make_unique<juce::AudioProcessorValueTreeState::ButtonAttachment> (
        state, juce::String::fromUTF8 (parameter->id.c_str()), *button);
}

void OnOffContainer::setMainColor (juce::Colour colour)
{
    UIContainer::setMainColor (colour);
    lookAndFeel.mainColor = mainColor;
    repaint();
}

void OnOffContainer::setIsGrey (bool grey)
{
    UIContainer::setIsGrey (grey);
    lookAndFeel.isGrey = grey;
    repaint();
}

void OnOffContainer::setForceSquare (bool shouldBeSquare)
{
    lookAndFeel.forceSquare = shouldBeSquare;
}

void OnOffContainer::setForceSmall (bool shouldBeSmall)
{
    forceSmall = shouldBeSmall;
    resized();
}

void OnOffContainer::resized()
{
    UIContainer::resized();
    const int width = getWidth();
    const int height = getHeight();
    int buttonWidth = width;
    int buttonHeight = height - currentTitleHeight;
    if (forceSmall)
        buttonWidth = buttonHeight = static_cast<int> (width / 3.0);
    button->setBounds (static_cast<int> ((width - buttonWidth) * 0.5),
                       currentTitleHeight + static_cast<int> ((height - (currentTitleHeight + buttonHeight)) * 0.5),
                       buttonWidth, buttonHeight);
}
