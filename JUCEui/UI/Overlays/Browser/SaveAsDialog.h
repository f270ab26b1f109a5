#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "LookAndFeel/PresetButtonLookAndFeel.h"
#include "UI/Controls/Buttons/LeftClickOnly.h"
#include "UI/Overlays/Browser/SaveAsDialogDelegate.h"

// Asks for the name of a new user preset. A child of the preset browser
// covering its panel; it starts hidden and keeps the last typed name.
class SaveAsDialog : public juce::Component
{
public:
    explicit SaveAsDialog (SaveAsDialogDelegate* delegate);
    ~SaveAsDialog() override;

    // Reports the typed name and closes, unless the owner reported a failure
    // or held the dialog open meanwhile. An empty name is not reported: the
    // dialog says that a name is needed.
    void saveAs();
    // Keeps the dialog open after the current report (the owner asks a
    // question first, and closes the dialog itself once answered).
    void holdOpen() noexcept { held = true; }
    // Shows a one-line reason in place of the title and keeps the dialog open
    // (opening it if needed); the next edit of the name clears it.
    void showFailure (const juce::String& reason);
    // SAVE is enabled exactly while a name is typed.
    void inputTextChanged();

    void paint (juce::Graphics& g) override;
    void resized() override;
    void visibilityChanged() override;

    SaveAsDialogDelegate* delegate;
    juce::Label titleLabel;
    juce::Label reasonLabel;
    juce::TextEditor nameEditor;
    LeftClickOnly<juce::TextButton> saveButton;
    LeftClickOnly<juce::TextButton> cancelButton;
    PresetButtonLookAndFeel lookAndFeel;

private:
    bool held = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SaveAsDialog)
};
