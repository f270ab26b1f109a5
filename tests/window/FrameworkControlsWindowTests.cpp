// The framework's other controls in a real window under real mouse events:
// the on/off switch, the dropdown (arrows and box), the oscilloscope, the
// double filter's switches, the curve sequencer and the time-stop pad. A
// right click reaches the container (which asks for the control editor) and
// changes no value; every left click or drag writes inside one gesture.
#include "FurtherContainersTestHost.h"
#include "WindowHarness.h"

#include "UI/Controls/CurveSequencer/CurveSequencerContainer.h"
#include "UI/Controls/DropdownList/DropdownListContainer.h"
#include "UI/Controls/Filter/DoubleFilterContainer.h"
#include "UI/Controls/OnOff/OnOffContainer.h"
#include "UI/Controls/Oscilloscopes/MultiOscilloscopeContainer.h"
#include "UI/Controls/XY/TimeStopXYControlContainer.h"

#include <gtest/gtest.h>

using namespace windowtest;
using namespace furthertest;

namespace
{
std::vector<ParameterDescription> descriptions()
{
    std::vector<ParameterDescription> list { { "Switch", 0.0f, 1.0f, 0.0f, true },
                                             { "Mode", 0.0f, 2.0f, 0.0f, true },
                                             { "Scope", 0.0f, 1.0f, 0.0f },
                                             { "PadX", 0.0f, 1.0f, 0.2f },
                                             { "PadY", 0.0f, 1.0f, 0.4f },
                                             { "Trigger", 0.0f, 1.0f, 0.0f },
                                             { "LowPassFrequency", 20.0f, 20000.0f, 2000.0f },
                                             { "LowPassResonance", -24.0f, 24.0f, 0.0f },
                                             { "LowPassOn", 0.0f, 1.0f, 1.0f, true },
                                             { "HighPassFrequency", 20.0f, 20000.0f, 100.0f },
                                             { "HighPassResonance", -24.0f, 24.0f, 0.0f },
                                             { "HighPassOn", 0.0f, 1.0f, 1.0f, true } };
    for (int i = 0; i < 16; ++i)
        list.push_back ({ ("Level" + juce::String (i)).toStdString(), 0.0f, 1.0f, 0.5f });
    for (int i = 0; i < 16; ++i)
        list.push_back ({ ("Curve" + juce::String (i)).toStdString(), 0.0f, 4.0f, 0.0f, true });
    return list;
}

// The containers side by side in one panel, as a design would place them.
struct Panel : juce::Component
{
    explicit Panel (ParameterHost& host)
        : onOff (host.parameter (0), "Switch", {}),
          dropdown (host.parameter (1), "Mode", { "PRE", "FEEDBACK", "POST" }),
          scope (host.parameter (2), "Scope"),
          pad (host.parameter (3), host.parameter (4), host.parameter (5), "Time Stop"),
          filters (host.parameter (6), host.parameter (7), host.parameter (8), host.parameter (9), host.parameter (10),
                   host.parameter (11), "Filters"),
          sequencer (host.parameter (12), host.parameters (13, 31), "Sequence")
    {
        UIContainer* all[] = { &onOff, &dropdown, &scope, &pad, &filters, &sequencer };
        for (auto* c : all)
        {
            addAndMakeVisible (*c);
            c->attach (host.tree);
            c->delegate = &delegate;
        }
        onOff.setBounds (0, 0, 120, 100);
        dropdown.setBounds (130, 0, 200, 100);
        scope.setBounds (340, 0, 200, 150);
        pad.setBounds (550, 0, 200, 200);
        filters.setBounds (0, 210, 400, 250);
        sequencer.setBounds (410, 210, 320, 224);
        setSize (760, 470);
    }

    RecordingDelegate delegate;
    OnOffContainer onOff;
    DropdownListContainer dropdown;
    MultiOscilloscopeContainer scope;
    TimeStopXYControlContainer pad;
    DoubleFilterContainer filters;
    CurveSequencerContainer sequencer;
};

class FrameworkControlsWindowTest : public ::testing::Test
{
protected:
    FrameworkControlsWindowTest() : host (descriptions()), panel (host) {}

    void SetUp() override
    {
        window = std::make_unique<TopLevelWindow> (panel);
        ASSERT_TRUE (window->isReady());
        record = std::make_unique<HostRecord> (host);
    }
    void TearDown() override
    {
        record.reset();
        window.reset();
    }

    ParameterHost host;
    Panel panel;
    std::unique_ptr<TopLevelWindow> window;
    std::unique_ptr<HostRecord> record;
    FakeInput input;
};
} // namespace

TEST_F (FrameworkControlsWindowTest, RightClicksReachTheContainersAndChangeNoValue)
{
    const auto before = record->values();
    auto& grid = *panel.sequencer.grid;
    const std::vector<std::pair<juce::Component*, juce::Point<int>>> targets {
        { panel.onOff.button.get(), panel.onOff.button->getLocalBounds().getCentre() },
        { panel.dropdown.previousButton.get(), panel.dropdown.previousButton->getLocalBounds().getCentre() },
        { panel.dropdown.nextButton.get(), panel.dropdown.nextButton->getLocalBounds().getCentre() },
        { panel.dropdown.comboBox.get(), panel.dropdown.comboBox->getLocalBounds().getCentre() },
        { panel.scope.curves.get(), panel.scope.curves->getLocalBounds().getCentre() },
        { panel.filters.lowPassOnOff->button.get(), panel.filters.lowPassOnOff->button->getLocalBounds().getCentre() },
        { panel.filters.highPassOnOff->button.get(), panel.filters.highPassOnOff->button->getLocalBounds().getCentre() },
        { &panel.filters, { 200, 150 } },
        { &grid, { 30, 40 } },
        { &grid, { 30, static_cast<int> (grid.footerLine()) + 8 } },
        { &panel.pad, { 100, 120 } },
    };

    for (auto& [target, point] : targets)
    {
        const auto reportsBefore = panel.delegate.reports.size();
        ASSERT_TRUE (input.click (*target, point, FakeInput::right));
        EXPECT_EQ (panel.delegate.reports.size(), reportsBefore + 1) << "the container asks for the control editor";
    }
    pumpTicks (2, 12); // the dropdown's and the switches' timers
    EXPECT_EQ (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 0) << "no menu opened";
    EXPECT_FALSE (panel.scope.curves->isPaused);
    EXPECT_EQ (record->values(), before);
    EXPECT_EQ (record->totalWrites(), 0);
    EXPECT_EQ (record->totalBegins(), 0);
}

