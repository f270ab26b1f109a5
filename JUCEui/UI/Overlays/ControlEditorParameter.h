#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "LookAndFeel/PresetButtonLookAndFeel.h"
#include "Parameters/ParameterUnit.h"
#include "UI/Overlays/ControlEditorParameterDelegate.h"
#include "UI/Overlays/EditableParameter.h"

#include <string>

// One column of the control editor: the control's name, its value as editable
// text with the unit beside it, OK, and a button that restores the default.
class ControlEditorParameter : public juce::Component
{
public:
    ControlEditorParameter();
    ~ControlEditorParameter() override;

    // Shows `entry`'s current value, name and unit, selected for overtyping.
    void setControl (EditableParameter entry);

    // The unit text shown beside the value; empty for codes without one.
    static std::string getUnitString (ParameterUnit unit);

    // Sets the parameter to the typed value (OK, Return).
    void onConfirm();
    // Sets the parameter to its default value.
    void onSetToDefault();

    void resized() override;

    // The normalised value that `value`, in the parameter's own units, sets:
    // clamped into its range and snapped to what it can hold (0 for NaN).
    static float normalisedValueFor (const juce::RangedAudioParameter& parameter, double value);
    // The same for typed text: its leading number (LeadingNumber), 0 when it
    // has none.
    static float normalisedValueForText (const juce::RangedAudioParameter& parameter, const juce::String& typed);

    ControlEditorParameterDelegate* delegate = nullptr;
    juce::RangedAudioParameter* hostParameter = nullptr;
    float defaultValue = 0.0f;

    juce::Label titleLabel;
    juce::TextEditor valueEditor;
    juce::Label unitLabel;
    juce::TextButton okButton;
    juce::TextButton defaultButton;
    PresetButtonLookAndFeel lookAndFeel;

private:
    // Sets the host parameter; an unchanged value notifies nobody.
    void assign (float normalised);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ControlEditorParameter)
};
