#include "ControlContainerTestHelpers.h"

#include "AllocationCounter.h"
#include "FurtherContainersTestHost.h"

#include "UI/Controls/Knob/KnobContainer.h"
#include "UI/Controls/Knob/WaveformKnobContainer.h"
#include "UI/Controls/Slider/ReverseSlider.h"
#include "UI/Controls/Slider/SliderContainer.h"

#include <atomic>
#include <thread>

using namespace controltest;

namespace
{
constexpr unsigned long dryWet = 0;
constexpr unsigned long pitchA = 7;
constexpr unsigned long delayTimeA = 9;
} // namespace

class SliderContainerTest : public ProcessorBackedTest
{
};

TEST_F (SliderContainerTest, AdaptedSliderIsNarrowerByTheTitleLessSixAndCentred)
{
    SliderContainer container (kernelParameter (*processor, dryWet), "Dry/Wet", false, {});
    container.setBounds (0, 0, 75, 200);
    EXPECT_EQ (container.slider->getBounds(), juce::Rectangle<int> (0, 24, 75, 176));

    container.setForceAdapt (true);
    EXPECT_EQ (container.slider->getBounds(), juce::Rectangle<int> (9, 24, 57, 176));

    container.setDisplayTitle (false);
    EXPECT_EQ (container.slider->getBounds(), juce::Rectangle<int> (-3, 0, 81, 200));
}

TEST_F (SliderContainerTest, CopiesUnitFlagsAndLabelsIntoItsLook)
{
    SliderContainer container (kernelParameter (*processor, delayTimeA), "Delay Time", false, { "A", "B" });
    EXPECT_EQ (container.lookAndFeel.unit, 5);
    EXPECT_EQ (container.lookAndFeel.flags, 0);
    EXPECT_EQ (container.lookAndFeel.valueNames, (std::vector<std::string> { "A", "B" }));
    EXPECT_EQ (container.name, "DELAY TIME");
    EXPECT_EQ (&container.slider->getLookAndFeel(), &container.lookAndFeel);

    container.setMainColor (juce::Colours::orange);
    container.setIsGrey (true);
    EXPECT_EQ (container.lookAndFeel.mainColor, juce::Colours::orange);
    EXPECT_TRUE (container.lookAndFeel.isGrey);
}

TEST_F (SliderContainerTest, FollowsTheHostAndWritesItsParameter)
{
    SliderContainer container (kernelParameter (*processor, delayTimeA), "Delay Time", false, {});
    container.attach (processor->parameterTree);
    EXPECT_DOUBLE_EQ (container.slider->getMinimum(), 40.0);
    EXPECT_DOUBLE_EQ (container.slider->getMaximum(), 1000.0);
    EXPECT_NEAR (container.slider->getValue(), 500.0, 0.01);

    setHostValue (*processor, "DelayTimeA", 250.0f);
    EXPECT_NEAR (container.slider->getValue(), 250.0, 0.01);

    container.slider->setValue (800.0, juce::sendNotificationSync);
    EXPECT_NEAR (hostValue (*processor, "DelayTimeA"), 800.0f, 0.01f);
    EXPECT_EQ (container.lookAndFeel.textValue (*container.slider), "800ms");
}

TEST_F (SliderContainerTest, RightButtonNeverMovesTheSlider)
{
    SliderContainer container (kernelParameter (*processor, dryWet), "Dry/Wet", false, {});
    container.attach (processor->parameterTree);
    container.setBounds (0, 0, 60, 224);
    auto& slider = *container.slider;
    const double before = slider.getValue();

    slider.mouseDown (mouseEvent (slider, 30.0f, 10.0f, rightButton));
    slider.mouseUp (mouseEvent (slider, 30.0f, 10.0f, rightButton));
    EXPECT_DOUBLE_EQ (slider.getValue(), before);

    // After a left press elsewhere, a right drag must not resume that drag.
    slider.mouseDown (mouseEvent (slider, 30.0f, 150.0f, leftButton));
    slider.mouseUp (mouseEvent (slider, 30.0f, 150.0f, leftButton));
    const double afterLeft = slider.getValue();
    EXPECT_NE (afterLeft, before);
    slider.mouseDown (mouseEvent (slider, 30.0f, 150.0f, rightButton));
    slider.mouseDrag (mouseEvent (slider, 30.0f, 5.0f, rightButton, { 30.0f, 150.0f }));
    slider.mouseUp (mouseEvent (slider, 30.0f, 5.0f, rightButton, { 30.0f, 150.0f }));
    EXPECT_DOUBLE_EQ (slider.getValue(), afterLeft);
    EXPECT_NEAR (hostValue (*processor, "DryWet"), static_cast<float> (afterLeft), 0.01f);
}

