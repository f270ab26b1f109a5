#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

namespace profile
{
// A desktop window holding a processor's editor, as a host shows it.
class EditorWindow : public juce::DocumentWindow
{
public:
    explicit EditorWindow (juce::AudioProcessor& processor);
    ~EditorWindow() override;

    void closeButtonPressed() override;
};
} // namespace profile
