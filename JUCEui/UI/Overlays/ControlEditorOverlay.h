#pragma once

#include "UI/Overlays/ControlEditorParameter.h"
#include "UI/Overlays/ControlEditorParameterDelegate.h"
#include "UI/Overlays/EditableParameter.h"
#include "UI/Overlays/Overlay.h"

#include <functional>
#include <memory>
#include <vector>

// The overlay a right click on a control opens: one panel per parameter of
// that control (at most two), each to type a value or restore the default.
class ControlEditorOverlay : public Overlay, public ControlEditorParameterDelegate
{
public:
    static constexpr size_t maxEntries = 2;

    ControlEditorOverlay();
    ~ControlEditorOverlay() override;

    // Fills and lays out the panels for `entries` in the overlay's current
    // bounds; the caller shows the overlay. Entries beyond the second are left
    // out; an empty list leaves the overlay without panels.
    void setControls (std::vector<EditableParameter> entries);

    // The panel comes only from setControls: resizing the overlay while it is
    // open leaves it where it was.
    void resized() override {}

    // A panel confirmed: close.
    void onConfirm() override;

    // Every shown panel follows its parameter's value (ControlEditorParameter::followValue).
    void followValues();
    // The first panel's value field takes the keyboard.
    void focusFirstValue();

    // A press beside the panel closes the overlay; a right press there is
    // meant for the control seen under it, and is handed on to this.
    void mouseDown (const juce::MouseEvent& event) override;
    std::function<void (const juce::MouseEvent&)> onRightClickBeside;

    std::vector<std::unique_ptr<ControlEditorParameter>> panels;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ControlEditorOverlay)
};
