#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "LookAndFeel/PresetButtonLookAndFeel.h"
#include "Parameters/ParameterUnit.h"
#include "UI/Controls/Buttons/LeftClickOnly.h"
#include "UI/Overlays/ControlEditorParameterDelegate.h"
#include "UI/Overlays/EditableParameter.h"

#include <optional>
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
    // Shows the parameter's value again when it changed under the panel (a
    // host automating it), unless the user has typed into the field: what
    // they typed stands.
    void followValue();
    // The value field takes the keyboard, its text selected.
    void focusValue();

    // The unit text shown beside the value; empty for codes without one.
    static std::string getUnitString (ParameterUnit unit);

    // Sets the parameter to the typed value (OK, Return). A field left as it
    // was shown sets nothing; text that does not start with a number sets
    // nothing either and stays, marked and selected, for another try.
    void onConfirm();
    // Sets the parameter to its default value.
    void onSetToDefault();

    void resized() override;

    // The normalised value that `value`, in the parameter's own units, sets:
    // clamped into its range and snapped to what it can hold (0 for NaN).
    static float normalisedValueFor (const juce::RangedAudioParameter& parameter, double value);
    // The same for text typed for `parameter` (ParameterText: a value name,
    // or a number with the unit the control shows, as hosts read it too),
    // in milliseconds of one period for a rate shown as its period; nothing
    // when the text cannot mean a value.
    static std::optional<float> normalisedValueForText (const juce::RangedAudioParameter& host,
                                                        const Parameter& parameter, const juce::String& typed);
    // A rate parameter whose control shows it as a period: the panel speaks
    // milliseconds too.
    static bool showsPeriod (const Parameter& parameter);

    ControlEditorParameterDelegate* delegate = nullptr;
    juce::RangedAudioParameter* hostParameter = nullptr;
    float defaultValue = 0.0f;

    juce::Label titleLabel;
    juce::TextEditor valueEditor;
    juce::Label unitLabel;
    LeftClickOnly<juce::TextButton> okButton;
    LeftClickOnly<juce::TextButton> defaultButton;
    PresetButtonLookAndFeel lookAndFeel;

private:
    // Sets the host parameter; an unchanged value notifies nobody.
    void assign (float normalised);
    // The parameter's current value as the field shows it.
    juce::String currentText() const;
    void showCurrentValue();
    // Marks the field's outline: red while it holds refused text.
    void markRefused (bool refused);

    // The kernel parameter shown (its unit and value names); null until setControl.
    const Parameter* shownParameter = nullptr;
    bool typedAsPeriod = false;
    // The text last put into the field by the panel, not by the user.
    juce::String shownText;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ControlEditorParameter)
};
