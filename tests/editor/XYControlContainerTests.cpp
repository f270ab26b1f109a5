// The XY pad and the time-stop pad: values written by presses and drags,
// release with and without latch, the handle's place, right clicks, the
// trigger and the read-outs, and automation from another thread.
#include "AllocationCounter.h"
#include "ControlContainerTestHelpers.h"
#include "FurtherContainersTestHost.h"

#include "UI/Controls/XY/TimeStopXYControlContainer.h"
#include "UI/Controls/XY/XYControlContainer.h"
#include "VantrelParameterList.h"

#include <thread>

using namespace controltest;
using namespace furthertest;

namespace
{
constexpr int width = 200;
constexpr int height = 124; // a 100-pixel pad under the 24-pixel title

class XYControlContainerTest : public ProcessorBackedTest
{
protected:
    void SetUp() override
    {
        ProcessorBackedTest::SetUp();
        // x: RoomSize 0..100 (default 50); y: InputGain -30..12 dB (default 0).
        pad = std::make_unique<XYControlContainer> (kernelParameter (*processor, VantrelParameterList::RoomSize),
                                                    kernelParameter (*processor, VantrelParameterList::InputGain), "Pad");
        pad->attach (processor->parameterTree);
        pad->setBounds (0, 0, width, height);
    }
    void TearDown() override
    {
        pad.reset();
        ProcessorBackedTest::TearDown();
    }

    std::unique_ptr<XYControlContainer> pad;
};
} // namespace

TEST_F (XYControlContainerTest, StartsAtTheStoredValuesAndFollowsTheHost)
{
    EXPECT_FLOAT_EQ (pad->xLocation, 0.5f);
    EXPECT_NEAR (pad->yLocation, 30.0f / 42.0f, 1e-6f);

    setHostValue (*processor, "RoomSize", 25.0f);
    setHostValue (*processor, "InputGain", 12.0f);
    EXPECT_FLOAT_EQ (pad->xLocation, 0.25f);
    EXPECT_FLOAT_EQ (pad->yLocation, 1.0f);
    EXPECT_TRUE (pad->needsRepaint);
    pad->timerCallback();
    EXPECT_FALSE (pad->needsRepaint);
}

TEST_F (XYControlContainerTest, ReleaseReturnsToTheMinimaUnlessLatched)
{
    GestureCounter gestures (hostParameter (*processor, "RoomSize"));
    pad->mouseDown (mouseEvent (*pad, 150.0f, 49.0f, leftButton)); // x 0.75, y 0.75
    EXPECT_NEAR (hostValue (*processor, "RoomSize"), 75.0f, 0.01f);
    EXPECT_NEAR (hostValue (*processor, "InputGain"), -30.0f + 42.0f * 0.75f, 0.01f);

    // Beyond the pad the point clamps; above it y is 1.
    pad->mouseDrag (mouseEvent (*pad, 400.0f, 0.0f, leftButton));
    EXPECT_NEAR (hostValue (*processor, "RoomSize"), 100.0f, 0.01f);
    EXPECT_NEAR (hostValue (*processor, "InputGain"), 12.0f, 0.01f);
    pad->mouseDrag (mouseEvent (*pad, -10.0f, 500.0f, leftButton));
    EXPECT_NEAR (hostValue (*processor, "RoomSize"), 0.0f, 0.01f);
    EXPECT_NEAR (hostValue (*processor, "InputGain"), -30.0f, 0.01f);

    pad->mouseDrag (mouseEvent (*pad, 50.0f, 74.0f, leftButton));
    pad->mouseUp (mouseEvent (*pad, 50.0f, 74.0f, leftButton));
    EXPECT_NEAR (hostValue (*processor, "RoomSize"), 0.0f, 0.01f);
    EXPECT_NEAR (hostValue (*processor, "InputGain"), -30.0f, 0.01f);
    EXPECT_FLOAT_EQ (pad->xLocation, 0.0f);
    EXPECT_FALSE (pad->isDragging);
    EXPECT_EQ (gestures.begins, 1);
    EXPECT_EQ (gestures.ends, 1);

    pad->latch = true;
    pad->mouseDown (mouseEvent (*pad, 50.0f, 74.0f, leftButton));
    pad->mouseUp (mouseEvent (*pad, 50.0f, 74.0f, leftButton));
    EXPECT_NEAR (hostValue (*processor, "RoomSize"), 25.0f, 0.01f);
    EXPECT_NEAR (hostValue (*processor, "InputGain"), -9.0f, 0.01f);
}