TEST_F (FrameworkControlsWindowTest, LeftClicksAndDragsWriteInsideOneGestureEach)
{
    // The dropdown's arrows step the option.
    ASSERT_TRUE (input.clickCentre (*panel.dropdown.nextButton));
    EXPECT_FLOAT_EQ (host.value ("Mode"), 1.0f);
    ASSERT_TRUE (input.clickCentre (*panel.dropdown.previousButton));
    EXPECT_FLOAT_EQ (host.value ("Mode"), 0.0f);
    EXPECT_EQ (record->of ("Mode").begins, 2);
    EXPECT_EQ (record->of ("Mode").ends, 2);
    EXPECT_EQ (record->of ("Mode").writesOutsideGesture, 0);

    // The switch.
    ASSERT_TRUE (input.clickCentre (*panel.onOff.button));
    EXPECT_FLOAT_EQ (host.value ("Switch"), 1.0f);
    EXPECT_EQ (record->of ("Switch").begins, 1);
    EXPECT_EQ (record->of ("Switch").ends, 1);
    EXPECT_EQ (record->of ("Switch").writesOutsideGesture, 0);

    // A drag across three steps of the sequencer: each level one gesture.
    auto& grid = *panel.sequencer.grid;
    ASSERT_TRUE (input.drag (grid, { 10, 100 }, { 50, 30 }));
    int touched = 0;
    for (int i = 0; i < 16; ++i)
    {
        const auto counts = record->of ("Level" + juce::String (i));
        if (counts.writes == 0)
            continue;
        ++touched;
        EXPECT_EQ (counts.begins, 1) << i;
        EXPECT_EQ (counts.ends, 1) << i;
        EXPECT_EQ (counts.writesOutsideGesture, 0) << i;
    }
    EXPECT_GE (touched, 2);

    // A tap on a step's footer steps its curve mode.
    ASSERT_TRUE (input.click (grid, { 70, static_cast<int> (grid.footerLine()) + 8 }));
    EXPECT_FLOAT_EQ (host.value ("Curve3"), 1.0f);
    EXPECT_EQ (record->of ("Curve3").begins, 1);
    EXPECT_EQ (record->of ("Curve3").ends, 1);
    EXPECT_EQ (record->of ("Curve3").writesOutsideGesture, 0);

    // The time-stop trigger: held while pressed, one gesture from press to release.
    ASSERT_TRUE (input.moveTo (panel.pad.localPointToGlobal (juce::Point<int> (100, 120))));
    ASSERT_TRUE (input.press (FakeInput::left));
    EXPECT_FLOAT_EQ (host.value ("Trigger"), 1.0f);
    ASSERT_TRUE (input.release (FakeInput::left));
    EXPECT_FLOAT_EQ (host.value ("Trigger"), 0.0f);
    for (const auto* id : { "Trigger", "PadX", "PadY" })
    {
        EXPECT_EQ (record->of (id).begins, 1) << id;
        EXPECT_EQ (record->of (id).ends, 1) << id;
        EXPECT_EQ (record->of (id).writesOutsideGesture, 0) << id;
    }
}

TEST_F (FrameworkControlsWindowTest, ThePadPressedWithBothButtonsLetsItsTriggerGo)
{
    ASSERT_TRUE (input.moveTo (panel.pad.localPointToGlobal (juce::Point<int> (100, 120))));
    ASSERT_TRUE (input.press (FakeInput::left));
    ASSERT_TRUE (input.press (FakeInput::right));
    ASSERT_TRUE (input.release (FakeInput::left));
    ASSERT_TRUE (input.release (FakeInput::right));
    EXPECT_FLOAT_EQ (host.value ("Trigger"), 0.0f);
    EXPECT_EQ (record->of ("Trigger").begins, record->of ("Trigger").ends);
    EXPECT_EQ (record->of ("PadX").begins, record->of ("PadX").ends);
}

TEST_F (FrameworkControlsWindowTest, TheDoubleFiltersHandleFollowsThePointer)
{
    // Both filters on; a press near the low-pass handle moves it under the pointer.
    const float width = static_cast<float> (panel.filters.getWidth());
    const int x = static_cast<int> (width * std::log2 (2000.0f / 12.0f) / 11.0f) + 30;
    ASSERT_TRUE (input.click (panel.filters, { x, 150 }));
    const float drawnUnderPointer = 12.0f * std::exp2 (11.0f * static_cast<float> (x) / width);
    EXPECT_NEAR (host.value ("LowPassFrequency") / drawnUnderPointer, 1.0f, 0.01f);
    EXPECT_EQ (record->of ("LowPassFrequency").begins, 1);
    EXPECT_EQ (record->of ("LowPassFrequency").ends, 1);
}
