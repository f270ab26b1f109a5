// The double filter: layout of switches and labels, which filter a press
// grabs, the drag mapping, the combined curve with its clamps, the on flags at
// attach and from notifications, right clicks, and values from another thread.
#include "AllocationCounter.h"
#include "ControlContainerTestHelpers.h"
#include "FurtherContainersTestHost.h"

#include "UI/Controls/Filter/DoubleFilterContainer.h"

#include <cmath>
#include <thread>

using namespace controltest;
using namespace furthertest;

namespace
{
constexpr int width = 220;
constexpr int height = 160;
constexpr float title = 24.0f;

float dbAt (float y)
{
    return (static_cast<float> (height) - y) * 48.0f / (static_cast<float> (height) - title) - 24.0f;
}

class DoubleFilterTest : public ::testing::Test
{
protected:
    DoubleFilterTest()
        : host ({ { "LowPassFrequency", 20.0f, 30000.0f, 2000.0f },
                  { "LowPassResonance", -30.0f, 30.0f, 0.0f },
                  { "LowPassOn", 0.0f, 1.0f, 1.0f },
                  { "HighPassFrequency", 20.0f, 30000.0f, 100.0f },
                  { "HighPassResonance", -30.0f, 30.0f, 0.0f },
                  { "HighPassOn", 0.0f, 1.0f, 1.0f } }),
          filters (host.parameter (0), host.parameter (1), host.parameter (2), host.parameter (3), host.parameter (4),
                   host.parameter (5), "Filters")
    {
        filters.attach (host.tree);
        filters.setBounds (0, 0, width, height);
    }

    void refresh()
    {
        filters.timerCallback();
        snapshot (filters);
    }

    float curveDbAt (double frequency)
    {
        const auto points = vertices (filters.curvePath);
        const auto column = static_cast<std::size_t> (std::lround (width * std::log2 (frequency / 12.0) / 11.0));
        return dbAt (points.at (column + 1).y);
    }

    ParameterHost host;
    DoubleFilterContainer filters;
};
} // namespace

TEST_F (DoubleFilterTest, SwitchesAndLabelsInTheTopCorners)
{
    // a = 220 / 5 = 44, b = 160 / 9 = 17.
    EXPECT_EQ (filters.highPassOnOff->getBounds(), juce::Rectangle<int> (4, 28, 44, 17));
    EXPECT_EQ (filters.highPassLabel.getBounds(), juce::Rectangle<int> (0, 49, 88, 34));
    EXPECT_EQ (filters.lowPassOnOff->getBounds(), juce::Rectangle<int> (172, 28, 44, 17));
    EXPECT_EQ (filters.lowPassLabel.getBounds(), juce::Rectangle<int> (132, 49, 88, 34));
    EXPECT_FALSE (filters.lowPassOnOff->displayTitle);
    EXPECT_EQ (filters.lowPassOnOff->lookAndFeel.onText, "LP");
    EXPECT_EQ (filters.highPassOnOff->lookAndFeel.offText, "HP");

    filters.setMainColor (juce::Colours::orange);
    EXPECT_EQ (filters.lowPassOnOff->mainColor, juce::Colours::orange);
    EXPECT_EQ (filters.highPassOnOff->mainColor, juce::Colours::orange);

    // The switches follow their parameters.
    host.set ("LowPassOn", 0.0f);
    EXPECT_FALSE (filters.lowPassOnOff->button->getToggleState());
}

TEST_F (DoubleFilterTest, CurveCombinesTheFiltersThatAreOn)
{
    refresh();
    EXPECT_EQ (filters.lowPassLabel.getText(), "2000 Hz\n0.0 dB");
    EXPECT_EQ (filters.highPassLabel.getText(), "100 Hz\n0.0 dB");
    EXPECT_EQ (filters.lowPassLabel.findColour (juce::Label::textColourId), juce::Colours::white);
    // A band: at 0 dB resonance (Q = 1) each filter passes its corner at
    // 0 dB and is 11.1 dB down an octave beyond it; the floor is 1 dB clear
    // of the bottom.
    EXPECT_NEAR (curveDbAt (100.0), 0.0f, 0.5f);
    EXPECT_NEAR (curveDbAt (2000.0), 0.0f, 0.5f);
    EXPECT_NEAR (curveDbAt (50.0), -11.1f, 0.5f);
    EXPECT_NEAR (curveDbAt (4000.0), -11.1f, 1.0f); // steeper near Nyquist
    EXPECT_NEAR (curveDbAt (12.0), -23.0f, 1e-3f);
    EXPECT_NEAR (curveDbAt (20000.0), -23.0f, 1e-3f);

    // Only the high pass: the lows fall, the highs stay.
    host.set ("LowPassOn", 0.0f);
    refresh();
    EXPECT_NEAR (curveDbAt (20000.0), 0.0f, 0.1f);
    EXPECT_NEAR (curveDbAt (12.0), -23.0f, 1e-3f);
    EXPECT_EQ (filters.lowPassLabel.findColour (juce::Label::textColourId), juce::Colours::grey);

    // Neither: the flat 0 dB line from edge to edge.
    host.set ("HighPassOn", 0.0f);
    refresh();
    const auto points = vertices (filters.curvePath);
    ASSERT_EQ (points.size(), static_cast<std::size_t> (width + 2));
    for (std::size_t i = 1; i + 1 < points.size(); ++i)
        EXPECT_NEAR (dbAt (points[i].y), 0.0f, 1e-3f) << i;
    EXPECT_EQ (points.back(), juce::Point<float> (static_cast<float> (width), static_cast<float> (height)));
}