TEST_F (XYControlContainerTest, TitleStripPressAndRightClickChangeNothing)
{
    RecordingDelegate delegate;
    pad->delegate = &delegate;

    pad->mouseDown (mouseEvent (*pad, 150.0f, 10.0f, leftButton));
    EXPECT_FALSE (pad->isDragging);
    pad->mouseUp (mouseEvent (*pad, 150.0f, 10.0f, leftButton));
    pad->mouseDown (mouseEvent (*pad, 150.0f, 80.0f, rightButton));
    pad->mouseUp (mouseEvent (*pad, 150.0f, 80.0f, rightButton));
    EXPECT_NEAR (hostValue (*processor, "RoomSize"), 50.0f, 0.01f);
    EXPECT_NEAR (hostValue (*processor, "InputGain"), 0.0f, 0.01f);

    ASSERT_EQ (delegate.reports.size(), 1u);
    ASSERT_EQ (delegate.reports[0].size(), 2u);
    EXPECT_EQ (delegate.reports[0][0].displayName, "ROOM SIZE");
    EXPECT_EQ (delegate.reports[0][1].displayName, "INPUT GAIN");
    EXPECT_EQ (delegate.reports[0][1].parameter, kernelParameter (*processor, VantrelParameterList::InputGain));
}

TEST_F (XYControlContainerTest, PadTintAndHandleStayInside)
{
    pad->setMainColor (juce::Colours::red);
    // Pressed in the bottom-left corner: the handle's centre stays 10 pixels
    // inside both edges, its white ring around it.
    pad->mouseDown (mouseEvent (*pad, 0.0f, static_cast<float> (height), leftButton));
    auto image = snapshot (*pad);
    EXPECT_TRUE (isColour (image, 10, height - 10, juce::Colours::red));
    EXPECT_TRUE (isColour (image, 10, height - 20, juce::Colours::white, 60));
    EXPECT_TRUE (isTransparent (image, 3, height - 3 - 20));
    pad->mouseUp (mouseEvent (*pad, 0.0f, static_cast<float> (height), leftButton));

    // Without a drag no handle; the pad is tinted by both locations.
    setHostValue (*processor, "RoomSize", 100.0f);
    setHostValue (*processor, "InputGain", -30.0f);
    image = snapshot (*pad);
    EXPECT_TRUE (isColour (image, 100, 70, juce::Colours::red.withAlpha (0.7f), 4));
    EXPECT_TRUE (isColour (image, 0, 70, juce::Colours::white));
    EXPECT_TRUE (isColour (image, 100, 24, juce::Colours::white));
}

// Suites that run threads end in "Threads": the ThreadSanitizer build runs them.
class XYControlContainerThreads : public XYControlContainerTest
{
};

TEST_F (XYControlContainerThreads, AutomatedFromAnotherThread)
{
    juce::Image image (juce::Image::ARGB, width, height, true);
    std::atomic<bool> done { false };
    auto& roomSize = hostParameter (*processor, "RoomSize");
    auto& inputGain = hostParameter (*processor, "InputGain");
    std::size_t allocations = 0;
    std::thread automation ([&] {
        // Hosts may automate from the audio thread: the listeners must not allocate.
        testsupport::ScopedAllocationCounter counter;
        for (int i = 0; i <= 400; ++i)
        {
            automate (roomSize, static_cast<float> (i % 101));
            automate (inputGain, -30.0f + static_cast<float> (i % 43));
        }
        allocations = counter.allocations();
        done = true;
    });
    while (! done)
    {
        pad->timerCallback();
        juce::Graphics g (image);
        pad->paint (g);
    }
    automation.join();
    EXPECT_EQ (allocations, 0u);
    EXPECT_FLOAT_EQ (pad->xLocation, 0.97f);
    EXPECT_NEAR (pad->yLocation, 13.0f / 42.0f, 1e-6f);
}

