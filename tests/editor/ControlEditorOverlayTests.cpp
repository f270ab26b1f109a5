// The control editor: where its panels go, the value texts it shows, and what
// typing a value or asking for the default does to the real host parameters.
#include <gtest/gtest.h>

#include "OverlayTestHelpers.h"
#include "LookAndFeel/SliderLookAndFeel.h"
#include "UI/Overlays/ControlEditorOverlay.h"
#include "VantrelParameterList.h"

namespace
{
struct OverlayRig
{
    OverlayRig() : processor (VantrelProcessor::create())
    {
        processor->setPreset ("Default", true); // the parameters' own defaults
        overlay.setBounds (0, 30, 900, 300);
        overlay.setVisible (true);
    }

    EditableParameter entry (unsigned long index, const juce::String& name)
    {
        auto* parameter = &processor->getKernel().parameters->at (index);
        return { processor->parameterTree.getParameter (juce::String (parameter->id)), name, parameter };
    }

    float value (const juce::String& id)
    {
        auto* p = processor->parameterTree.getParameter (id);
        return p->convertFrom0to1 (p->getValue());
    }

    std::unique_ptr<VantrelProcessor> processor;
    ControlEditorOverlay overlay;
};

// Counts the changes the host hears of.
struct HostListener : public juce::AudioProcessorListener
{
    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override { ++changes; }
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int) override { ++gestures; }
    int changes = 0;
    int gestures = 0;
};
} // namespace

TEST (ControlEditorOverlay, OneEntryGetsACentredNarrowPanel)
{
    OverlayRig rig;
    rig.overlay.setControls ({ rig.entry (VantrelParameterList::DryWet, "MIX") });
    // 900 x 300: margins 360 and 105.
    EXPECT_EQ (rig.overlay.panel, juce::Rectangle<int> (360, 105, 180, 90));
    EXPECT_EQ (rig.overlay.panels[0]->getBounds(), rig.overlay.panel);
    EXPECT_TRUE (rig.overlay.panels[0]->isVisible());
    EXPECT_FALSE (rig.overlay.panels[1]->isVisible());
}

TEST (ControlEditorOverlay, TwoEntriesShareAWiderPanelInTheirOrder)
{
    OverlayRig rig;
    rig.overlay.setControls ({ rig.entry (VantrelParameterList::InputFilterFrequency, "FREQUENCY"),
                               rig.entry (VantrelParameterList::InputFilterResonance, "RESONANCE") });
    EXPECT_EQ (rig.overlay.panel, juce::Rectangle<int> (180, 105, 540, 90));
    EXPECT_EQ (rig.overlay.panels[0]->getBounds(), juce::Rectangle<int> (180, 105, 270, 90));
    EXPECT_EQ (rig.overlay.panels[1]->getBounds(), juce::Rectangle<int> (450, 105, 270, 90));
    EXPECT_EQ (rig.overlay.panels[0]->titleLabel.getText(), "FREQUENCY");
    EXPECT_EQ (rig.overlay.panels[1]->titleLabel.getText(), "RESONANCE");
    EXPECT_EQ (rig.overlay.panels[0]->unitLabel.getText(), "Hz");
    EXPECT_EQ (rig.overlay.panels[1]->unitLabel.getText(), "dB");

    // Back to one entry: the second panel goes away.
    rig.overlay.setControls ({ rig.entry (VantrelParameterList::DryWet, "MIX") });
    EXPECT_FALSE (rig.overlay.panels[1]->isVisible());
}

TEST (ControlEditorOverlay, ThePanelStaysUntilTheNextRightClick)
{
    OverlayRig rig;
    rig.overlay.setControls ({ rig.entry (VantrelParameterList::DryWet, "MIX") });
    const auto before = rig.overlay.panel;
    rig.overlay.setBounds (0, 30, 1200, 600);
    EXPECT_EQ (rig.overlay.panel, before);
    EXPECT_EQ (rig.overlay.panels[0]->getBounds(), before);
    rig.overlay.setControls ({ rig.entry (VantrelParameterList::DryWet, "MIX") });
    EXPECT_EQ (rig.overlay.panel, juce::Rectangle<int> (480, 210, 240, 180));
}

TEST (ControlEditorOverlay, NoEntryOrMoreThanTwo)
{
    OverlayRig rig;
    rig.overlay.setControls ({});
    EXPECT_FALSE (rig.overlay.panels[0]->isVisible());
    EXPECT_FALSE (rig.overlay.panels[1]->isVisible());
    EXPECT_TRUE (rig.overlay.panel.isEmpty());

    // Only two panels exist: the first two entries are shown, as two.
    rig.overlay.setControls ({ rig.entry (VantrelParameterList::PitchA, "PITCH"),
                               rig.entry (VantrelParameterList::FineA, "FINE"),
                               rig.entry (VantrelParameterList::DryWet, "MIX") });
    EXPECT_EQ (rig.overlay.panel, juce::Rectangle<int> (180, 105, 540, 90));
    EXPECT_EQ (rig.overlay.panels[1]->titleLabel.getText(), "FINE");
}

