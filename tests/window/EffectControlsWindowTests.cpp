// The effect's controls under real mouse events: a right click only opens the
// control editor, every write from a click or drag lies inside exactly one
// host gesture, a slider pressed with both buttons still ends its gesture,
// the filter display's corner follows the pointer, a value typed into the
// control editor (or its default) is set in one gesture, quick right clicks
// never return a slider to its default, and the control editor never writes
// a stale value.
#include "EffectWindowTest.h"

#include "LookAndFeel/Palette.h"
#include "UI/Controls/Filter/FilterContainer.h"
#include "UI/Controls/Radio/RadioContainer.h"
#include "UI/Controls/Slider/SliderContainer.h"

#include <X11/keysym.h>

#include <cmath>
#include <tuple>

using namespace windowtest;
using P = VantrelParameterList;

namespace
{
// The points a musician presses on a control: each radio option, a slider's
// or knob's middle, the filter display's middle.
std::vector<std::pair<juce::Component*, juce::Point<int>>> pressPoints (UIContainer& container)
{
    std::vector<std::pair<juce::Component*, juce::Point<int>>> points;
    if (auto* radio = dynamic_cast<RadioContainer*> (&container))
        for (auto& button : radio->buttons)
            points.push_back ({ button.get(), button->getLocalBounds().getCentre() });
    else if (auto* slider = dynamic_cast<SliderContainer*> (&container))
        points.push_back ({ slider->slider.get(), slider->slider->getLocalBounds().getCentre() });
    else
        points.push_back ({ &container, container.getLocalBounds().getCentre().translated (0, 10) });
    return points;
}
} // namespace

TEST_F (EffectWindowTest, ARightClickOnAnyControlOnlyOpensTheControlEditor)
{
    set ("PitchShifterModeA", 0.0f);
    set ("InputFilterType", 0.0f);
    const auto before = record->values();
    record->clear();

    int opened = 0;
    for (auto& [index, built] : editor->containers)
    {
        if (index == static_cast<int> (P::DuckingPeakMeter) || ! built->isShowing())
            continue; // output only, or driven by another control (the resonance)
        for (auto& [target, point] : pressPoints (*built))
        {
            ASSERT_TRUE (input.click (*target, point, FakeInput::right)) << built->name;
            EXPECT_TRUE (waitUntil ([&] { return controlEditor().isVisible(); })) << built->name;
            opened += controlEditor().isVisible() ? 1 : 0;
            // Escape closes it again, from the value field that has the focus.
            input.key (XK_Escape);
            ASSERT_TRUE (waitUntil ([&] { return ! controlEditor().isVisible(); })) << built->name;
        }
    }

    EXPECT_GE (opened, 27); // 23 controls, two radios of three options and one of two
    EXPECT_EQ (record->values(), before);
    EXPECT_EQ (record->totalWrites(), 0);
    EXPECT_EQ (record->totalBegins(), 0);
}

TEST_F (EffectWindowTest, EveryClickAndDragWritesInsideOneGesture)
{
    set ("PitchShifterModeA", 0.0f);
    set ("InputFilterType", 0.0f);
    record->clear();

    auto& mode = dynamic_cast<RadioContainer&> (container (P::PitchShifterModeA));
    ASSERT_TRUE (input.clickCentre (*mode.buttons[2]));
    EXPECT_FLOAT_EQ (value ("PitchShifterModeA"), 2.0f);
    ASSERT_TRUE (input.clickCentre (*mode.buttons[1]));
    EXPECT_FLOAT_EQ (value ("PitchShifterModeA"), 1.0f);
    auto modeCounts = record->of ("PitchShifterModeA");
    EXPECT_EQ (modeCounts.begins, 2);
    EXPECT_EQ (modeCounts.ends, 2);
    EXPECT_EQ (modeCounts.writesOutsideGesture, 0);

    auto& type = dynamic_cast<RadioContainer&> (container (P::InputFilterType));
    ASSERT_TRUE (input.clickCentre (*type.buttons[1]));
    EXPECT_FLOAT_EQ (value ("InputFilterType"), 1.0f);
    EXPECT_EQ (record->of ("InputFilterType").begins, 1);
    EXPECT_EQ (record->of ("InputFilterType").ends, 1);
    EXPECT_EQ (record->of ("InputFilterType").writesOutsideGesture, 0);

    // A knob and a slider dragged: one gesture each, every write inside it.
    for (const auto* id : { "RoomSize", "DryWet" })
    {
        auto& control = dynamic_cast<SliderContainer&> (container (id == juce::String ("RoomSize") ? P::RoomSize : P::DryWet));
        auto& slider = *control.slider;
        const auto centre = slider.getLocalBounds().getCentre();
        const float start = value (id);
        ASSERT_TRUE (input.drag (slider, centre, centre.translated (0, -40)));
        EXPECT_GT (value (id), start) << id;
        const auto counts = record->of (id);
        EXPECT_EQ (counts.begins, 1) << id;
        EXPECT_EQ (counts.ends, 1) << id;
        EXPECT_GT (counts.writes, 0) << id;
        EXPECT_EQ (counts.writesOutsideGesture, 0) << id;
    }

    // The filter display: frequency and resonance, one gesture each.
    auto& filter = container (P::InputFilterFrequency);
    ASSERT_TRUE (input.drag (filter, { 40, 60 }, { 80, 50 }));
    for (const auto* id : { "InputFilterFrequency", "InputFilterResonance" })
    {
        EXPECT_EQ (record->of (id).begins, 1) << id;
        EXPECT_EQ (record->of (id).ends, 1) << id;
        EXPECT_EQ (record->of (id).writesOutsideGesture, 0) << id;
    }
}

