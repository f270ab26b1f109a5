#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "LookAndFeel/PresetButtonLookAndFeel.h"
#include "UI/Controls/Buttons/LeftClickOnly.h"
#include "UI/Overlays/Browser/ConfirmDialogDelegate.h"

// Asks before a preset is deleted. A child of the preset browser covering its
// panel; it starts hidden and the browser shows it.
class ConfirmDialog : public juce::Component
{
public:
    explicit ConfirmDialog (ConfirmDialogDelegate* delegate);
    ~ConfirmDialog() override;

    void paint (juce::Graphics& g) override;
    void resized() override;
    void visibilityChanged() override;

    ConfirmDialogDelegate* delegate;
    juce::Label messageLabel;
    LeftClickOnly<juce::TextButton> deleteButton;
    LeftClickOnly<juce::TextButton> cancelButton;
    PresetButtonLookAndFeel lookAndFeel;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConfirmDialog)
};
