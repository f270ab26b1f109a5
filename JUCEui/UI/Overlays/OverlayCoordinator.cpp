#include "UI/Overlays/OverlayCoordinator.h"

OverlayCoordinator::~OverlayCoordinator()
{
    for (auto& overlay : overlays)
        if (overlay != nullptr)
            overlay->removeComponentListener (this);
}

void OverlayCoordinator::manage (juce::Component& overlay)
{
    for (auto& known : overlays)
        if (known == &overlay)
            return;
    overlays.emplace_back (&overlay);
    overlay.addComponentListener (this);
}

void OverlayCoordinator::manageDialog (juce::Component& dialog)
{
    dialogs.emplace_back (&dialog);
}

void OverlayCoordinator::componentVisibilityChanged (juce::Component& component)
{
    if (! component.isVisible())
        return;

    for (auto& other : overlays)
        if (other != nullptr && other != &component)
            other->setVisible (false);

    component.toFront (false);
    // The overlay's own default control (a value field, the preset list)
    // takes the focus; an overlay without one takes it itself, so that
    // Escape reaches the editor.
    if (! component.hasKeyboardFocus (true))
        component.grabKeyboardFocus();
    if (! component.hasKeyboardFocus (true))
    {
        component.setWantsKeyboardFocus (true);
        component.grabKeyboardFocus();
    }
}

bool OverlayCoordinator::closeInnermost()
{
    for (auto& dialog : dialogs)
    {
        if (dialog != nullptr && dialog->isShowing())
        {
            dialog->setVisible (false);
            // The overlay under it keeps the focus, and with it the next Escape.
            if (auto* parent = dialog->getParentComponent())
                parent->grabKeyboardFocus();
            return true;
        }
    }
    for (auto& overlay : overlays)
    {
        if (overlay != nullptr && overlay->isVisible())
        {
            overlay->setVisible (false);
            return true;
        }
    }
    return false;
}

bool OverlayCoordinator::keyPressed (const juce::KeyPress& key, juce::Component*)
{
    return key == juce::KeyPress::escapeKey && closeInnermost();
}
