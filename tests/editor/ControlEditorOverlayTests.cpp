// The control editor: where its panels go, the value texts it shows, and what
// typing a value or asking for the default does to the real host parameters.
#include <gtest/gtest.h>

#include "OverlayTestHelpers.h"
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
    EXPECT_EQ (rig.overlay.panels[1]->valueEditor.getText(), "0");
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
    // number; 11 stands for "unchanged".
    const std::pair<const char*, float> texts[] = {
        { "2e3930039309", 12.0f }, { "-2e3930039309", -30.0f }, { "1e-3930039309", 0.0f }, { "0e99999999999", 0.0f },
        { " +.5e1dB", 5.0f },      { "-7.", -7.0f },            { "0x1F", 11.0f },          { "inf", 11.0f },
        { "nan", 11.0f },          { "1e", 1.0f },              { "-e5", 11.0f },           { "3e+0x", 3.0f },
        { "7,5", 7.5f },           { "\xe2\x88\x92" "7,9", -7.9f }, { "5%", 5.0f },           { "abc", 11.0f },
        { "", 11.0f },             { "-", 11.0f },              { "1e999", 12.0f },         { "10x", 10.0f },
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

TEST (ControlEditorOverlay, TheDefaultButtonRestoresTheListsDefault)
{
    OverlayRig rig;
    auto& panel = *rig.overlay.panels[0];
    rig.overlay.setControls ({ rig.entry (VantrelParameterList::ReverbColor, "COLOR") });
    panel.valueEditor.setText ("1000");
    panel.onConfirm();
    EXPECT_NEAR (rig.value ("ReverbColor"), 1000.0f, 0.01f);

    rig.overlay.setVisible (true);
    rig.overlay.setControls ({ rig.entry (VantrelParameterList::ReverbColor, "COLOR") });
    panel.defaultButton.onClick();
    EXPECT_NEAR (rig.value ("ReverbColor"), 6000.0f, 0.01f);
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