namespace
{
class TimeStopTest : public ::testing::Test
{
protected:
    TimeStopTest()
        : host ({ { "Width", 0.0f, 1.0f, 0.2f }, { "Time", 0.0f, 1.0f, 0.4f }, { "Trigger", 0.0f, 1.0f, 0.0f } }),
          pad (host.parameter (0), host.parameter (1), host.parameter (2), "Time Stop")
    {
        pad.attach (host.tree);
        pad.setBounds (0, 0, width, height);
    }

    ParameterHost host;
    TimeStopXYControlContainer pad;
};
} // namespace

TEST_F (TimeStopTest, PressHoldsTheTriggerAndShowsTheDelayTime)
{
    EXPECT_TRUE (pad.timeLabel.isVisible());
    EXPECT_EQ (pad.timeLabel.getBounds(), juce::Rectangle<int> (0, 101, 64, 10));
    EXPECT_EQ (pad.statusLabel.getBounds(), juce::Rectangle<int> (0, 111, 64, 10));

    pad.mouseDown (mouseEvent (pad, 100.0f, 74.0f, leftButton)); // x 0.5, y 0.5
    EXPECT_FLOAT_EQ (host.value ("Trigger"), 1.0f);
    EXPECT_FALSE (pad.showHandle);
    snapshot (pad);
    EXPECT_EQ (pad.timeLabel.getText(), "1025ms");

    pad.mouseUp (mouseEvent (pad, 100.0f, 74.0f, leftButton));
    EXPECT_FLOAT_EQ (host.value ("Trigger"), 0.0f);
    // The pad point returns, the axis parameters keep their values.
    EXPECT_FLOAT_EQ (pad.xLocation, 0.0f);
    EXPECT_NEAR (host.value ("Width"), 0.5f, 1e-6f);
    EXPECT_NEAR (host.value ("Time"), 0.5f, 1e-6f);
    snapshot (pad);
    EXPECT_EQ (pad.timeLabel.getText(), "");

    // The title strip fires the trigger too; the axes stay.
    pad.mouseDown (mouseEvent (pad, 10.0f, 5.0f, leftButton));
    EXPECT_FLOAT_EQ (host.value ("Trigger"), 1.0f);
    EXPECT_NEAR (host.value ("Width"), 0.5f, 1e-6f);
    pad.mouseUp (mouseEvent (pad, 10.0f, 5.0f, leftButton));
    EXPECT_FLOAT_EQ (host.value ("Trigger"), 0.0f);
}

TEST_F (TimeStopTest, TheTriggerIsOneGestureAndFallsBackWhateverButtonsTheReleaseCarries)
{
    GestureCounter trigger (host.host ("Trigger"));
    pad.mouseDown (mouseEvent (pad, 100.0f, 74.0f, leftButton));
    EXPECT_FLOAT_EQ (host.value ("Trigger"), 1.0f);
    EXPECT_EQ (trigger.begins, 1);
    EXPECT_EQ (trigger.ends, 0);
    // Left and right held, the release arriving with the right button only.
    pad.mouseUp (mouseEvent (pad, 100.0f, 74.0f, rightButton));
    EXPECT_FLOAT_EQ (host.value ("Trigger"), 0.0f);
    EXPECT_EQ (trigger.begins, 1);
    EXPECT_EQ (trigger.ends, 1);
    EXPECT_FALSE (pad.isDragging);
}