TEST (ControlEditorOverlay, ShowsTheCurrentValueInItsOwnUnits)
{
    OverlayRig rig;
    rig.overlay.setControls ({ rig.entry (VantrelParameterList::ReverbLength, "LENGTH"),
                               rig.entry (VantrelParameterList::PitchShifterModeA, "MODE") });
    EXPECT_EQ (rig.overlay.panels[0]->valueEditor.getText(), "5");
    EXPECT_EQ (rig.overlay.panels[0]->unitLabel.getText(), "s");
    EXPECT_EQ (rig.overlay.panels[1]->valueEditor.getText(), "PRE"); // as hosts show it
    EXPECT_EQ (rig.overlay.panels[1]->unitLabel.getText(), "");

    rig.overlay.setControls ({ rig.entry (VantrelParameterList::ModulationRate, "RATE"),
                               rig.entry (VantrelParameterList::DuckingThreshold, "THRESHOLD") });
    // The rate knob shows the period of one cycle: so does the panel.
    EXPECT_EQ (rig.overlay.panels[0]->valueEditor.getText(), "400");
    EXPECT_EQ (rig.overlay.panels[0]->unitLabel.getText(), "ms");
    EXPECT_EQ (rig.overlay.panels[1]->valueEditor.getText(), "0");
    EXPECT_EQ (rig.overlay.panels[1]->unitLabel.getText(), "dB");
}

TEST (ControlEditorOverlay, TypedValuesAreSetInTheParametersUnitsAndClamped)
{
    OverlayRig rig;
    auto& panel = *rig.overlay.panels[0];

    rig.overlay.setControls ({ rig.entry (VantrelParameterList::DryWet, "MIX") });
    panel.valueEditor.setText ("250");
    panel.okButton.onClick();
    EXPECT_FLOAT_EQ (rig.value ("DryWet"), 100.0f);
    EXPECT_FALSE (rig.overlay.isVisible());

    rig.overlay.setVisible (true);
    rig.overlay.setControls ({ rig.entry (VantrelParameterList::PreDelay, "PRE-DELAY") });
    panel.valueEditor.setText ("37.5 ms");
    panel.valueEditor.onReturnKey();
    EXPECT_NEAR (rig.value ("PreDelay"), 37.5f, 0.01f);

    // Text that does not start with a number sets nothing; the overlay stays
    // open with the text selected for another try.
    rig.overlay.setVisible (true);
    rig.overlay.setControls ({ rig.entry (VantrelParameterList::DelayTimeA, "WINDOW") });
    panel.valueEditor.setText ("fast");
    panel.onConfirm();
    EXPECT_FLOAT_EQ (rig.value ("DelayTimeA"), 500.0f);
    EXPECT_TRUE (rig.overlay.isVisible());
    EXPECT_EQ (panel.valueEditor.getHighlightedText(), "fast");

    // A number too large for a float lands on the top of the range.
    rig.overlay.setControls ({ rig.entry (VantrelParameterList::InputGain, "GAIN") });
    panel.valueEditor.setText ("1e39");
    panel.onConfirm();
    EXPECT_FLOAT_EQ (rig.value ("InputGain"), 12.0f);
    panel.valueEditor.setText ("-1e39");
    panel.onConfirm();
    EXPECT_FLOAT_EQ (rig.value ("InputGain"), -30.0f);

    // Exponents of any length, signs, points and commas, and what follows the
    // number: the parameter's unit, or nothing; 11 stands for "unchanged".
    const std::pair<const char*, float> texts[] = {
        { "2e3930039309", 12.0f }, { "-2e3930039309", -30.0f }, { "1e-3930039309", 0.0f }, { "0e99999999999", 0.0f },
        { " +.5e1dB", 5.0f },      { "-7.", -7.0f },            { "0x1F", 11.0f },          { "inf", 11.0f },
        { "nan", 11.0f },          { "1e", 11.0f },             { "-e5", 11.0f },           { "3e+0x", 11.0f },
        { "7,5", 7.5f },           { "\xe2\x88\x92" "7,9", -7.9f }, { "5%", 11.0f },          { "abc", 11.0f },
        { "", 11.0f },             { "-", 11.0f },              { "1e999", 12.0f },         { "10x", 11.0f },
        { "-6 DB ", -6.0f },       { "3 dB x", 11.0f },
    };
    for (const auto& [text, expected] : texts)
    {
        panel.valueEditor.setText ("11");
        panel.onConfirm();
        panel.valueEditor.setText (juce::String::fromUTF8 (text));
        panel.onConfirm();
        EXPECT_FLOAT_EQ (rig.value ("InputGain"), expected) << text;
    }
}

