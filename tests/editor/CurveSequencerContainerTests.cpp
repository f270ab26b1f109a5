// The curve sequencer: footer taps and drags on the curve modes, levels from
// the pointer height (with snapping), the curve towards the next step, the
// ratio lines under a zoom, the colour groups, blinking, guarded setters, and
// host values from another thread.
#include "AllocationCounter.h"
#include "ControlContainerTestHelpers.h"
#include "FurtherContainersTestHost.h"

#include "UI/Controls/CurveSequencer/CurveSequencerContainer.h"

#include <thread>

using namespace controltest;
using namespace furthertest;

namespace
{
constexpr int width = 320; // 20 pixels per step
constexpr int height = 224; // a 200-pixel grid: footer line at y = 176 in the grid

std::vector<ParameterDescription> sequenceDescriptions()
{
    std::vector<ParameterDescription> descriptions;
    for (int i = 0; i < 16; ++i)
        descriptions.push_back ({ ("Level" + juce::String (i)).toStdString(), 0.0f, 1.0f, 0.5f });
    for (int i = 0; i < 16; ++i)
        descriptions.push_back ({ ("Curve" + juce::String (i)).toStdString(), 0.0f, 4.0f, 0.0f, true });
    return descriptions;
}

class CurveSequencerTest : public ::testing::Test
{
protected:
    CurveSequencerTest()
        : host (sequenceDescriptions()), sequencer (host.parameter (0), host.parameters (1, 31), "Sequence")
    {
        sequencer.attach (host.tree);
        sequencer.setBounds (0, 0, width, height);
    }

    CurveSequencerGrid& grid() { return *sequencer.grid; }
    CurveSequencerStep& step (int i) { return *sequencer.steps[static_cast<std::size_t> (i)]; }
    float curveOf (int i) { return host.value ("Curve" + juce::String (i)); }
    float levelOf (int i) { return host.value ("Level" + juce::String (i)); }

    // A tap in the grid's coordinates.
    void tap (float x, float y)
    {
        grid().mouseDown (mouseEvent (grid(), x, y, leftButton));
        grid().mouseUp (mouseEvent (grid(), x, y, leftButton));
    }
    void tickAll()
    {
        for (auto& s : sequencer.steps)
            s->timerCallback();
    }

    ParameterHost host;
    CurveSequencerContainer sequencer;
};
} // namespace

TEST_F (CurveSequencerTest, StepsAndGridLayout)
{
    ASSERT_EQ (sequencer.steps.size(), 16u);
    EXPECT_EQ (grid().getBounds(), juce::Rectangle<int> (0, 24, width, 200));
    EXPECT_EQ (step (0).getBounds(), juce::Rectangle<int> (0, 24, 20, 200));
    EXPECT_EQ (step (15).getBounds(), juce::Rectangle<int> (300, 24, 20, 200));
    EXPECT_EQ (step (3).footer.getBounds(), juce::Rectangle<int> (0, 176, 20, 24));
    // The grid lies on top and takes the mouse.
    EXPECT_EQ (sequencer.getIndexOfChildComponent (&grid()), sequencer.getNumChildComponents() - 1);

    // Shorter sequences spread their steps over the width.
    sequencer.setSequencerLength (5);
    EXPECT_EQ (step (1).getBounds(), juce::Rectangle<int> (64, 24, 64, 200));
    EXPECT_EQ (grid().length, 5);
    sequencer.setSequencerLength (0);
    EXPECT_EQ (sequencer.sequencerLength, 1);
    sequencer.setSequencerLength (99);
    EXPECT_EQ (sequencer.sequencerLength, 16);
}

TEST_F (CurveSequencerTest, FooterTapsCycleAndDragsCopyTheMode)
{
    const float footerY = 190.0f;
    std::vector<float> seen;
    for (int i = 0; i < 6; ++i)
    {
        tap (50.0f, footerY); // step 2
        seen.push_back (curveOf (2));
    }
    EXPECT_EQ (seen, (std::vector<float> { 1, 2, 3, 4, 0, 1 }));
    EXPECT_EQ (step (2).footer.curveMode, 1);

    // A press on step 2's footer dragged across steps 3 to 5 paints its mode.
    grid().mouseDown (mouseEvent (grid(), 50.0f, footerY, leftButton));
    for (const float x : { 70.0f, 90.0f, 110.0f })
        grid().mouseDrag (mouseEvent (grid(), x, footerY, leftButton));
    grid().mouseUp (mouseEvent (grid(), 110.0f, footerY, leftButton));
    EXPECT_EQ (curveOf (3), 1.0f);
    EXPECT_EQ (curveOf (5), 1.0f);
    EXPECT_EQ (curveOf (6), 0.0f);
    EXPECT_EQ (curveOf (2), 1.0f); // released elsewhere: no cycling

    // A right click on a footer (for the control editor) edits nothing.
    grid().mouseDown (mouseEvent (grid(), 50.0f, footerY, rightButton));
    grid().mouseDrag (mouseEvent (grid(), 50.0f, 20.0f, rightButton));
    grid().mouseUp (mouseEvent (grid(), 50.0f, footerY, rightButton));
    EXPECT_EQ (curveOf (2), 1.0f);
    EXPECT_FLOAT_EQ (levelOf (2), 0.5f);
}