TEST_F (TimeStopTest, RightClickLeavesTheTriggerAndReportsTheAxes)
{
    RecordingDelegate delegate;
    pad.delegate = &delegate;
    pad.mouseDown (mouseEvent (pad, 100.0f, 74.0f, rightButton));
    EXPECT_FLOAT_EQ (host.value ("Trigger"), 0.0f);
    pad.mouseUp (mouseEvent (pad, 100.0f, 74.0f, rightButton));
    ASSERT_EQ (delegate.reports.size(), 1u);
    ASSERT_EQ (delegate.reports[0].size(), 2u);
    EXPECT_EQ (delegate.reports[0][0].displayName, "WIDTH");
    EXPECT_EQ (delegate.reports[0][1].displayName, "TIME");
}

TEST_F (TimeStopTest, HoldingPulsesUntilTheOwnerStopsIt)
{
    pad.setIsTriggerHolding (true);
    EXPECT_EQ (pad.statusLabel.getText(), "HOLDING...");
    for (int i = 0; i < 5; ++i)
        pad.timerCallback();
    EXPECT_EQ (pad.holdCounter, 5);
    // The veil's alpha follows the counter: 0.6 at 0, lower half a period on.
    const auto veilAt = [&] (int counter) {
        pad.holdCounter = counter;
        return snapshot (pad).getPixelAt (20, 30).getFloatAlpha(); // clear of the icon
    };
    EXPECT_GT (veilAt (0), veilAt (8) + 0.1f);

    pad.setIsTriggerHolding (false);
    EXPECT_EQ (pad.statusLabel.getText(), "");
    EXPECT_EQ (pad.holdCounter, 0);
    pad.timerCallback();
    EXPECT_EQ (pad.holdCounter, 0); // nothing to repaint
}

TEST_F (TimeStopTest, SpeedSectorRevealsTheIcon)
{
    pad.setMainColor (juce::Colours::red);
    const auto iconPixels = [&] (float speed, juce::Rectangle<int> area) {
        pad.setSpeed (speed);
        return countColour (snapshot (pad), area, juce::Colours::red, 30);
    };
    const juce::Rectangle<int> leftHalf (0, 24, width / 2 - 1, 100);
    const juce::Rectangle<int> rightHalf (width / 2 + 1, 24, width / 2 - 1, 100);
    EXPECT_GT (iconPixels (-1.0f, leftHalf), 100);
    EXPECT_GT (iconPixels (-1.0f, rightHalf), 100);
    // Half a turn clockwise from twelve o'clock: the right half only.
    EXPECT_EQ (iconPixels (0.5f, leftHalf), 0);
    EXPECT_GT (iconPixels (0.5f, rightHalf), 100);
    EXPECT_EQ (iconPixels (0.0f, { 0, 24, width, 100 }), 0);

    // The outline: a band between the radii 28 and 44 around (47.7, 48.2) of
    // its 100 x 100 design box, widest at its start above the centre.
    const auto outline = TimeStopXYControlContainer::createSpeedShapeOutline();
    EXPECT_TRUE (juce::Rectangle<float> (0.0f, 0.0f, 100.0f, 100.0f).contains (outline.getBounds()));
    EXPECT_FALSE (outline.contains (47.7f, 48.2f));
    EXPECT_TRUE (outline.contains (47.7f, 48.2f - 36.0f));
    EXPECT_FALSE (outline.contains (47.7f, 48.2f - 26.0f));
    EXPECT_FALSE (outline.contains (47.7f, 48.2f - 46.0f));
}

TEST_F (TimeStopTest, OddSizesPaint)
{
    for (const auto& [w, h] : { std::pair { 1, 1 }, { 30, 20 }, { 3, 200 }, { 600, 25 } })
    {
        pad.setBounds (0, 0, w, h);
        pad.mouseDown (mouseEvent (pad, 1.0f, 1.0f, leftButton));
        juce::Image image (juce::Image::ARGB, w, h, true);
        juce::Graphics g (image);
        pad.paint (g);
        pad.mouseUp (mouseEvent (pad, 1.0f, 1.0f, leftButton));
    }
    SUCCEED();
}
