#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

// Keeps the editor's overlays exclusive: an overlay that opens, however it
// was opened, closes the others and takes the keyboard focus. Escape closes
// the innermost thing open: a dialog inside an overlay, else the overlay.
// The editor adds it as a key listener, so Escape reaches it from any child
// that does not use the key itself.
class OverlayCoordinator : public juce::KeyListener, private juce::ComponentListener
{
public:
    OverlayCoordinator() = default;
    ~OverlayCoordinator() override;

    // Not owned; a deleted component is simply skipped.
    void manage (juce::Component& overlay);
    // A dialog that Escape closes before the overlay holding it.
    void manageDialog (juce::Component& dialog);

    // Closes the innermost open dialog or overlay; false when nothing is open.
    bool closeInnermost();

    bool keyPressed (const juce::KeyPress& key, juce::Component* origin) override;

private:
    void componentVisibilityChanged (juce::Component& component) override;

    std::vector<juce::Component::SafePointer<juce::Component>> overlays;
    std::vector<juce::Component::SafePointer<juce::Component>> dialogs;

    JUCE_DECLARE_NON_COPYABLE (OverlayCoordinator)
};
