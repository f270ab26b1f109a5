#include "UI/Overlays/ControlEditorParameter.h"

#include "LookAndFeel/Palette.h"
#include "Basics/ParameterText.h"

#include <array>
#include <cmath>
#include <limits>

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
    markRefused (false);
    valueEditor.setSelectAllWhenFocused (true);
    // Escape travels on to the editor, which closes the overlay.
    valueEditor.setEscapeAndReturnKeysConsumed (false);
    valueEditor.onReturnKey = [this] { onConfirm(); };
    valueEditor.onTextChange = [this] { markRefused (false); };

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
    shownParameter = entry.parameter;
    typedAsPeriod = shownParameter != nullptr && showsPeriod (*shownParameter);

    showCurrentValue();

    const auto unit = typedAsPeriod ? ParameterUnitMilliseconds
                                    : static_cast<ParameterUnit> (shownParameter != nullptr ? shownParameter->type : 0);
    titleLabel.setText (entry.name, juce::dontSendNotification);
    unitLabel.setText (juce::String::fromUTF8 (getUnitString (unit).c_str()), juce::dontSendNotification);

    focusValue();
}

bool ControlEditorParameter::showsPeriod (const Parameter& parameter)
{
    return parameter.type == ParameterUnitRate && (parameter.flags & FlagRateInHz) == 0;
}

juce::String ControlEditorParameter::currentText() const
{
    if (hostParameter == nullptr)
        return juce::String (0.0f);
    // Modes and switches with value names as hosts show them (PRE, hipass),
    // which is also how they are typed.
    if (shownParameter != nullptr && shownParameter->valueText != nullptr)
        return hostParameter->getCurrentValueAsText();
    const float current = hostParameter->convertFrom0to1 (hostParameter->getValue());
    return juce::String (typedAsPeriod ? static_cast<float> (1000.0 / static_cast<double> (current)) : current);
}

void ControlEditorParameter::showCurrentValue()
{
    shownText = currentText();
    valueEditor.setText (shownText, true);
    if (valueEditor.hasKeyboardFocus (false))
        valueEditor.selectAll();
}

void ControlEditorParameter::followValue()
{
    if (valueEditor.getText() == shownText && currentText() != shownText)
        showCurrentValue();
}

void ControlEditorParameter::focusValue()
{
    valueEditor.toFront (true);
    valueEditor.selectAll();
}

void ControlEditorParameter::markRefused (bool refused)
{
    valueEditor.setColour (juce::TextEditor::outlineColourId, refused ? Karvon::red : juce::Colours::white);
    valueEditor.setColour (juce::TextEditor::focusedOutlineColourId, refused ? Karvon::red : Karvon::blue);
}

float ControlEditorParameter::normalisedValueFor (const juce::RangedAudioParameter& parameter, double value)
{
    const auto& range = parameter.getNormalisableRange();
    // An overflowing number (1e39) is infinite and lands on the nearer end of
    // the range; NaN never reaches the host.
    if (std::isnan (value))
        value = 0.0;
    const auto inRange = static_cast<float> (juce::jlimit (static_cast<double> (range.start), static_cast<double> (range.end), value));
    return juce::jlimit (0.0f, 1.0f, parameter.convertTo0to1 (range.snapToLegalValue (inRange)));
}

std::optional<float> ControlEditorParameter::normalisedValueForText (const juce::RangedAudioParameter& host,
                                                                     const Parameter& parameter, const juce::String& typed)
{
    const bool asPeriod = showsPeriod (parameter);
    auto value = asPeriod ? ParameterText::read (typed, ParameterUnitMilliseconds) : ParameterText::read (typed, parameter);
    if (! value)
        return std::nullopt;
    // A period of no length or less is the shortest there is.
    if (asPeriod)
        value = *value > 0.0 ? 1000.0 / *value : std::numeric_limits<double>::infinity();
    return normalisedValueFor (host, *value);
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
    // Untouched, the field may show a value from before the last change of
    // the parameter (it follows only at the editor's pace): nothing to write.
    const auto typed = valueEditor.getText();
    if (hostParameter != nullptr && typed != shownText)
    {
        // Without a kernel parameter, only a plain number means a value.
        static const Parameter plainNumber;
        const auto& parameter = shownParameter != nullptr ? *shownParameter : plainNumber;
        const auto normalised = normalisedValueForText (*hostParameter, parameter, typed);
        if (! normalised)
        {
            markRefused (true);
            focusValue();
            return;
        }
        assign (*normalised);
    }
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
