#include "UI/Overlays/ControlEditorParameter.h"

#include "LookAndFeel/Palette.h"
#include "UI/Overlays/LeadingNumber.h"

#include <array>
#include <cmath>

namespace
{
void styleButton (juce::TextButton& button, juce::Colour outline)
{
    button.setColour (juce::TextButton::buttonColourId, Karvon::background.brighter (0.04f));
    button.setColour (juce::TextButton::textColourOnId, outline);
    button.setColour (juce::TextButton::buttonOnColourId, Karvon::background);
}
} // namespace

ControlEditorParameter::ControlEditorParameter()
{
    addAndMakeVisible (titleLabel);
    addAndMakeVisible (valueEditor);
    addAndMakeVisible (okButton);
    addAndMakeVisible (defaultButton);
    addAndMakeVisible (unitLabel);

    titleLabel.setFont (Karvon::getFontLight().withHeight (25.0f));
    titleLabel.setColour (juce::Label::textColourId, juce::Colours::white);
    titleLabel.setJustificationType (juce::Justification::centred);

    valueEditor.setLookAndFeel (&lookAndFeel);
    valueEditor.setFont (Karvon::getFontLight().withHeight (20.0f));
    valueEditor.setColour (juce::TextEditor::backgroundColourId, Karvon::background.brighter (0.04f));
    valueEditor.setColour (juce::TextEditor::outlineColourId, juce::Colours::white);
    valueEditor.setColour (juce::TextEditor::focusedOutlineColourId, Karvon::blue);
    valueEditor.setSelectAllWhenFocused (true);
    // Escape travels on to the editor, which closes the overlay.
    valueEditor.setEscapeAndReturnKeysConsumed (false);
    valueEditor.onReturnKey = [this] { onConfirm(); };

    unitLabel.setFont (Karvon::getFontLight().withHeight (20.0f));
    unitLabel.setColour (juce::Label::textColourId, juce::Colours::white);
    unitLabel.setJustificationType (juce::Justification::centredLeft);

    okButton.setButtonText ("OK");
    okButton.setLookAndFeel (&lookAndFeel);
    styleButton (okButton, Karvon::blue);
    okButton.onClick = [this] { onConfirm(); };

    defaultButton.setButtonText ("Set to default value");
    defaultButton.setLookAndFeel (&lookAndFeel);
    styleButton (defaultButton, juce::Colours::grey);
    defaultButton.onClick = [this] { onSetToDefault(); };
}

ControlEditorParameter::~ControlEditorParameter()
{
    valueEditor.setLookAndFeel (nullptr);
    okButton.setLookAndFeel (nullptr);
    defaultButton.setLookAndFeel (nullptr);
}

std::string ControlEditorParameter::getUnitString (ParameterUnit unit)
{
    static constexpr std::array<const char*, 14> strings { "", "", "", "%", "s", "ms", "\xc2\xb0",
                                                           "", "Hz", "st", "dB", "\xc2\xb0", "", "" };
    const auto code = static_cast<std::uint32_t> (unit);
    return code < strings.size() ? strings[code] : "";
}

void ControlEditorParameter::setControl (EditableParameter entry)
{
    hostParameter = entry.hostParameter;
    // The default hosts are told, which is the value a new instance starts with.
    defaultValue = hostParameter != nullptr ? hostParameter->convertFrom0to1 (hostParameter->getDefaultValue()) : 0.0f;

    const float current = hostParameter != nullptr ? hostParameter->convertFrom0to1 (hostParameter->getValue()) : 0.0f;
    valueEditor.setText (juce::String (current), true);

    titleLabel.setText (entry.name, juce::dontSendNotification);
    unitLabel.setText (juce::String::fromUTF8 (entry.parameter != nullptr
                                                   ? getUnitString (static_cast<ParameterUnit> (entry.parameter->type)).c_str()
                                                   : ""),
                       juce::dontSendNotification);

    valueEditor.toFront (true);
}

float ControlEditorParameter::normalisedValueFor (const juce::RangedAudioParameter& parameter, double value)
{
    const auto& range = parameter.getNormalisableRange();
    // Text that is no number reads as 0; an overflowing number (1e39) is
    // infinite and lands on the nearer end of the range, never reaching the
    // host as NaN.
    if (std::isnan (value))
        value = 0.0;
    const auto inRange = static_cast<float> (juce::jlimit (static_cast<double> (range.start), static_cast<double> (range.end), value));
    return juce::jlimit (0.0f, 1.0f, parameter.convertTo0to1 (range.snapToLegalValue (inRange)));
}

float ControlEditorParameter::normalisedValueForText (const juce::RangedAudioParameter& parameter, const juce::String& typed)
{
    return normalisedValueFor (parameter, LeadingNumber::read (typed));
}

void ControlEditorParameter::assign (float normalised)
{
    if (hostParameter == nullptr || normalised == hostParameter->getValue())
        return;

    // One gesture, so hosts that record automation take it as one edit.
    hostParameter->beginChangeGesture();
    hostParameter->setValueNotifyingHost (normalised);
    hostParameter->endChangeGesture();
}

void ControlEditorParameter::onConfirm()
{
    if (hostParameter != nullptr)
        assign (normalisedValueForText (*hostParameter, valueEditor.getText()));
    if (delegate != nullptr)
        delegate->onConfirm();
}

void ControlEditorParameter::onSetToDefault()
{
    if (hostParameter != nullptr)
        assign (normalisedValueFor (*hostParameter, defaultValue));
    if (delegate != nullptr)
        delegate->onConfirm();
}

void ControlEditorParameter::resized()
{
    const int w = getWidth();
    const int h = getHeight();
    const int row = h / 3;
    titleLabel.setBounds (0, 0, w, row);
    valueEditor.setBounds (4, row + 4, w / 2 - 4, row - 8);
    unitLabel.setBounds (w / 2 + 4, row + 4, w / 6 - 4, row - 8);
    okButton.setBounds ((4 * w) / 6 + 4, row + 4, w / 3 - 8, row - 8);
    defaultButton.setBounds (4, (2 * h) / 3 + 4, w - 8, row - 8);
}
