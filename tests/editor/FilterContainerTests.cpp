// The filter display: the response it draws and labels, the clamps of the
// drawing, the drag mapping on the effect's input filter, and its behaviour at
// odd sizes and under automation from another thread.
#include "AllocationCounter.h"
#include "ControlContainerTestHelpers.h"
#include "FurtherContainersTestHost.h"

#include "UI/Controls/Filter/FilterContainer.h"
#include "VantrelParameterList.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <thread>

using namespace controltest;
using namespace furthertest;

namespace
{
constexpr int width = 220;
constexpr int height = 160;
constexpr float title = 24.0f;

// The dB value a curve point stands for on the -24..+24 dB plot.
float dbAt (float y)
{
    return (static_cast<float> (height) - y) * 48.0f / (static_cast<float> (height) - title) - 24.0f;
}

// The curve point of the pixel column nearest to a frequency.
juce::Point<float> pointAtFrequency (const FilterContainer& c, double frequency)
{
    const auto points = vertices (c.curvePath);
    const auto column = static_cast<std::size_t> (std::lround (width * std::log2 (frequency / 12.0) / 11.0));
    return points.at (column + 1); // after the start at (0, height)
}

class FilterContainerTest : public ProcessorBackedTest
{
protected:
    void SetUp() override
    {
        ProcessorBackedTest::SetUp();
        filter = std::make_unique<FilterContainer> (kernelParameter (*processor, VantrelParameterList::InputFilterFrequency),
                                                    kernelParameter (*processor, VantrelParameterList::InputFilterResonance),
                                                    "Filter");
        filter->attach (processor->parameterTree);
        filter->setBounds (0, 0, width, height);
    }
    void TearDown() override
    {
        filter.reset();
        ProcessorBackedTest::TearDown();
    }

    // What the 30 Hz timer and the next paint do after a change.
    void refresh()
    {
        filter->timerCallback();
        snapshot (*filter);
    }

    std::unique_ptr<FilterContainer> filter;
};
} // namespace

TEST_F (FilterContainerTest, LabelAndCurveFollowTheHostValues)
{
    EXPECT_EQ (filter->name, "FILTER");
    refresh();
    EXPECT_EQ (filter->descriptionLabel.getText(), "F: 400Hz / Q: 0.00dB");
    EXPECT_EQ (filter->descriptionLabel.getBounds(), juce::Rectangle<int> (0, 26, width, 18));

    setHostValue (*processor, "InputFilterFrequency", 1000.0f);
    setHostValue (*processor, "InputFilterResonance", 6.0f);
    EXPECT_TRUE (filter->needsRepaint);
    filter->timerCallback();
    EXPECT_TRUE (filter->curvePath.isEmpty()); // cleared for the next paint
    EXPECT_FALSE (filter->needsRepaint);
    snapshot (*filter);
    EXPECT_EQ (filter->descriptionLabel.getText(), "F: 1000Hz / Q: 6.00dB");
    EXPECT_FALSE (filter->curvePath.isEmpty());

    // A repaint without a change reuses the curve.
    const auto before = vertices (filter->curvePath);
    snapshot (*filter);
    EXPECT_EQ (vertices (filter->curvePath), before);
}

TEST_F (FilterContainerTest, TheLabelKeepsItsPointUnderALocaleWithADecimalComma)
{
    setHostValue (*processor, "InputFilterResonance", 6.5f);
    const std::string previous = std::setlocale (LC_ALL, nullptr);
    // scripts/setup.sh makes de_DE.UTF-8.
    ASSERT_NE (std::setlocale (LC_ALL, "de_DE.UTF-8"), nullptr);
    char probe[16];
    std::snprintf (probe, sizeof probe, "%.1f", 2.5);
    const std::string written = probe;
    filter->timerCallback();
    snapshot (*filter);
    const auto text = filter->descriptionLabel.getText();
    std::setlocale (LC_ALL, previous.c_str());
    ASSERT_EQ (written, "2,5") << "the locale must write a comma for this test to mean anything";
    EXPECT_EQ (text, "F: 400Hz / Q: 6.50dB");
}