// A value typed as its control shows it (250ms, 1.5s, 45%, -6dB, 2000Hz, a
// rate's period) reads back as that value; a frequency may be typed in
// thousands and a step by its name, as hosts read them; text after the
// number that is not a unit of the parameter means no value.
TEST (ControlEditorOverlay, ValuesTypedAsTheControlsShowThemReadBack)
{
    OverlayRig rig;
    auto& processor = *rig.processor;
    SliderLookAndFeel shown;
    for (const auto& parameter : *processor.getKernel().parameters)
    {
        auto* host = processor.parameterTree.getParameter (juce::String (parameter->id));
        if (host == nullptr || host->isDiscrete())
            continue;
        shown.unit = static_cast<int> (parameter->type);
        shown.flags = static_cast<int> (parameter->flags);
        for (const float fraction : { 0.0f, 0.1f, 0.5f, 1.0f })
        {
            const float value = host->convertFrom0to1 (fraction);
            const auto text = shown.updateValueText (juce::String (value).toStdString());
            const auto read = ControlEditorParameter::normalisedValueForText (*host, *parameter, text);
            ASSERT_TRUE (read.has_value()) << parameter->id << " " << text;
            EXPECT_NEAR (host->convertFrom0to1 (*read), value, 0.02f * std::abs (value) + 0.5f) << parameter->id << " " << text;
        }
    }

    const auto typed = [&] (unsigned long index, const char* text) -> std::optional<float> {
        auto& parameter = processor.getKernel().parameters->at (index);
        auto& host = *processor.parameterTree.getParameter (juce::String (parameter.id));
        const auto normalised = ControlEditorParameter::normalisedValueForText (host, parameter, juce::String::fromUTF8 (text));
        if (normalised)
            return host.convertFrom0to1 (*normalised);
        return std::nullopt;
    };
    using P = VantrelParameterList;
    for (const auto* text : { "2k", "2.0kHz", "2 KHZ", "2000 hz", "2,0k" })
        EXPECT_NEAR (typed (P::InputFilterFrequency, text).value_or (0.0f), 2000.0f, 0.5f) << text;
    EXPECT_NEAR (typed (P::ReverbLength, "1500ms").value_or (0.0f), 1.5f, 0.01f);
    EXPECT_EQ (typed (P::PitchShifterModeB, "FeedBack"), 1.0f);
    EXPECT_EQ (typed (P::PitchShifterModeB, " post "), 2.0f);
    EXPECT_EQ (typed (P::PitchShifterModeB, "1"), 1.0f);
    EXPECT_EQ (typed (P::InputFilterType, "HIPASS"), 1.0f);
    EXPECT_EQ (typed (P::InputFilterType, "0"), 0.0f);
    for (const auto* text : { "2x", "2 k Hz", "2kHzz", "5%", "post" })
        EXPECT_FALSE (typed (P::InputFilterFrequency, text)) << text;
    for (const auto* text : { "posts", "1 x", "" })
        EXPECT_FALSE (typed (P::PitchShifterModeB, text)) << text;
}

TEST (ControlEditorOverlay, IntegerAndSwitchParametersAreSetAsSuch)
{
    OverlayRig rig;
    auto& panel = *rig.overlay.panels[0];

    rig.overlay.setControls ({ rig.entry (VantrelParameterList::PitchShifterModeA, "MODE") });
    panel.valueEditor.setText ("2");
    panel.onConfirm();
    EXPECT_EQ (rig.value ("PitchShifterModeA"), 2.0f);

    rig.overlay.setControls ({ rig.entry (VantrelParameterList::PitchA, "PITCH") });
    panel.valueEditor.setText ("-7.4");
    panel.onConfirm();
    EXPECT_EQ (rig.value ("PitchA"), -7.0f);

    rig.overlay.setControls ({ rig.entry (VantrelParameterList::InputFilterType, "TYPE") });
    panel.valueEditor.setText ("1");
    panel.onConfirm();
    EXPECT_EQ (rig.value ("InputFilterType"), 1.0f);
    EXPECT_EQ (rig.processor->getKernel().getParameter (VantrelParameterList::InputFilterType), 1.0f);
}