TEST_F (EffectWindowTest, ASliderPressedWithBothButtonsEndsItsGestureAndStaysPut)
{
    auto& control = dynamic_cast<SliderContainer&> (container (P::DryWet));
    auto& slider = *control.slider;
    const auto centre = slider.getLocalBounds().getCentre();
    record->clear();

    // Left press, right press, left release, right release: JUCE reports one
    // release, carrying the right button only.
    ASSERT_TRUE (input.moveTo (slider.localPointToGlobal (centre)));
    ASSERT_TRUE (input.press (FakeInput::left));
    ASSERT_TRUE (input.moveTo (slider.localPointToGlobal (centre.translated (0, -20))));
    ASSERT_TRUE (input.press (FakeInput::right));
    ASSERT_TRUE (input.release (FakeInput::left));
    ASSERT_TRUE (input.release (FakeInput::right));
    const float afterChord = value ("DryWet");

    auto counts = record->of ("DryWet");
    EXPECT_EQ (counts.begins, 1);
    EXPECT_EQ (counts.ends, 1);
    EXPECT_EQ (counts.writesOutsideGesture, 0);
    EXPECT_FALSE (controlEditor().isVisible()) << "the right press came while the left was held";

    // The slider is free again: moving the mouse without a button moves nothing.
    ASSERT_TRUE (input.moveTo (slider.localPointToGlobal (centre.translated (0, 30))));
    pump (20);
    EXPECT_FLOAT_EQ (value ("DryWet"), afterChord);
    EXPECT_EQ (record->of ("DryWet").writes, counts.writes);
}

TEST_F (EffectWindowTest, TheFilterDisplaysCornerFollowsThePointer)
{
    auto& filter = dynamic_cast<FilterContainer&> (container (P::InputFilterFrequency));
    const float width = static_cast<float> (filter.getWidth());
    ASSERT_GT (width, 100.0f);

    for (const float fraction : { 0.25f, 0.5f, 0.7f })
    {
        const int x = static_cast<int> (fraction * width);
        ASSERT_TRUE (input.click (filter, { x, filter.getHeight() / 2 }));
        // The curve is drawn on a 12 Hz axis of eleven octaves across the
        // width: the frequency written is the one drawn under the pointer.
        const float drawnUnderPointer = 12.0f * std::exp2 (11.0f * static_cast<float> (x) / width);
        EXPECT_NEAR (value ("InputFilterFrequency") / drawnUnderPointer, 1.0f, 0.01f) << "at x = " << x;
        const float pixelOfValue = width * std::log2 (value ("InputFilterFrequency") / 12.0f) / 11.0f;
        EXPECT_NEAR (pixelOfValue, static_cast<float> (x), 1.0f);
    }
}