TEST_F (FilterContainerTest, DrawsTheFilterResponseOnItsAxis)
{
    setHostValue (*processor, "InputFilterFrequency", 1000.0f);
    setHostValue (*processor, "InputFilterResonance", 6.0f);

    // Low pass: flat at the left edge, the resonance as the level at the
    // corner, closed straight down at the right.
    filter->setType (LowPass);
    refresh();
    EXPECT_NEAR (dbAt (pointAtFrequency (*filter, 12.0).y), 0.0f, 0.1f);
    EXPECT_NEAR (dbAt (pointAtFrequency (*filter, 1000.0).y), 6.0f, 0.5f);
    EXPECT_LT (dbAt (pointAtFrequency (*filter, 10000.0).y), -24.0f); // below the plot: not clipped
    auto points = vertices (filter->curvePath);
    ASSERT_EQ (points.size(), static_cast<std::size_t> (width + 2));
    EXPECT_EQ (points.front(), juce::Point<float> (0.0f, static_cast<float> (height)));
    EXPECT_EQ (points[points.size() - 2].x, static_cast<float> (width - 1));
    EXPECT_EQ (points.back(), juce::Point<float> (static_cast<float> (width), static_cast<float> (height)));

    // The type arrives from the editor's listener: a high pass after the next tick.
    filter->setType (HighPass);
    refresh();
    EXPECT_LT (dbAt (pointAtFrequency (*filter, 30.0).y), -24.0f);
    EXPECT_NEAR (dbAt (pointAtFrequency (*filter, 1000.0).y), 6.0f, 0.5f);
    EXPECT_NEAR (dbAt (pointAtFrequency (*filter, 15000.0).y), 0.0f, 0.2f);
    points = vertices (filter->curvePath);
    ASSERT_EQ (points.size(), static_cast<std::size_t> (width + 3));
    EXPECT_EQ (points[points.size() - 2], juce::Point<float> (static_cast<float> (width), height * 0.5f));
    EXPECT_EQ (points.back(), juce::Point<float> (static_cast<float> (width), static_cast<float> (height)));

    // The effect's low shelf: its resonance is the level of the lows.
    filter->setType (LowShelf);
    setHostValue (*processor, "InputFilterResonance", -12.0f);
    refresh();
    EXPECT_NEAR (dbAt (pointAtFrequency (*filter, 12.0).y), -12.0f, 0.3f);
    EXPECT_NEAR (dbAt (pointAtFrequency (*filter, 15000.0).y), 0.0f, 0.3f);
}

TEST_F (FilterContainerTest, DragPutsTheFrequencyUnderThePointerOnTheDrawnAxisAndResonanceLinearly)
{
    GestureCounter frequencyGestures (hostParameter (*processor, "InputFilterFrequency"));
    GestureCounter resonanceGestures (hostParameter (*processor, "InputFilterResonance"));

    filter->mouseDown (mouseEvent (*filter, 0.0f, title, leftButton));
    EXPECT_NEAR (hostValue (*processor, "InputFilterFrequency"), 20.0f, 0.01f);
    EXPECT_NEAR (hostValue (*processor, "InputFilterResonance"), 24.0f, 0.01f);

    filter->mouseDrag (mouseEvent (*filter, static_cast<float> (width), static_cast<float> (height), leftButton));
    EXPECT_NEAR (hostValue (*processor, "InputFilterFrequency"), 20000.0f, 0.5f);
    EXPECT_NEAR (hostValue (*processor, "InputFilterResonance"), -24.0f, 0.01f);

    // The middle of the 12 Hz, eleven-octave axis the curve is drawn on
    // (12 Hz times 2^5.5), not the middle of the parameter's range, and 0 dB.
    filter->mouseDrag (mouseEvent (*filter, width / 2.0f, title + (height - title) / 2.0f, leftButton));
    EXPECT_NEAR (hostValue (*processor, "InputFilterFrequency"), 12.0f * std::exp2 (5.5f), 0.05f);
    EXPECT_NEAR (hostValue (*processor, "InputFilterResonance"), 0.0f, 0.01f);

    // Beyond the pad the fractions clamp; above it the resonance is at the top.
    filter->mouseDrag (mouseEvent (*filter, -50.0f, -30.0f, leftButton));
    EXPECT_NEAR (hostValue (*processor, "InputFilterFrequency"), 20.0f, 0.01f);
    EXPECT_NEAR (hostValue (*processor, "InputFilterResonance"), 24.0f, 0.01f);

    // The display latches: the values stay after the release.
    filter->mouseDrag (mouseEvent (*filter, width / 2.0f, title + (height - title) / 2.0f, leftButton));
    filter->mouseUp (mouseEvent (*filter, width / 2.0f, title + (height - title) / 2.0f, leftButton));
    EXPECT_NEAR (hostValue (*processor, "InputFilterFrequency"), 543.06f, 0.05f);
    EXPECT_NEAR (hostValue (*processor, "InputFilterResonance"), 0.0f, 0.01f);

    // One host gesture per drag on each parameter.
    EXPECT_EQ (frequencyGestures.begins, 1);
    EXPECT_EQ (frequencyGestures.ends, 1);
    EXPECT_EQ (resonanceGestures.begins, 1);
    EXPECT_EQ (resonanceGestures.ends, 1);
}

