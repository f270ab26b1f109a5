#include "UI/Overlays/Browser/ConfirmDialog.h"

#include "LookAndFeel/Palette.h"
#include "UI/Overlays/Browser/DialogFrame.h"

#include <utility>

ConfirmDialog::ConfirmDialog (ConfirmDialogDelegate* confirmDelegate)
    : delegate (confirmDelegate)
{
    addAndMakeVisible (messageLabel);
    messageLabel.setLookAndFeel (&lookAndFeel);
    messageLabel.setJustificationType (juce::Justification::centred);
    addChildComponent (reasonLabel);
    DialogFrame::styleReason (reasonLabel);
    askAboutDeleting();
    addAndMakeVisible (cancelButton);
    addAndMakeVisible (deleteButton);
    for (auto* button : { &deleteButton, &cancelButton })
    {
        button->setLookAndFeel (&lookAndFeel);
        DialogFrame::styleButton (*button, Karvon::blue);
    }
    deleteButton.setColour (juce::TextButton::textColourOnId, Karvon::red);
    cancelButton.setColour (juce::TextButton::textColourOnId, juce::Colours::grey);

    deleteButton.onClick = [this] { confirm(); };
    cancelButton.onClick = [this] { setVisible (false); };
    // The dialog itself holds the keyboard while open (its buttons take none):
    // Return confirms, as DELETE is what it offers; Escape closes it (the
    // editor's overlay coordinator).
    setWantsKeyboardFocus (true);
}

void ConfirmDialog::confirm()
{
    if (confirmedAction != nullptr)
    {
        const auto action = std::exchange (confirmedAction, nullptr);
        setVisible (false);
        action();
        return;
    }
    // Without anyone to carry out the deletion the question stays open.
    if (delegate == nullptr)
        return;
    told = false;
    delegate->onDelete();
    // A deletion that failed says why here, and the dialog stays open.
    if (! told)
        setVisible (false);
}

bool ConfirmDialog::keyPressed (const juce::KeyPress& key)
{
    if (key != juce::KeyPress::returnKey)
        return false;
    // A notice offers only its button to close.
    if (! deleteButton.isVisible())
        setVisible (false);
    else
        confirm();
    return true;
}

ConfirmDialog::~ConfirmDialog()
{
    messageLabel.setLookAndFeel (nullptr);
    deleteButton.setLookAndFeel (nullptr);
    cancelButton.setLookAndFeel (nullptr);
}

void ConfirmDialog::askAboutDeleting()
{
    confirmedAction = nullptr;
    messageLabel.setText ("Are you sure you want to delete this preset?", juce::dontSendNotification);
    messageLabel.setVisible (true);
    reasonLabel.setVisible (false);
    deleteButton.setButtonText ("DELETE");
    deleteButton.setVisible (true);
    cancelButton.setButtonText ("CANCEL");
}

void ConfirmDialog::tell (const juce::String& reason)
{
    told = true;
    confirmedAction = nullptr;
    reasonLabel.setText (reason, juce::dontSendNotification);
    reasonLabel.setVisible (true);
    messageLabel.setVisible (false);
    deleteButton.setVisible (false);
    cancelButton.setButtonText ("OK");
    if (isVisible())
        cancelButton.toFront (true);
    else
        setVisible (true);
}

void ConfirmDialog::ask (const juce::String& question, const juce::String& confirmText, std::function<void()> confirmed)
{
    messageLabel.setText (question, juce::dontSendNotification);
    deleteButton.setButtonText (confirmText);
    confirmedAction = std::move (confirmed);
    setVisible (true);
}

void ConfirmDialog::paint (juce::Graphics& g)
{
    DialogFrame::paint (g, getWidth(), getHeight());
}

void ConfirmDialog::resized()
{
    const auto area = DialogFrame::contentArea (getWidth(), getHeight());
    const int labelArea = static_cast<int> (0.7 * area.getHeight());
    deleteButton.setBounds (DialogFrame::leftButton (area, labelArea));
    cancelButton.setBounds (DialogFrame::rightButton (area, labelArea));
    messageLabel.setBounds (area.getX(), area.getY(), area.getWidth(), static_cast<int> (0.7 * labelArea));
    reasonLabel.setBounds (messageLabel.getBounds());
}

void ConfirmDialog::visibilityChanged()
{
    if (! isVisible())
    {
        askAboutDeleting();
        return;
    }
    toFront (true);
}