TEST_F (EffectWindowTest, AValueTypedIntoTheControlEditorOrItsDefaultIsSetInOneGestureEach)
{
    auto& control = dynamic_cast<SliderContainer&> (container (P::ReverbLength));
    auto& overlay = *editor->controlEditorOverlay;
    auto openPanel = [&]() -> ControlEditorParameter* {
        // Each right press a click of its own, not the second of a double click.
        pump (juce::MouseEvent::getDoubleClickTimeout() + 100);
        if (! input.click (*control.slider, control.slider->getLocalBounds().getCentre(), FakeInput::right)
            || ! waitUntil ([&] { return overlay.isVisible() && ! overlay.panels.empty()
                                         && overlay.panels[0]->valueEditor.hasKeyboardFocus (false); }))
            return nullptr;
        return overlay.panels[0].get();
    };
    set ("ReverbLength", 15.0f);
    record->clear();

    // Typed over the selected value and confirmed with Return.
    auto* panel = openPanel();
    ASSERT_NE (panel, nullptr);
    EXPECT_EQ (panel->hostParameter, processor->parameterTree.getParameter ("ReverbLength"));
    input.type ("7.5");
    input.key (XK_Return);
    ASSERT_TRUE (waitUntil ([&] { return ! overlay.isVisible(); }));
    EXPECT_NEAR (value ("ReverbLength"), 7.5f, 1.0e-3f);
    auto counts = record->of ("ReverbLength");
    EXPECT_EQ (counts.begins, 1);
    EXPECT_EQ (counts.ends, 1);
    EXPECT_EQ (counts.writesOutsideGesture, 0);

    // Typed and confirmed with the OK button.
    panel = openPanel();
    ASSERT_NE (panel, nullptr);
    input.type ("12");
    ASSERT_TRUE (input.clickCentre (panel->okButton));
    ASSERT_TRUE (waitUntil ([&] { return ! overlay.isVisible(); }));
    EXPECT_NEAR (value ("ReverbLength"), 12.0f, 1.0e-3f);

    // The default button: the default hosts are told, the value a new
    // instance starts with (15 s), whatever was typed.
    panel = openPanel();
    ASSERT_NE (panel, nullptr);
    input.type ("20");
    ASSERT_TRUE (input.clickCentre (panel->defaultButton));
    ASSERT_TRUE (waitUntil ([&] { return ! overlay.isVisible(); }));
    EXPECT_NEAR (value ("ReverbLength"), 15.0f, 1.0e-3f);

    counts = record->of ("ReverbLength");
    EXPECT_EQ (counts.begins, 3);
    EXPECT_EQ (counts.ends, 3);
    EXPECT_EQ (counts.writesOutsideGesture, 0);
    EXPECT_EQ (record->totalBegins(), 3) << "only the edited parameter was written";
    EXPECT_EQ (record->totalWrites(), counts.writes);
}

// Two right clicks as quick as a double click, with the control editor the
// first one opened closed in between: neither may return the slider to its
// default (the slider's own double click is for the left button).
TEST_F (EffectWindowTest, TwoQuickRightClicksOnASliderChangeNoValue)
{
    auto& control = dynamic_cast<SliderContainer&> (container (P::ReverbLength));
    auto& overlay = *editor->controlEditorOverlay;
    set ("ReverbLength", 15.0f);
    const auto before = record->values();
    record->clear();

    const auto centre = control.slider->getLocalBounds().getCentre();
    pump (juce::MouseEvent::getDoubleClickTimeout() + 100);
    ASSERT_TRUE (input.click (*control.slider, centre, FakeInput::right));
    ASSERT_TRUE (waitUntil ([&] { return overlay.isVisible(); }));
    input.key (XK_Escape);
    ASSERT_TRUE (waitUntil ([&] { return ! overlay.isVisible(); }));
    ASSERT_TRUE (input.click (*control.slider, centre, FakeInput::right));
    ASSERT_TRUE (waitUntil ([&] { return overlay.isVisible(); }));
    input.key (XK_Escape);
    ASSERT_TRUE (waitUntil ([&] { return ! overlay.isVisible(); }));

    EXPECT_NEAR (value ("ReverbLength"), 15.0f, 1.0e-3f);
    EXPECT_EQ (record->values(), before);
    EXPECT_EQ (record->totalWrites(), 0);
    EXPECT_EQ (record->totalBegins(), 0);
}

