// The double slider: handles placed on the note scale at attach, which handle
// a press grabs, moving both handles, the title strip, right clicks, labels,
// and values from another thread.
#include "AllocationCounter.h"
#include "ControlContainerTestHelpers.h"
#include "FurtherContainersTestHost.h"

#include "LookAndFeel/Palette.h"
#include "UI/Controls/Slider/DoubleSliderContainer.h"

#include <cmath>
#include <thread>

using namespace controltest;
using namespace furthertest;

namespace
{
constexpr int width = 200;
constexpr int height = 60;

class DoubleSliderTest : public ::testing::Test
{
protected:
    DoubleSliderTest()
        : host ({ { "Low", 20.0f, 20000.0f, 200.0f }, { "High", 20.0f, 20000.0f, 2000.0f } }),
          slider (host.parameter (0), host.parameter (1), "Band", {})
    {
        slider.attach (host.tree);
        slider.setBounds (0, 0, width, height);
    }

    // Places both handles at locations (through the host, on the note scale).
    void placeHandles (float first, float second)
    {
        host.set ("Low", 20.0f * std::pow (1000.0f, first));
        host.set ("High", 20.0f * std::pow (1000.0f, second));
    }

    void press (float location) { slider.mouseDown (mouseEvent (slider, location * width, 40.0f, leftButton)); }
    void dragTo (float location) { slider.mouseDrag (mouseEvent (slider, location * width, 40.0f, leftButton)); }
    void release (float location) { slider.mouseUp (mouseEvent (slider, location * width, 40.0f, leftButton)); }

    ParameterHost host;
    DoubleSliderContainer slider;
};
} // namespace

TEST_F (DoubleSliderTest, HandlesStartAtTheStoredValuesOnTheNoteScale)
{
    // 200 Hz and 2000 Hz in a 20..20000 Hz range: a third and two thirds.
    EXPECT_NEAR (slider.firstLocation, 1.0f / 3.0f, 1e-4f);
    EXPECT_NEAR (slider.secondLocation, 2.0f / 3.0f, 1e-4f);
    EXPECT_EQ (slider.dragMode, DoubleSliderContainer::dragNone);

    host.set ("High", 20000.0f);
    EXPECT_NEAR (slider.secondLocation, 1.0f, 1e-4f);
    EXPECT_TRUE (slider.needsRepaint);
    slider.timerCallback();
    EXPECT_FALSE (slider.needsRepaint);

    snapshot (slider);
    EXPECT_EQ (slider.minLabel.getText(), "200 Hz");
    EXPECT_EQ (slider.maxLabel.getText(), "20000 Hz");
    EXPECT_EQ (slider.minLabel.getBounds(), juce::Rectangle<int> (0, 24, width, height - 24));
}

TEST_F (DoubleSliderTest, PressGrabsTheNearerHandleOrBoth)
{
    placeHandles (0.3f, 0.7f);

    // Between the handles and clear of both: both move together.
    press (0.5f);
    EXPECT_EQ (slider.dragMode, DoubleSliderContainer::dragBoth);
    dragTo (0.6f);
    EXPECT_NEAR (slider.firstLocation, 0.4f, 1e-4f);
    EXPECT_NEAR (slider.secondLocation, 0.8f, 1e-4f);
    EXPECT_NEAR (host.value ("Low"), 20.0f * std::pow (1000.0f, 0.4f), 0.05f);
    EXPECT_NEAR (host.value ("High"), 20.0f * std::pow (1000.0f, 0.8f), 0.5f);
    // Further right: the second stops at the end, the first keeps moving.
    dragTo (0.9f);
    EXPECT_NEAR (slider.firstLocation, 0.7f, 1e-4f);
    EXPECT_FLOAT_EQ (slider.secondLocation, 1.0f);
    EXPECT_NEAR (host.value ("High"), 20000.0f, 0.5f);
    release (0.9f);
    EXPECT_EQ (slider.dragMode, DoubleSliderContainer::dragNone);

    // Between, but within 0.05 of a handle: that handle alone.
    placeHandles (0.3f, 0.7f);
    press (0.33f);
    EXPECT_EQ (slider.dragMode, DoubleSliderContainer::dragFirst);
    EXPECT_NEAR (slider.firstLocation, 0.33f, 1e-4f);
    EXPECT_NEAR (slider.secondLocation, 0.7f, 1e-4f);
    release (0.33f);
    press (0.68f);
    EXPECT_EQ (slider.dragMode, DoubleSliderContainer::dragSecond);
    release (0.68f);

    // Exactly midway between handles 0.1 apart or less: the second.
    slider.firstLocation = 0.375f;
    slider.secondLocation = 0.4375f;
    press (0.40625f);
    EXPECT_EQ (slider.dragMode, DoubleSliderContainer::dragSecond);
    release (0.45f);

    // Outside both: the nearer one, which follows the pointer.
    placeHandles (0.4f, 0.5f);
    press (0.1f);
    EXPECT_EQ (slider.dragMode, DoubleSliderContainer::dragFirst);
    dragTo (0.0f);
    EXPECT_NEAR (host.value ("Low"), 20.0f, 0.01f);
    release (0.0f);
}

