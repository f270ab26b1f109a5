#include "UI/Controls/UIContainer.h"

#include "LookAndFeel/Palette.h"
#include "UI/Controls/ConvertStringForDisplay.h"

UIContainer::UIContainer (Parameter* parameterToShow, std::string title)
    : mainColor (Karvon::blue), name (std::move (title))
{
    for (auto& c : name)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char> (c - 'a' + 'A');

    titleLabel.setText (juce::String::fromUTF8 (name.c_str()), juce::dontSendNotification);
    titleLabel.setJustificationType (juce::Justification::centred);
    titleLabel.setFont (juce::Font (Karvon::getFontLight()).withHeight (20.0f));
    addAndMakeVisible (titleLabel);

    parameter = parameterToShow;
    addMouseListener (&nestedMouseForwarder, true);
}

UIContainer::~UIContainer()
{
    removeMouseListener (&nestedMouseForwarder);
}

void UIContainer::setMainColor (juce::Colour colour)
{
    mainColor = colour;
}

void UIContainer::setIsGrey (bool grey)
{
    isGrey = grey;
    repaint();
}

void UIContainer::setDisplayTitle (bool show)
{
    displayTitle = show;
    currentTitleHeight = show ? titleHeight : 0;
    titleLabel.setVisible (show);
    resized();
}

void UIContainer::setIconPath (IconPath* icon)
{
    iconShape.clear();
    iconPath.reset (icon);
    titleLabel.setVisible (false);
    repaint();
}

void UIContainer::resized()
{
    iconShape.clear();
    titleLabel.setBounds (0, 0, getWidth(), currentTitleHeight);
}

void UIContainer::paint (juce::Graphics& g)
{
    const int width = getWidth();
    if (lines.size() >= 2 && (lines[0] || lines[1]))
    {
        const int midY = currentTitleHeight + (getHeight() - currentTitleHeight) / 2;
        const float y = static_cast<float> (midY);
        juce::Path stubs;
        if (lines[0])
        {
            stubs.startNewSubPath (0.0f, y);
            stubs.lineTo (static_cast<float> (width / 10), y);
        }
        if (lines[1])
        {
            stubs.startNewSubPath (static_cast<float> (width), y);
            stubs.lineTo (static_cast<float> (width - width / 10), y);
        }
        g.setColour (mainColor.withAlpha (0.5f));
        g.strokePath (stubs, juce::PathStrokeType (1.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    }

    if (iconPath != nullptr)
    {
        if (iconShape.isEmpty())
            iconShape = iconPath->getPath (0.0f, 0.0f, static_cast<float> (width), static_cast<float> (currentTitleHeight));
        g.setColour (juce::Colours::white);
        g.strokePath (iconShape, juce::PathStrokeType (1.0f));
    }
}

void UIContainer::mouseDown (const juce::MouseEvent& e)
{
    if (! e.mods.isRightButtonDown() || delegate == nullptr || parameter == nullptr)
        return;

    const auto displayText = name.empty() ? convertStringForDislay (parameter->id) : name;
    std::vector<ControlParameter> controls { ControlParameter { juce::String::fromUTF8 (displayText.c_str()), parameter } };
    delegate->onRightClickOnControl (std::move (controls));
}

//==============================================================================
bool UIContainer::NestedMouseForwarder::fromNestedWidget (const juce::MouseEvent& e) const
{
    return e.originalComponent != nullptr && e.originalComponent != &owner;
}

void UIContainer::NestedMouseForwarder::mouseDown (const juce::MouseEvent& e)
{
    if (fromNestedWidget (e))
        owner.mouseDown (e.getEventRelativeTo (&owner));
}

void UIContainer::NestedMouseForwarder::mouseUp (const juce::MouseEvent& e)
{
    if (fromNestedWidget (e))
        owner.mouseUp (e.getEventRelativeTo (&owner));
}

void UIContainer::NestedMouseForwarder::mouseDrag (const juce::MouseEvent& e)
{
    if (fromNestedWidget (e))
        owner.mouseDrag (e.getEventRelativeTo (&owner));
}

void UIContainer::NestedMouseForwarder::mouseDoubleClick (const juce::MouseEvent& e)
{
    if (fromNestedWidget (e))
        owner.mouseDoubleClick (e.getEventRelativeTo (&owner));
}
