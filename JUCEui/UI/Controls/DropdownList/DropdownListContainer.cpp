#include "UI/Controls/DropdownList/DropdownListContainer.h"

#include "LookAndFeel/Palette.h"
#include "UI/Controls/Buttons/ColourArrowButton.h"
#include "UI/Controls/Buttons/LeftClickOnly.h"
#include "UI/Controls/HostParameter.h"

#include <cmath>

DropdownListContainer::DropdownListContainer (Parameter* parameterToShow, std::string title,
                                              std::vector<std::string> labels)
    : UIContainer (parameterToShow, std::move (title))
{
    valueLabel = std::make_unique<juce::Label>();
    comboBox = std::make_unique<LeftClickOnly<juce::ComboBox>>();
    previousButton = std::make_unique<ColourArrowButton> ("previous", 0.5f, mainColor);
    nextButton = std::make_unique<ColourArrowButton> ("next", 0.0f, mainColor);

    for (const auto& label : labels)
        items.add (juce::String::fromUTF8 (label.c_str()));

    valueLabel->setFont (Karvon::getFontLight().withHeight (22.0f));
    valueLabel->setJustificationType (juce::Justification::centred);
    valueLabel->setInterceptsMouseClicks (false, false);
    valueLabel->setColour (juce::Label::textColourId, mainColor);

    comboBox->addItemList (items, 1);
    lookAndFeel.menuColour = mainColor;
    comboBox->setLookAndFeel (&lookAndFeel);

    addAndMakeVisible (*valueLabel);
    addAndMakeVisible (*comboBox);
    addAndMakeVisible (*previousButton);
    addAndMakeVisible (*nextButton);

    previousButton->onClick = [this] { onPreviousClick(); };
    nextButton->onClick = [this] { onNextClick(); };
    comboBox->onChange = [this] { onDropdownItemSelected(); };
}

DropdownListContainer::~DropdownListContainer()
{
    if (valueTreeState != nullptr && parameter != nullptr)
        valueTreeState->removeParameterListener (juce::String::fromUTF8 (parameter->id.c_str()), this);
    comboBox->setLookAndFeel (nullptr);
}

void DropdownListContainer::attach (juce::AudioProcessorValueTreeState& state)
{
    if (parameter == nullptr)
        return;
    const auto id = juce::String::fromUTF8 (parameter->id.c_str());
    state.addParameterListener (id, this);
    hostParameter = HostParameter::find (state, parameter->id);
    parameterChanged (id, HostParameter::read (hostParameter));
    valueTreeState = &state;
}

void DropdownListContainer::setMainColor (juce::Colour colour)
{
    UIContainer::setMainColor (colour);
    lookAndFeel.menuColour = mainColor;
    valueLabel->setColour (juce::Label::textColourId, colour);
    previousButton->setColour (juce::TextButton::buttonColourId, colour);
    nextButton->setColour (juce::TextButton::buttonColourId, colour);
    previousButton->repaint();
    nextButton->repaint();
}

void DropdownListContainer::parameterChanged (const juce::String&, float newValue)
{
    const double rounded = std::round (static_cast<double> (newValue));
    // A value that cannot be an index shows no option (converting it would be undefined).
    const bool usable = std::isfinite (rounded) && rounded > -1.0e6 && rounded < 1.0e6;
    selectedIndex.store (usable ? static_cast<int> (rounded) : -1);
    needsUpdate.store (true);
}

void DropdownListContainer::update()
{
    if (! needsUpdate.exchange (false))
        return;
    const int index = selectedIndex.load();
    if (index >= 0 && index < items.size())
    {
        valueLabel->setText (items[index], juce::dontSendNotification);
        comboBox->setSelectedId (index + 1, juce::sendNotificationAsync);
    }
    else
    {
        // An index beyond the options: show none, and leave the parameter alone.
        valueLabel->setText ({}, juce::dontSendNotification);
        comboBox->setSelectedId (0, juce::dontSendNotification);
    }
}

void DropdownListContainer::select (int index)
{
    HostParameter::assignAsGesture (hostParameter, static_cast<float> (index));
}

void DropdownListContainer::onPreviousClick()
{
    const int count = items.size();
    if (count == 0)
        return;
    const int current = selectedIndex.load();
    select ((current < 1 || current >= count) ? count - 1 : current - 1);
}

void DropdownListContainer::onNextClick()
{
    const int count = items.size();
    if (count == 0)
        return;
    const int current = selectedIndex.load();
    select ((current >= 0 && current + 1 < count) ? current + 1 : 0);
}

void DropdownListContainer::onDropdownItemSelected()
{
    // Id 0 means no item is selected (the value lies outside the options).
    const int id = comboBox->getSelectedId();
    if (id <= 0)
        return;
    selectedIndex.store (id - 1);
    select (id - 1);
}

void DropdownListContainer::resized()
{
    UIContainer::resized();
    const int width = getWidth();
    const int top = currentTitleHeight;
    const int height = getHeight() - top;
    const double a = 0.22 * width;
    const double o = (height - a) * 0.5;
    const auto s = static_cast<int> (a - 2.0);
    const auto arrowY = static_cast<int> (top + 2 + o);

    previousButton->setBounds (2, arrowY, s, s);
    nextButton->setBounds (static_cast<int> (width - a), arrowY, s, s);
    valueLabel->setBounds (static_cast<int> (2 + a), top, static_cast<int> (width - 2 * a - 4), height - 2);
    comboBox->setBounds (0, top, width, height);
}