TEST_F (CurveSequencerTest, DragAboveTheFootersSetsLevels)
{
    grid().mouseDown (mouseEvent (grid(), 10.0f, 0.0f, leftButton));
    grid().mouseDrag (mouseEvent (grid(), 10.0f, 0.0f, leftButton));
    EXPECT_FLOAT_EQ (levelOf (0), 1.0f);
    grid().mouseDrag (mouseEvent (grid(), 30.0f, 176.0f, leftButton));
    EXPECT_FLOAT_EQ (levelOf (1), 0.0f);
    grid().mouseDrag (mouseEvent (grid(), 50.0f, 132.0f, leftButton));
    EXPECT_NEAR (levelOf (2), 0.25f, 1e-6f);
    grid().mouseDrag (mouseEvent (grid(), 1000.0f, -50.0f, leftButton));
    EXPECT_FLOAT_EQ (levelOf (15), 1.0f);
    grid().mouseUp (mouseEvent (grid(), 1000.0f, -50.0f, leftButton));
    EXPECT_EQ (curveOf (15), 0.0f);

    // Snapping takes the nearest ratio line.
    sequencer.setSnap (true);
    grid().mouseDown (mouseEvent (grid(), 70.0f, 100.0f, leftButton));
    grid().mouseDrag (mouseEvent (grid(), 70.0f, 90.0f, leftButton)); // 0.489
    EXPECT_FLOAT_EQ (levelOf (3), 0.5f);
    grid().mouseDrag (mouseEvent (grid(), 70.0f, 62.0f, leftButton)); // 0.648
    EXPECT_FLOAT_EQ (levelOf (3), 0.6666667f);
    grid().mouseUp (mouseEvent (grid(), 70.0f, 62.0f, leftButton));
}

TEST_F (CurveSequencerTest, CurvesRunTowardsTheFollowingStep)
{
    host.set ("Level0", 0.2f);
    host.set ("Curve0", 1.0f);
    host.set ("Level1", 0.8f);
    tickAll();
    EXPECT_FLOAT_EQ (step (0).startLevel(), 0.2f);
    EXPECT_FLOAT_EQ (step (0).endLevel(), 0.8f);

    // A following step in mode 3 starts at 1: the curve runs towards 1.
    host.set ("Curve1", 3.0f);
    tickAll();
    EXPECT_FLOAT_EQ (step (0).endLevel(), 1.0f);
    host.set ("Curve0", 4.0f);
    tickAll();
    EXPECT_FLOAT_EQ (step (0).endLevel(), 1.0f);
    EXPECT_FLOAT_EQ (step (1).startLevel(), 1.0f);
    EXPECT_FLOAT_EQ (step (1).endLevel(), 0.8f);

    // The last step of the sequence runs towards the first.
    sequencer.setSequencerLength (4);
    host.set ("Level0", 0.3f);
    host.set ("Curve3", 1.0f);
    tickAll();
    EXPECT_FLOAT_EQ (step (3).endLevel(), 0.3f);

    // The drawn shape: a smooth curve reaches its end level at the right edge.
    host.set ("Curve3", 2.0f);
    tickAll();
    EXPECT_FLOAT_EQ (step (3).endLevel(), 1.0f);
}

TEST_F (CurveSequencerTest, ZoomHidesTheRatiosBelowTheFooterLine)
{
    const auto visibleLabels = [&] {
        std::vector<juce::String> texts;
        for (auto& label : grid().labels)
            if (label->isVisible())
                texts.push_back (label->getText());
        return texts;
    };
    EXPECT_EQ (visibleLabels().size(), 7u);
    sequencer.setAmount (0.5f);
    EXPECT_EQ (visibleLabels(), (std::vector<juce::String> { "1", "3/4", "2/3", "1/2" }));
    // A label sits above its line: the 1/2 line is the footer line at 176.
    EXPECT_EQ (grid().labels[3]->getBounds().getY(), static_cast<int> (std::lround (176.0 - 1.5 * 15.0)));

    grid().setRatios ({ CurveSequencerGrid::Ratio (0.9f, "A", true) });
    EXPECT_EQ (visibleLabels(), (std::vector<juce::String> { "A" }));
}