TEST_F (FilterContainerTest, TitleStripAndRightClickLeaveTheValues)
{
    RecordingDelegate delegate;
    filter->delegate = &delegate;

    filter->mouseDown (mouseEvent (*filter, 100.0f, 10.0f, leftButton));
    filter->mouseUp (mouseEvent (*filter, 100.0f, 10.0f, leftButton));
    filter->mouseDown (mouseEvent (*filter, 100.0f, 100.0f, rightButton));
    filter->mouseUp (mouseEvent (*filter, 100.0f, 100.0f, rightButton));
    EXPECT_NEAR (hostValue (*processor, "InputFilterFrequency"), 400.0f, 0.01f);
    EXPECT_NEAR (hostValue (*processor, "InputFilterResonance"), 0.0f, 0.01f);

    ASSERT_EQ (delegate.reports.size(), 1u);
    ASSERT_EQ (delegate.reports[0].size(), 2u);
    EXPECT_EQ (delegate.reports[0][0].displayName, "INPUT FILTER FREQUENCY");
    EXPECT_EQ (delegate.reports[0][0].parameter, kernelParameter (*processor, VantrelParameterList::InputFilterFrequency));
    EXPECT_EQ (delegate.reports[0][1].displayName, "INPUT FILTER RESONANCE");
    EXPECT_EQ (delegate.reports[0][1].parameter, kernelParameter (*processor, VantrelParameterList::InputFilterResonance));
}

TEST (FilterContainer, DrawingAndLabelKeepToTheDisplayRange)
{
    ParameterHost host ({ { "Frequency", 1.0f, 30000.0f, 400.0f }, { "Resonance", -40.0f, 40.0f, 0.0f } });
    FilterContainer filter (host.parameter (0), host.parameter (1), "Filter");
    filter.attach (host.tree);
    filter.setBounds (0, 0, width, height);

    const auto labelFor = [&] (float frequency, float resonance) {
        host.set ("Frequency", frequency);
        host.set ("Resonance", resonance);
        filter.timerCallback();
        snapshot (filter);
        return filter.descriptionLabel.getText();
    };
    EXPECT_EQ (labelFor (5.0f, 30.0f), "F: 12Hz / Q: 24.00dB");
    EXPECT_EQ (labelFor (25000.0f, -30.0f), "F: 21940Hz / Q: -24.00dB");
    // The host keeps what it was given.
    EXPECT_NEAR (host.value ("Frequency"), 25000.0f, 0.01f);
    EXPECT_NEAR (host.value ("Resonance"), -30.0f, 0.01f);
}

TEST_F (FilterContainerTest, OddSizesDrawFiniteCurves)
{
    for (const auto& [w, h] : { std::pair { 0, 0 }, { 1, 1 }, { 11, 11 }, { 300, 20 }, { 5, 400 }, { 2000, 30 } })
    {
        for (const auto type : { LowPass, HighPass, LowShelf })
        {
            filter->setType (type);
            filter->setBounds (0, 0, w, h);
            filter->timerCallback();
            juce::Image image (juce::Image::ARGB, std::max (w, 1), std::max (h, 1), true);
            juce::Graphics g (image);
            filter->paint (g);
            EXPECT_TRUE (allFinite (filter->curvePath)) << w << " x " << h;
        }
    }
}

// Suites that run threads end in "Threads": the ThreadSanitizer build runs them.
class FilterContainerThreads : public FilterContainerTest
{
};

TEST_F (FilterContainerThreads, AutomationAndTypeFromAnotherThread)
{
    // Automation and the editor's type listener write from another thread
    // while the message thread ticks and paints.
    juce::Image image (juce::Image::ARGB, width, height, true);
    std::atomic<bool> done { false };
    auto& frequency = hostParameter (*processor, "InputFilterFrequency");
    auto& resonance = hostParameter (*processor, "InputFilterResonance");
    std::size_t allocations = 0;
    std::thread automation ([&] {
        // Hosts may automate from the audio thread: the listeners must not allocate.
        testsupport::ScopedAllocationCounter counter;
        for (int i = 0; i < 300; ++i)
        {
            automate (frequency, 20.0f + 60.0f * static_cast<float> (i));
            automate (resonance, static_cast<float> (i % 48 - 24));
            filter->setType (i % 2 == 0 ? HighPass : LowShelf);
        }
        allocations = counter.allocations();
        done = true;
    });
    while (! done)
    {
        filter->timerCallback();
        juce::Graphics g (image);
        filter->paint (g);
    }
    automation.join();
    EXPECT_EQ (allocations, 0u);
    filter->timerCallback();
    juce::Graphics g (image);
    filter->paint (g);
    EXPECT_EQ (filter->descriptionLabel.getText(), "F: 17960Hz / Q: -13.00dB");
    EXPECT_EQ (filter->filterType.load(), LowShelf);
}