// The control editor as a musician meets it: it names the voice, takes the
// keyboard, closes when another preset loads (its OK never writes the value
// it showed before), follows a value automated under it but not over what is
// being typed, opens for the next control right-clicked, speaks the knob's
// unit, shows and reads modes by the names hosts show, reads a frequency in
// thousands and refuses text that cannot mean a value.
TEST_F (EffectWindowTest, TheControlEditorNeverWritesAStaleValue)
{
    ASSERT_TRUE (processor->setPreset ("Smooth Vantrel", true));
    openEditor();
    auto& overlay = *editor->controlEditorOverlay;
    auto& panel = *overlay.panels[0];
    const auto rightClick = [&] (unsigned long index) {
        pump (juce::MouseEvent::getDoubleClickTimeout() + 100);
        auto* slider = dynamic_cast<SliderContainer*> (&container (index));
        juce::Component& target = slider != nullptr ? static_cast<juce::Component&> (*slider->slider) : container (index);
        auto* host = processor->parameterTree.getParameter (processor->getKernel().parameters->at (index).id);
        return input.clickCentre (target, FakeInput::right)
               && waitUntil ([&] { return overlay.isVisible() && panel.hostParameter == host
                                          && panel.valueEditor.hasKeyboardFocus (false); }, 3000);
    };
    const auto current = [&] { return processor->currentPreset != nullptr ? processor->currentPreset->name : juce::String(); };

    ASSERT_TRUE (rightClick (P::PitchShifterAmountB));
    EXPECT_EQ (panel.titleLabel.getText(), "AMOUNT B");
    ASSERT_TRUE (input.clickCentre (header().nextButton));
    ASSERT_EQ (current(), "SPECTRUM FILLER");
    EXPECT_TRUE (waitUntil ([&] { return ! overlay.isVisible(); }, 1000));
    if (overlay.isVisible())
        input.clickCentre (panel.okButton);
    EXPECT_FLOAT_EQ (value ("PitchShifterAmountB"), 50.0f);
    EXPECT_EQ (shownPresetAfterTick(), "SPECTRUM FILLER");

    // The focus left on the arrow goes to the value: Return confirms it.
    ASSERT_TRUE (rightClick (P::PitchShifterAmountB));
    input.type ("25");
    input.key (XK_Return);
    EXPECT_EQ (current(), "SPECTRUM FILLER");
    EXPECT_FLOAT_EQ (value ("PitchShifterAmountB"), 25.0f);

    // A value automated while the editor is open is shown; OK keeps it.
    ASSERT_TRUE (rightClick (P::PitchShifterAmountB));
    set ("PitchShifterAmountB", 60.0f);
    pumpTicks (3, 12);
    EXPECT_EQ (panel.valueEditor.getText(), "60");
    record->clear();
    ASSERT_TRUE (input.clickCentre (panel.okButton));
    EXPECT_FLOAT_EQ (value ("PitchShifterAmountB"), 60.0f);
    EXPECT_EQ (record->totalWrites(), 0);

    // What is being typed is not replaced by a value automated meanwhile.
    ASSERT_TRUE (rightClick (P::PitchShifterAmountB));
    input.type ("45");
    set ("PitchShifterAmountB", 70.0f);
    pumpTicks (3, 12);
    input.key (XK_Return);
    EXPECT_FLOAT_EQ (value ("PitchShifterAmountB"), 45.0f);

    // A right click on another control while it is open opens it there.
    ASSERT_TRUE (rightClick (P::PitchShifterModeA));
    ASSERT_TRUE (rightClick (P::PitchShifterAmountA)) << "the second right click closed it";
    EXPECT_EQ (panel.titleLabel.getText(), "AMOUNT A");

    // The rate knob shows a period: so does its editor.
    set ("ModulationRate", 2.5f);
    ASSERT_TRUE (rightClick (P::ModulationRate));
    EXPECT_EQ (panel.valueEditor.getText(), "400");
    EXPECT_EQ (panel.unitLabel.getText(), "ms");
    input.type ("200");
    input.key (XK_Return);
    EXPECT_FLOAT_EQ (value ("ModulationRate"), 5.0f);

    // Text that is no number changes nothing and keeps the editor open.
    ASSERT_TRUE (rightClick (P::ReverbLength));
    const float length = value ("ReverbLength");
    input.type ("abc");
    input.key (XK_Return);
    EXPECT_TRUE (overlay.isVisible());
    EXPECT_FLOAT_EQ (value ("ReverbLength"), length);
    saveArtefact (*editor, "control-editor-refused-text");
    input.type ("7,5"); // over the refused text, which stays selected
    input.key (XK_Return);
    EXPECT_FALSE (overlay.isVisible());
    EXPECT_FLOAT_EQ (value ("ReverbLength"), 7.5f);

    // Modes and the filter type by the names hosts show, in any case.
    set ("PitchShifterModeA", 0.0f);
    ASSERT_TRUE (rightClick (P::PitchShifterModeA));
    EXPECT_EQ (panel.valueEditor.getText(), "PRE");
    input.type ("post");
    input.key (XK_Return);
    EXPECT_FALSE (overlay.isVisible());
    EXPECT_FLOAT_EQ (value ("PitchShifterModeA"), 2.0f);
    set ("InputFilterType", 1.0f);
    ASSERT_TRUE (rightClick (P::InputFilterType));
    EXPECT_EQ (panel.valueEditor.getText(), "hipass");

    // A frequency typed in thousands; garbage after a number is refused.
    const std::tuple<const char*, float, bool> frequencies[] { { "2k", 2000.0f, true },
                                                               { "2.5 kHz", 2500.0f, true },
                                                               { "2x", 2500.0f, false } };
    for (const auto& [typed, expected, accepted] : frequencies)
    {
        ASSERT_TRUE (rightClick (P::InputFilterFrequency));
        input.type (typed);
        input.key (XK_Return);
        EXPECT_EQ (overlay.isVisible(), ! accepted) << typed;
        EXPECT_NEAR (value ("InputFilterFrequency"), expected, 0.5f) << typed;
    }
    EXPECT_EQ (panel.valueEditor.findColour (juce::TextEditor::focusedOutlineColourId), Karvon::red);
}