TEST_F (DoubleSliderTest, HostGesturesBracketEachDrag)
{
    GestureCounter low (host.host ("Low"));
    GestureCounter high (host.host ("High"));
    placeHandles (0.3f, 0.7f);
    press (0.5f);
    dragTo (0.55f);
    release (0.55f);
    press (0.1f);
    release (0.1f);
    EXPECT_EQ (low.begins, 2);
    EXPECT_EQ (low.ends, 2);
    EXPECT_EQ (high.begins, 1);
    EXPECT_EQ (high.ends, 1);
}

TEST_F (DoubleSliderTest, TitleStripAndRightClick)
{
    RecordingDelegate delegate;
    slider.delegate = &delegate;

    slider.mouseDown (mouseEvent (slider, 10.0f, 10.0f, leftButton));
    slider.mouseDrag (mouseEvent (slider, 10.0f, 10.0f, leftButton));
    slider.mouseUp (mouseEvent (slider, 10.0f, 10.0f, leftButton));
    EXPECT_NEAR (host.value ("Low"), 200.0f, 0.01f);
    EXPECT_NEAR (host.value ("High"), 2000.0f, 0.1f);
    EXPECT_TRUE (delegate.reports.empty());

    slider.mouseDown (mouseEvent (slider, 10.0f, 10.0f, rightButton));
    slider.mouseUp (mouseEvent (slider, 10.0f, 10.0f, rightButton));
    EXPECT_NEAR (host.value ("Low"), 200.0f, 0.01f);
    ASSERT_EQ (delegate.reports.size(), 1u);
    ASSERT_EQ (delegate.reports[0].size(), 2u);
    EXPECT_EQ (delegate.reports[0][0].displayName, "LOW");
    EXPECT_EQ (delegate.reports[0][0].parameter, host.parameter (0));
    EXPECT_EQ (delegate.reports[0][1].displayName, "HIGH");
    EXPECT_EQ (delegate.reports[0][1].parameter, host.parameter (1));
}

TEST (DoubleSliderContainer, NoteScaleEdgesAndColours)
{
    // A minimum of 0 Hz is note -1500: location 0 maps back to 0 Hz.
    Parameter zeroBased;
    zeroBased.id = "Zero";
    zeroBased.min = 0.0f;
    zeroBased.max = 100.0f;
    const DoubleSliderContainer::ParameterSettings settings (zeroBased);
    EXPECT_EQ (DoubleSliderContainer::frequencyOf (0.0f, settings), 0.0f);
    EXPECT_NEAR (DoubleSliderContainer::frequencyOf (1.0f, settings), 100.0f, 0.01f);
    // An empty range places every value at its start instead of dividing by 0.
    Parameter empty;
    empty.id = "Empty";
    empty.min = 50.0f;
    empty.max = 50.0f;
    EXPECT_EQ (DoubleSliderContainer::locationOf (50.0f, DoubleSliderContainer::ParameterSettings (empty)), 0.0f);

    // Missing colours keep the defaults; given ones replace them in order.
    ParameterHost host ({ { "A", 20.0f, 20000.0f, 20.0f }, { "B", 20.0f, 20000.0f, 20000.0f } });
    DoubleSliderContainer two (host.parameter (0), host.parameter (1), "", { juce::Colours::orange });
    ASSERT_EQ (two.zoneColours.size(), 3u);
    EXPECT_EQ (two.zoneColours[0], juce::Colours::orange);
    EXPECT_EQ (two.zoneColours[1], Karvon::blue);
    EXPECT_EQ (two.zoneColours[2], Karvon::red);

    // Painting before attach shows the zones and leaves the labels empty.
    two.setBounds (0, 0, 100, 50);
    const auto image = snapshot (two);
    EXPECT_TRUE (isColour (image, 50, 40, Karvon::red));
    EXPECT_EQ (two.minLabel.getText(), "");

    two.attach (host.tree);
    const auto attached = snapshot (two);
    EXPECT_TRUE (isColour (attached, 50, 40, Karvon::blue));
    two.setIsGrey (true);
    EXPECT_TRUE (isColour (snapshot (two), 50, 40, Karvon::blue.withAlpha (0.3f), 4));
}

// Suites that run threads end in "Threads": the ThreadSanitizer build runs them.
class DoubleSliderThreads : public DoubleSliderTest
{
};

TEST_F (DoubleSliderThreads, MovedFromAnotherThread)
{
    juce::Image image (juce::Image::ARGB, width, height, true);
    std::atomic<bool> done { false };
    auto& low = host.host ("Low");
    auto& high = host.host ("High");
    std::size_t allocations = 0;
    std::thread automation ([&] {
        // Hosts may automate from the audio thread: the listeners must not allocate.
        testsupport::ScopedAllocationCounter counter;
        for (int i = 1; i <= 300; ++i)
        {
            automate (low, 20.0f * static_cast<float> (i));
            automate (high, 20000.0f / static_cast<float> (i));
        }
        allocations = counter.allocations();
        done = true;
    });
    while (! done)
    {
        slider.timerCallback();
        juce::Graphics g (image);
        slider.paint (g);
    }
    automation.join();
    EXPECT_EQ (allocations, 0u);
    EXPECT_NEAR (slider.firstLocation, std::log (300.0f) / std::log (1000.0f), 1e-4f);
}