// With both buttons held, the release of a left press may reach the slider
// carrying only the right button (JUCE passes on the buttons held last; how a
// host's window orders them varies): the left press must still end its gesture.
TEST_F (SliderContainerTest, ALeftPressEndsItsGestureWhateverButtonsItsReleaseCarries)
{
    SliderContainer container (kernelParameter (*processor, dryWet), "Dry/Wet", false, {});
    container.attach (processor->parameterTree);
    container.setBounds (0, 0, 60, 224);
    auto& slider = *container.slider;
    furthertest::GestureCounter gestures (hostParameter (*processor, "DryWet"));

    slider.mouseDown (mouseEvent (slider, 30.0f, 150.0f, leftButton));
    slider.mouseDrag (mouseEvent (slider, 30.0f, 100.0f, leftButton.withFlags (juce::ModifierKeys::rightButtonModifier), { 30.0f, 150.0f }));
    slider.mouseUp (mouseEvent (slider, 30.0f, 100.0f, rightButton, { 30.0f, 150.0f }));
    EXPECT_EQ (gestures.begins, 1);
    EXPECT_EQ (gestures.ends, 1);

    // A right press on its own begins nothing and ends nothing.
    slider.mouseDown (mouseEvent (slider, 30.0f, 20.0f, rightButton));
    slider.mouseUp (mouseEvent (slider, 30.0f, 20.0f, leftButton));
    EXPECT_EQ (gestures.begins, 1);
    EXPECT_EQ (gestures.ends, 1);
}

TEST_F (SliderContainerTest, ReverseSliderMirrorsProportions)
{
    CustomSlider normal;
    ReverseSlider reversed;
    for (auto* s : { static_cast<juce::Slider*> (&normal), static_cast<juce::Slider*> (&reversed) })
    {
        s->setRange (0.0, 100.0);
        s->setSkewFactor (0.5);
    }
    for (const double p : { 0.0, 0.1, 0.5, 0.9, 1.0 })
    {
        EXPECT_NEAR (reversed.proportionOfLengthToValue (p), normal.proportionOfLengthToValue (1.0 - p), 1e-9);
        EXPECT_NEAR (reversed.valueToProportionOfLength (normal.proportionOfLengthToValue (p)), 1.0 - p, 1e-9);
    }
}

TEST_F (SliderContainerTest, KnobsAreRotaryAndShowNamesOrSketches)
{
    KnobContainer knob (kernelParameter (*processor, pitchA), "Pitch", false, {});
    EXPECT_EQ (knob.slider->getSliderStyle(), juce::Slider::RotaryHorizontalVerticalDrag);
    knob.attach (processor->parameterTree);
    setHostValue (*processor, "PitchA", 7.0f);
    // An indexed parameter keeps its own text.
    EXPECT_EQ (knob.lookAndFeel.textValue (*knob.slider), "7");

    WaveformKnobContainer sketch (kernelParameter (*processor, dryWet), "Shape", false, "shape");
    EXPECT_EQ (sketch.slider->getSliderStyle(), juce::Slider::RotaryHorizontalVerticalDrag);
    EXPECT_TRUE (sketch.lookAndFeel.isWaveform);
    EXPECT_EQ (sketch.lookAndFeel.waveformName, "shape");
    EXPECT_TRUE (sketch.lookAndFeel.valueNames.empty());
}

TEST_F (SliderContainerTest, PaintsAtAnySizeWithoutFailing)
{
    SliderContainer slider (kernelParameter (*processor, dryWet), "Dry/Wet", false, {});
    KnobContainer knob (kernelParameter (*processor, delayTimeA), "Delay Time", false, {});
    WaveformKnobContainer warmth (kernelParameter (*processor, dryWet), "Warmth", false, "warmth");
    for (auto* c : { static_cast<SliderContainer*> (&slider), static_cast<SliderContainer*> (&knob),
                     static_cast<SliderContainer*> (&warmth) })
    {
        c->attach (processor->parameterTree);
        c->setForceAdapt (true);
        for (const auto size : { juce::Point<int> (1, 1), juce::Point<int> (10, 10), juce::Point<int> (30, 24),
                                 juce::Point<int> (400, 30), juce::Point<int> (75, 220) })
        {
            c->setSize (size.x, size.y);
            snapshot (*c);
        }
    }

    // A drawn slider at its real size shows its bar in the section colour.
    slider.setMainColor (juce::Colours::red);
    slider.setSize (60, 224);
    setHostValue (*processor, "DryWet", 100.0f);
    const auto image = snapshot (slider);
    EXPECT_GT (countColour (image, { 10, 80, 40, 20 }, juce::Colours::red, 60), 100);
}

namespace juce
{
// The platform's message pump, so that the test can deliver the attachment's
// asynchronous updates without a modal loop.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

// Host automation arrives on another thread: the attachment hands the value to
// the message thread, where the slider follows it.
class SliderContainerThreads : public ProcessorBackedTest
{
};

TEST_F (SliderContainerThreads, FollowsAutomationFromAnotherThreadWithoutAllocatingThere)
{
    SliderContainer container (kernelParameter (*processor, dryWet), "Dry/Wet", false, {});
    container.attach (processor->parameterTree);
    auto& parameter = hostParameter (*processor, "DryWet");

    std::atomic<bool> done { false };
    std::size_t allocations = 0;
    std::thread automation ([&] {
        for (int i = 0; i <= 2000; ++i)
        {
            testsupport::ScopedAllocationCounter counter;
            const float normalised = static_cast<float> (i % 101) / 100.0f;
            parameter.setValue (normalised);
            parameter.sendValueChangedMessageToListeners (normalised);
            if (i > 100)
                allocations += counter.allocations();
        }
        done = true;
    });
    while (! done)
        juce::dispatchNextMessageOnSystemQueue (true);
    automation.join();
    while (juce::dispatchNextMessageOnSystemQueue (true))
    {
    }
    EXPECT_NEAR (container.slider->getValue(), 81.0, 0.01);
    EXPECT_EQ (allocations, 0u);
}
