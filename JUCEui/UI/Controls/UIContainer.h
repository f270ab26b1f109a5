#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "Parameters/Parameter.h"
#include "UI/Controls/ControlParameter.h"
#include "UI/Controls/IconPath.h"
#include "UI/Controls/UIContainerDelegate.h"

#include <memory>
#include <string>
#include <vector>

// The base of every control on the editor: a component holding the widgets of
// one parameter under a title strip with the parameter's upper-cased name. It
// draws optional stub lines that join it visually to its neighbours, and
// reports a right click anywhere on it (its widgets included) to its delegate.
class UIContainer : public juce::Component
{
public:
    UIContainer (Parameter* parameter, std::string name);
    ~UIContainer() override;

    // Connects the widgets (or a listener) to the parameter tree. Called once,
    // right after construction.
    virtual void attach (juce::AudioProcessorValueTreeState& parameterTree) = 0;
    // Subclasses that override these call the base version first.
    virtual void setMainColor (juce::Colour colour);
    virtual void setIsGrey (bool grey);
    virtual void update() {}

    void setDisplayTitle (bool show);
    // Takes ownership; a previously set icon is deleted.
    void setIconPath (IconPath* icon);

    void mouseDown (const juce::MouseEvent& e) override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    UIContainerDelegate* delegate = nullptr;
    // [0] draws a stub line on the left edge, [1] on the right edge.
    std::vector<bool> lines { false, false };
    juce::Colour mainColor;
    int titleHeight = 24;
    int currentTitleHeight = 24;
    bool displayTitle = true;
    bool isGrey = false;
    Parameter* parameter = nullptr;
    juce::Label titleLabel;
    // Set in attach() by containers built around a slider. Such a container
    // resets it in its own destructor, while the slider it observes still exists.
    std::unique_ptr<juce::AudioProcessorValueTreeState::SliderAttachment> sliderAttachment;
    std::string name;
    std::unique_ptr<IconPath> iconPath;
    juce::Path iconShape;

private:
    // Passes the mouse events of nested widgets on to the container's own
    // handlers (in the container's coordinates). Events on the container itself
    // reach it directly, so they are not passed twice.
    struct NestedMouseForwarder : juce::MouseListener
    {
        explicit NestedMouseForwarder (UIContainer& owner) : owner (owner) {}
        void mouseDown (const juce::MouseEvent& e) override;
        void mouseUp (const juce::MouseEvent& e) override;
        void mouseDrag (const juce::MouseEvent& e) override;
        void mouseDoubleClick (const juce::MouseEvent& e) override;
        bool fromNestedWidget (const juce::MouseEvent& e) const;
        UIContainer& owner;
    };
    NestedMouseForwarder nestedMouseForwarder { *this };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UIContainer)
};