TEST_F (DoubleFilterTest, CurveAndLabelsKeepToTheDisplayRange)
{
    host.set ("LowPassResonance", 30.0f);
    host.set ("HighPassFrequency", 5.0f);  // clamped to the range: 20 Hz
    host.set ("LowPassFrequency", 25000.0f);
    host.set ("HighPassResonance", -30.0f);
    refresh();
    EXPECT_EQ (filters.lowPassLabel.getText(), "21940 Hz\n24.0 dB");
    EXPECT_EQ (filters.highPassLabel.getText(), "20 Hz\n-24.0 dB");
    EXPECT_NEAR (host.value ("LowPassResonance"), 30.0f, 1e-3f);
    EXPECT_NEAR (host.value ("LowPassFrequency"), 25000.0f, 0.01f);
    EXPECT_TRUE (allFinite (filters.curvePath));
}

TEST_F (DoubleFilterTest, PressGrabsTheNearerFilterAndDragsIt)
{
    GestureCounter lowPassGestures (host.host ("LowPassFrequency"));
    GestureCounter highPassGestures (host.host ("HighPassFrequency"));
    // Handles: high pass at (x of 100 Hz, 0 dB), low pass at (x of 2000 Hz, 0 dB).
    const float highX = width * std::log2 (100.0f / 12.0f) / 11.0f;
    const float lowX = width * std::log2 (2000.0f / 12.0f) / 11.0f;
    const float zeroY = height - 0.5f * (height - title);

    filters.mouseDown (mouseEvent (filters, lowX - 5.0f, zeroY, leftButton));
    EXPECT_TRUE (filters.isDragging);
    EXPECT_TRUE (filters.isDraggingLowPass);
    // The drag writes the frequency the display draws under the pointer (its
    // 12 Hz, eleven-octave axis), bounded by the parameter's range.
    filters.mouseDrag (mouseEvent (filters, 0.5f * width, title, leftButton));
    EXPECT_NEAR (host.value ("LowPassFrequency"), 12.0f * std::exp2 (5.5f), 0.1f);
    EXPECT_NEAR (host.value ("LowPassResonance"), 30.0f, 1e-3f);
    filters.mouseDrag (mouseEvent (filters, 2.0f * width, 2.0f * height, leftButton));
    EXPECT_NEAR (host.value ("LowPassFrequency"), 12.0f * 2048.0f, 0.1f);
    EXPECT_NEAR (host.value ("LowPassResonance"), -30.0f, 1e-3f);
    filters.mouseUp (mouseEvent (filters, 2.0f * width, 2.0f * height, leftButton));
    EXPECT_FALSE (filters.isDragging);
    EXPECT_NEAR (host.value ("HighPassFrequency"), 100.0f, 1e-3f);
    EXPECT_EQ (lowPassGestures.begins, 1);
    EXPECT_EQ (lowPassGestures.ends, 1);
    EXPECT_EQ (highPassGestures.begins, 0);

    // Exactly midway between the two handles: the high pass.
    host.set ("LowPassFrequency", 2000.0f);
    host.set ("LowPassResonance", 0.0f);
    filters.mouseDown (mouseEvent (filters, std::round ((highX + lowX) / 2.0f), zeroY, leftButton));
    EXPECT_FALSE (filters.isDraggingLowPass);
    filters.mouseUp (mouseEvent (filters, 0.0f, 0.0f, leftButton));

    // With only the low pass on, the low pass wherever the press falls.
    host.set ("HighPassOn", 0.0f);
    filters.mouseDown (mouseEvent (filters, highX, zeroY, leftButton));
    EXPECT_TRUE (filters.isDraggingLowPass);
    filters.mouseUp (mouseEvent (filters, highX, zeroY, leftButton));

    // With both off, nothing.
    host.set ("LowPassOn", 0.0f);
    const float before = host.value ("LowPassFrequency");
    filters.mouseDown (mouseEvent (filters, 100.0f, 100.0f, leftButton));
    EXPECT_FALSE (filters.isDragging);
    EXPECT_EQ (host.value ("LowPassFrequency"), before);
}