TEST (ControlEditorOverlay, TheDefaultButtonRestoresTheDefaultHostsAreTold)
{
    // The value a new instance starts with (the default preset's 15 s), not
    // the parameter list's 5 s that the rig's DEFAULT preset holds.
    OverlayRig rig;
    auto& panel = *rig.overlay.panels[0];
    rig.overlay.setControls ({ rig.entry (VantrelParameterList::ReverbLength, "LENGTH") });
    panel.valueEditor.setText ("2");
    panel.onConfirm();
    EXPECT_NEAR (rig.value ("ReverbLength"), 2.0f, 0.01f);

    rig.overlay.setVisible (true);
    rig.overlay.setControls ({ rig.entry (VantrelParameterList::ReverbLength, "LENGTH") });
    panel.defaultButton.onClick();
    EXPECT_NEAR (rig.value ("ReverbLength"), 15.0f, 0.01f);
    EXPECT_FALSE (rig.overlay.isVisible());
}

TEST (ControlEditorOverlay, TheHostHearsOneGesturePerChangeAndNothingForTheSameValue)
{
    OverlayRig rig;
    HostListener host;
    rig.processor->addListener (&host);
    auto& panel = *rig.overlay.panels[0];

    rig.overlay.setControls ({ rig.entry (VantrelParameterList::RoomSize, "SIZE") });
    panel.valueEditor.setText ("75");
    panel.onConfirm();
    EXPECT_EQ (host.changes, 1);
    EXPECT_EQ (host.gestures, 1);

    rig.overlay.setControls ({ rig.entry (VantrelParameterList::RoomSize, "SIZE") });
    EXPECT_EQ (panel.valueEditor.getText(), "75");
    panel.onConfirm(); // unchanged text
    EXPECT_EQ (host.changes, 1);
    EXPECT_EQ (host.gestures, 1);

    // Automated before the field followed: the untouched text is stale, and
    // confirming it writes nothing.
    auto* size = rig.processor->parameterTree.getParameter ("RoomSize");
    size->setValueNotifyingHost (size->convertTo0to1 (40.0f));
    panel.onConfirm();
    EXPECT_FLOAT_EQ (rig.value ("RoomSize"), 40.0f);
    EXPECT_EQ (host.gestures, 1);
    rig.processor->removeListener (&host);
}

TEST (ControlEditorOverlay, ClosesOnAPressOutsideItsPanelOnly)
{
    OverlayRig rig;
    rig.overlay.setControls ({ rig.entry (VantrelParameterList::DryWet, "MIX") });
    rig.overlay.mouseDown (overlaytest::pressAt (rig.overlay, 400, 150));
    EXPECT_TRUE (rig.overlay.isVisible());
    rig.overlay.mouseDown (overlaytest::pressAt (rig.overlay, 540, 150));
    EXPECT_FALSE (rig.overlay.isVisible());
}

TEST (ControlEditorOverlay, UnitTextsByCode)
{
    const std::vector<std::string> expected { "", "", "", "%", "s", "ms", "\xc2\xb0", "", "Hz", "st", "dB", "\xc2\xb0", "", "" };
    for (std::uint32_t code = 0; code < expected.size(); ++code)
        EXPECT_EQ (ControlEditorParameter::getUnitString (static_cast<ParameterUnit> (code)), expected[code]) << code;
    EXPECT_EQ (ControlEditorParameter::getUnitString (static_cast<ParameterUnit> (14)), "");
    EXPECT_EQ (ControlEditorParameter::getUnitString (static_cast<ParameterUnit> (0xFFFFFFFFu)), "");
}

TEST (ControlEditorParameter, LaysOutThreeRows)
{
    ControlEditorParameter panel;
    panel.setBounds (0, 0, 270, 90);
    EXPECT_EQ (panel.titleLabel.getBounds(), juce::Rectangle<int> (0, 0, 270, 30));
    EXPECT_EQ (panel.valueEditor.getBounds(), juce::Rectangle<int> (4, 34, 131, 22));
    EXPECT_EQ (panel.unitLabel.getBounds(), juce::Rectangle<int> (139, 34, 41, 22));
    EXPECT_EQ (panel.okButton.getBounds(), juce::Rectangle<int> (184, 34, 82, 22));
    EXPECT_EQ (panel.defaultButton.getBounds(), juce::Rectangle<int> (4, 64, 262, 22));
    // Without a parameter the buttons only close.
    panel.onConfirm();
    panel.onSetToDefault();
    for (const auto& size : { juce::Point<int> (0, 0), juce::Point<int> (5, 2) })
    {
        panel.setBounds (0, 0, size.x, size.y);
        overlaytest::picture (panel);
    }
}
