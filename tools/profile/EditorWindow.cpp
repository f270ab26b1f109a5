#include "EditorWindow.h"

namespace profile
{
EditorWindow::EditorWindow (juce::AudioProcessor& processor)
    : juce::DocumentWindow ("KARVON Vantrel", juce::Colours::black, juce::DocumentWindow::closeButton)
{
    setUsingNativeTitleBar (false);
    setContentOwned (processor.createEditorIfNeeded(), true);
    setVisible (true);
}

EditorWindow::~EditorWindow() { clearContentComponent(); }

void EditorWindow::closeButtonPressed() { juce::JUCEApplication::quit(); }
} // namespace profile
