#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

#include "LookAndFeel/PresetButtonLookAndFeel.h"
#include "UI/Controls/Buttons/LeftClickOnly.h"
#include "UI/Overlays/Browser/ConfirmDialogDelegate.h"

// Asks before a preset is deleted, or before a save replaces one. A child of
// the preset browser covering its panel; it starts hidden and the browser
// shows it.
class ConfirmDialog : public juce::Component
{
public:
    explicit ConfirmDialog (ConfirmDialogDelegate* delegate);
    ~ConfirmDialog() override;

    // Shows `question`, with `confirmText` on the confirming button, which then
    // runs `confirmed` instead of reporting a deletion. Once the dialog closes
    // it asks about deleting again.
    void ask (const juce::String& question, const juce::String& confirmText, std::function<void()> confirmed);
    // Says why something failed, with only a button to close (opening the
    // dialog if needed); also while a deletion reported from here runs, which
    // then leaves the dialog open.
    void tell (const juce::String& reason);

    void paint (juce::Graphics& g) override;
    void resized() override;
    void visibilityChanged() override;
    // Return confirms.
    bool keyPressed (const juce::KeyPress& key) override;

    ConfirmDialogDelegate* delegate;
    juce::Label messageLabel;
    juce::Label reasonLabel;
    LeftClickOnly<juce::TextButton> deleteButton;
    LeftClickOnly<juce::TextButton> cancelButton;
    PresetButtonLookAndFeel lookAndFeel;

private:
    void askAboutDeleting();
    // DELETE, or the confirming button of the question asked.
    void confirm();

    std::function<void()> confirmedAction;
    bool told = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConfirmDialog)
};