TEST_F (DoubleFilterTest, SwitchPressesTitleStripAndRightClicks)
{
    RecordingDelegate delegate;
    filters.delegate = &delegate;

    // A press that began on a switch toggles the switch, not a filter.
    filters.mouseDown (mouseEventFrom (*filters.lowPassOnOff->button, filters, 190.0f, 35.0f, leftButton));
    EXPECT_FALSE (filters.isDragging);
    // The title strip is not the pad.
    filters.mouseDown (mouseEvent (filters, 190.0f, 10.0f, leftButton));
    EXPECT_FALSE (filters.isDragging);
    EXPECT_NEAR (host.value ("LowPassFrequency"), 2000.0f, 0.01f);

    filters.mouseDown (mouseEvent (filters, 100.0f, 100.0f, rightButton));
    EXPECT_FALSE (filters.isDragging);
    ASSERT_EQ (delegate.reports.size(), 1u);
    ASSERT_EQ (delegate.reports[0].size(), 6u);
    EXPECT_EQ (delegate.reports[0][0].displayName, "LOW PASS FREQUENCY");
    EXPECT_EQ (delegate.reports[0][5].displayName, "HIGH PASS ON");
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ (delegate.reports[0][i].parameter, host.parameter (i));
}

TEST (DoubleFilterContainer, OnThresholdAtAttachAndOnNotification)
{
    ParameterHost host ({ { "LF", 20.0f, 20000.0f, 2000.0f }, { "LR", -24.0f, 24.0f, 0.0f }, { "LO", 0.0f, 1.0f, 0.3f },
                          { "HF", 20.0f, 20000.0f, 100.0f }, { "HR", -24.0f, 24.0f, 0.0f }, { "HO", 0.0f, 1.0f, 0.6f } });
    DoubleFilterContainer filters (host.parameter (0), host.parameter (1), host.parameter (2), host.parameter (3),
                                   host.parameter (4), host.parameter (5), "");
    filters.attach (host.tree);
    EXPECT_FALSE (filters.lowPassState.isOn);
    EXPECT_TRUE (filters.highPassState.isOn);
    host.set ("LO", 0.31f);
    EXPECT_TRUE (filters.lowPassState.isOn);
    host.set ("LF", 20000.0f);
    EXPECT_FLOAT_EQ (filters.lowPassState.frequencyLocation, 1.0f);
    EXPECT_TRUE (filters.needsRepaint);
}

TEST_F (DoubleFilterTest, OddSizesDrawFiniteCurves)
{
    for (const auto& [w, h] : { std::pair { 0, 0 }, { 1, 1 }, { 11, 11 }, { 300, 20 }, { 5, 400 } })
    {
        filters.setBounds (0, 0, w, h);
        juce::Image image (juce::Image::ARGB, std::max (w, 1), std::max (h, 1), true);
        juce::Graphics g (image);
        filters.paint (g);
        EXPECT_TRUE (allFinite (filters.curvePath)) << w << " x " << h;
        filters.mouseDown (mouseEvent (filters, 3.0f, 30.0f, leftButton));
        filters.mouseUp (mouseEvent (filters, 3.0f, 30.0f, leftButton));
    }
}

// Suites that run threads end in "Threads": the ThreadSanitizer build runs them.
class DoubleFilterThreads : public DoubleFilterTest
{
};

TEST_F (DoubleFilterThreads, MovedFromAnotherThread)
{
    juce::Image image (juce::Image::ARGB, width, height, true);
    std::atomic<bool> done { false };
    auto& frequency = host.host ("LowPassFrequency");
    auto& resonance = host.host ("HighPassResonance");
    auto& on = host.host ("HighPassOn");
    std::size_t allocations = 0;
    std::thread automation ([&] {
        // Hosts may automate from the audio thread: the listeners must not allocate.
        testsupport::ScopedAllocationCounter counter;
        for (int i = 0; i < 300; ++i)
        {
            automate (frequency, 20.0f + 90.0f * static_cast<float> (i));
            automate (resonance, static_cast<float> (i % 60 - 30));
            automate (on, static_cast<float> (i % 2));
        }
        allocations = counter.allocations();
        done = true;
    });
    while (! done)
    {
        filters.timerCallback();
        juce::Graphics g (image);
        filters.paint (g);
    }
    automation.join();
    EXPECT_EQ (allocations, 0u);
    refresh();
    EXPECT_EQ (filters.lowPassLabel.getText(), "21940 Hz\n0.0 dB"); // 26930 Hz, drawn at the limit
    EXPECT_TRUE (filters.highPassState.isOn);
}
