#include "UI/Overlays/Browser/SaveAsDialog.h"

#include "LookAndFeel/Palette.h"
#include "Preset/PresetFileName.h"
#include "UI/Overlays/Browser/DialogFrame.h"

SaveAsDialog::SaveAsDialog (SaveAsDialogDelegate* saveDelegate)
    : delegate (saveDelegate)
{
    addAndMakeVisible (titleLabel);
    addAndMakeVisible (nameEditor);
    titleLabel.setLookAndFeel (&lookAndFeel);
    titleLabel.setText ("Save preset as...", juce::dontSendNotification);
    titleLabel.setJustificationType (juce::Justification::centred);
    addChildComponent (reasonLabel);
    DialogFrame::styleReason (reasonLabel);

    saveButton.setButtonText ("SAVE");
    cancelButton.setButtonText ("CANCEL");
    addAndMakeVisible (cancelButton);
    addAndMakeVisible (saveButton);
    for (auto* button : { &saveButton, &cancelButton })
    {
        button->setLookAndFeel (&lookAndFeel);
        DialogFrame::styleButton (*button, Karvon::blue);
    }
    cancelButton.setColour (juce::TextButton::textColourOnId, juce::Colours::grey);

    nameEditor.setMultiLine (false);
    nameEditor.setColour (juce::TextEditor::backgroundColourId, Karvon::background.brighter (0.04f));
    nameEditor.setColour (juce::TextEditor::outlineColourId, juce::Colours::white);
    nameEditor.setColour (juce::TextEditor::focusedOutlineColourId, Karvon::blue);
    nameEditor.setFont (Karvon::getFontLight().withHeight (16.0f));
    nameEditor.setTextToShowWhenEmpty ("ENTER PRESET NAME...", juce::Colours::grey);
    nameEditor.setSelectAllWhenFocused (true);
    // Escape travels on to the editor, which closes the dialog.
    nameEditor.setEscapeAndReturnKeysConsumed (false);

    cancelButton.onClick = [this] { setVisible (false); };
    saveButton.onClick = [this] { saveAs(); };
    nameEditor.onTextChange = [this] { inputTextChanged(); };
    nameEditor.onReturnKey = [this] { saveAs(); };

    inputTextChanged();
}

SaveAsDialog::~SaveAsDialog()
{
    titleLabel.setLookAndFeel (nullptr);
    saveButton.setLookAndFeel (nullptr);
    cancelButton.setLookAndFeel (nullptr);
}

void SaveAsDialog::saveAs()
{
    const auto name = nameEditor.getText();
    if (name.isEmpty())
    {
        showFailure (PresetFileName::needsNameText);
        return;
    }
    if (delegate == nullptr)
        return;
    held = false;
    delegate->onSavePresetAs (name);
    if (! held)
        setVisible (false);
}

void SaveAsDialog::showFailure (const juce::String& reason)
{
    held = true;
    reasonLabel.setText (reason.upToFirstOccurrenceOf ("\n", false, false), juce::dontSendNotification);
    reasonLabel.setVisible (true);
    titleLabel.setVisible (false);
    setVisible (true);
}

void SaveAsDialog::inputTextChanged()
{
    saveButton.setEnabled (nameEditor.getText().isNotEmpty());
    reasonLabel.setVisible (false);
    titleLabel.setVisible (true);
}

void SaveAsDialog::paint (juce::Graphics& g)
{
    DialogFrame::paint (g, getWidth(), getHeight());
}

void SaveAsDialog::resized()
{
    const auto area = DialogFrame::contentArea (getWidth(), getHeight());
    const int labelArea = static_cast<int> (0.7 * area.getHeight());
    saveButton.setBounds (DialogFrame::leftButton (area, labelArea));
    cancelButton.setBounds (DialogFrame::rightButton (area, labelArea));
    titleLabel.setBounds (area.getX(), area.getY(), area.getWidth(), static_cast<int> (0.3 * labelArea));
    reasonLabel.setBounds (titleLabel.getBounds());
    nameEditor.setBounds (area.getX(), static_cast<int> (area.getY() + 0.45 * labelArea), area.getWidth(),
                          static_cast<int> (0.45 * labelArea));
}

void SaveAsDialog::visibilityChanged()
{
    if (! isVisible())
        return;
    toFront (false);
    nameEditor.toFront (true);
}