TEST_F (CurveSequencerTest, ColourGroupsFollowTheResolution)
{
    sequencer.setMainColor (juce::Colours::red);
    const auto pattern = [&] (float resolution) {
        sequencer.setResolution (resolution);
        std::string p;
        for (auto& s : sequencer.steps)
            p += s->color == juce::Colours::red ? 'a' : 'b';
        return p.substr (0, 8);
    };
    EXPECT_EQ (pattern (1.0f), "abababab");
    EXPECT_EQ (pattern (0.25f), "abababab");
    EXPECT_EQ (pattern (0.5f), "aabbaabb");
    EXPECT_EQ (pattern (4.0f), "aaaabbbb");
    // Below 1/16 (and for nonsense) one step per colour rather than none.
    EXPECT_EQ (pattern (0.01f), "abababab");
    EXPECT_EQ (pattern (-3.0f), "abababab");
    EXPECT_EQ (step (1).footer.color, juce::Colours::red.darker (0.3f));
}

TEST_F (CurveSequencerTest, BlinkFadesOutAndInvalidStepsAreIgnored)
{
    sequencer.setResolution (4.0f); // 3 ticks
    tickAll();                      // the pending repaints of attach
    sequencer.blinkStep (2);
    std::vector<float> alphas;
    for (int i = 0; i < 6; ++i)
    {
        step (2).timerCallback();
        alphas.push_back (step (2).blinkAlpha);
    }
    EXPECT_FLOAT_EQ (alphas[0], 0.8f);
    EXPECT_LT (alphas[1], alphas[0]);
    EXPECT_EQ (alphas[3], 0.0f);
    EXPECT_FALSE (step (2).isBlinking);

    sequencer.blinkStep (-1);
    sequencer.blinkStep (16);
    sequencer.setResolution (0.0f);
    sequencer.blinkStep (0);
    EXPECT_FLOAT_EQ (step (0).blinkDuration, 1.0f);
}

TEST (CurveSequencerContainer, TooFewParametersBuildFewerSteps)
{
    ParameterHost host (sequenceDescriptions());
    CurveSequencerContainer none (host.parameter (0), {}, "");
    EXPECT_TRUE (none.steps.empty());
    CurveSequencerContainer some (host.parameter (0), host.parameters (1, 20), "");
    EXPECT_EQ (some.steps.size(), 5u); // levels 0..4 with curves at 16..20
    some.attach (host.tree);
    some.setBounds (0, 0, 100, 100);
    some.grid->mouseDown (mouseEvent (*some.grid, 99.0f, 10.0f, leftButton));
    some.grid->mouseDrag (mouseEvent (*some.grid, 99.0f, 10.0f, leftButton));
    some.grid->mouseUp (mouseEvent (*some.grid, 99.0f, 10.0f, leftButton));
    some.blinkStep (7);
    snapshot (some);
}

// Suites that run threads end in "Threads": the ThreadSanitizer build runs them.
class CurveSequencerThreads : public CurveSequencerTest
{
};

TEST_F (CurveSequencerThreads, HostValuesFromAnotherThread)
{
    juce::Image image (juce::Image::ARGB, width, height, true);
    std::atomic<bool> done { false };
    std::vector<juce::RangedAudioParameter*> levels, curves;
    for (int s = 0; s < 16; s += 5)
    {
        levels.push_back (&host.host ("Level" + juce::String (s)));
        curves.push_back (&host.host ("Curve" + juce::String (s)));
    }
    std::size_t allocations = 0;
    std::thread automation ([&] {
        // Hosts may automate from the audio thread: the listeners must not allocate.
        testsupport::ScopedAllocationCounter counter;
        for (int i = 0; i < 200; ++i)
            for (std::size_t s = 0; s < levels.size(); ++s)
            {
                automate (*levels[s], static_cast<float> (i % 11) / 10.0f);
                automate (*curves[s], static_cast<float> (i % 5));
            }
        allocations = counter.allocations();
        done = true;
    });
    while (! done)
    {
        tickAll();
        juce::Graphics g (image);
        sequencer.paintEntireComponent (g, true);
    }
    automation.join();
    EXPECT_EQ (allocations, 0u);
    tickAll();
    EXPECT_FLOAT_EQ (step (5).value, 0.1f);
    EXPECT_EQ (step (5).footer.curveMode, 4);
}
