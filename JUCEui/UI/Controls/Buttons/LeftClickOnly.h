#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <utility>

// A JUCE widget (button, combo box) that answers the left mouse button only.
// JUCE's widgets click, toggle and open on any button; in this editor only
// the left one works them. A right click on a control belongs to the
// container around it, which opens the control editor; on the buttons of the
// header, the browser, its dialogs and the overlays it does nothing. Every
// button and combo box of the editor is one of these.
// A release is passed on exactly when its press was: with two buttons held,
// JUCE reports the release carrying the buttons that were down last, which
// need not include the left one.
// Nor do they take the keyboard focus, from a click or otherwise: no focus
// is ever drawn on them, so Return or the space bar would work a button the
// musician cannot see is meant. Keys go to the value and name fields, the
// preset lists and the dialogs, which say what Return does.
template <typename Widget>
class LeftClickOnly : public Widget
{
public:
    template <typename... Arguments>
    explicit LeftClickOnly (Arguments&&... arguments) : Widget (std::forward<Arguments> (arguments)...)
    {
        this->setWantsKeyboardFocus (false);
        this->setMouseClickGrabsKeyboardFocus (false);
    }

    void mouseDown (const juce::MouseEvent& e) override
    {
        pressTaken = e.mods.isLeftButtonDown() && ! e.mods.isPopupMenu();
        if (pressTaken)
            Widget::mouseDown (e);
    }

    void mouseDrag (const juce::MouseEvent& e) override
    {
        if (pressTaken)
            Widget::mouseDrag (e);
    }

    void mouseUp (const juce::MouseEvent& e) override
    {
        if (std::exchange (pressTaken, false))
            Widget::mouseUp (e);
    }

private:
    bool pressTaken = false;
};
