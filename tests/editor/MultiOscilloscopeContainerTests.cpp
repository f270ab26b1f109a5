// The oscilloscopes: pausing the animation clock, trace depths, the tint that
// follows the delay time, and the limits of what is drawn.
#include "ControlContainerTestHelpers.h"
#include "FurtherContainersTestHost.h"

#include "LookAndFeel/Palette.h"
#include "UI/Controls/Oscilloscopes/MultiOscilloscopeContainer.h"

#include <thread>

using namespace controltest;
using namespace furthertest;

namespace
{
class MultiOscilloscopeTest : public ::testing::Test
{
protected:
    MultiOscilloscopeTest() : host ({ { "Time", 0.0f, 1.0f, 0.5f } }), scope (host.parameter (0), "Scope")
    {
        scope.attach (host.tree);
        scope.setBounds (0, 0, 202, 102);
    }

    MultiCurvesComponent& curves() { return *scope.curves; }

    ParameterHost host;
    MultiOscilloscopeContainer scope;
};

float amplitude (const juce::Path& trace, float centre)
{
    float peak = 0.0f;
    for (const auto& p : vertices (trace))
        peak = std::max (peak, std::abs (p.y - centre));
    return peak;
}
} // namespace

TEST_F (MultiOscilloscopeTest, ClickFreezesAndResumesTheClock)
{
    EXPECT_EQ (curves().getBounds(), juce::Rectangle<int> (1, 1, 200, 100));
    std::this_thread::sleep_for (std::chrono::milliseconds (20));
    curves().update();
    const double running = curves().time;
    EXPECT_GT (running, 0.0);

    curves().mouseDown (mouseEvent (curves(), 10.0f, 10.0f, leftButton));
    EXPECT_TRUE (curves().isPaused);
    const auto frozen = curves().tracePath (0, 1);
    std::this_thread::sleep_for (std::chrono::milliseconds (20));
    curves().update();
    EXPECT_EQ (curves().time, running);
    EXPECT_EQ (vertices (curves().tracePath (0, 1)), vertices (frozen));

    curves().mouseDown (mouseEvent (curves(), 10.0f, 10.0f, leftButton));
    EXPECT_FALSE (curves().isPaused);
    curves().update();
    EXPECT_GT (curves().time, running);
}

TEST_F (MultiOscilloscopeTest, DepthsScaleTheTraces)
{
    const float centre = curves().centreY;
    EXPECT_EQ (centre, 50.0f);
    // Right channel at depth 1 fills the half height; left at 0.4.
    EXPECT_NEAR (amplitude (curves().tracePath (2, 1), centre), 50.0f, 0.5f);
    EXPECT_NEAR (amplitude (curves().tracePath (2, 0), centre), 20.0f, 0.5f);
    curves().setEqualDepth (true);
    EXPECT_NEAR (amplitude (curves().tracePath (2, 0), centre), amplitude (curves().tracePath (2, 1), centre), 1e-3f);

    // Each trace runs from the left edge to the right edge on the centre line.
    const auto points = vertices (curves().tracePath (0, 0));
    ASSERT_EQ (points.size(), 75u); // start, 73 points, end
    EXPECT_EQ (points.front(), juce::Point<float> (0.0f, centre));
    EXPECT_EQ (points.back(), juce::Point<float> (200.0f, centre));

    // A rate that is not a positive number does not put NaN into the traces.
    curves().setRate (-5.0f);
    curves().time = 1.0e9;
    EXPECT_TRUE (allFinite (curves().tracePath (3, 1)));
}

TEST_F (MultiOscilloscopeTest, TintFollowsTheDelayTime)
{
    const auto plain = Karvon::blue.darker (0.4f).withAlpha (0.05f);
    scope.setDelayTime (30.0f);
    EXPECT_TRUE (scope.needsRepaint);
    scope.timerCallback();
    EXPECT_FALSE (scope.needsRepaint);
    EXPECT_EQ (scope.backgroundColour(), plain);
    scope.setDelayTime (30.0f);
    EXPECT_FALSE (scope.needsRepaint); // unchanged

    scope.setDelayTime (5.0f);
    EXPECT_GT (scope.backgroundColour().getBrightness(), plain.getBrightness() + 0.1f);
    // Longer than 30: the plain tint, not a darker or broken colour.
    scope.setDelayTime (100.0f);
    EXPECT_EQ (scope.backgroundColour(), plain);
}

TEST_F (MultiOscilloscopeTest, DrawsOnlyTheLinesAndChannelsItHasColoursFor)
{
    const auto tracePixels = [&] {
        const auto image = snapshot (curves());
        int count = 0;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                count += image.getPixelAt (x, y).getAlpha() > 0 ? 1 : 0;
        return count;
    };
    EXPECT_GT (tracePixels(), 1000);
    curves().setDelayLinesCount (0);
    EXPECT_EQ (tracePixels(), 0);
    curves().setDelayLinesCount (9);
    curves().channelCount = 5;
    EXPECT_GT (tracePixels(), 1000);
    curves().channelCount = 0;
    EXPECT_EQ (tracePixels(), 0);

    curves().initCurves (2, 0.1f, 0.2f, 0.3f, 0.4f, true, 0.6f, 0.7f);
    EXPECT_EQ (curves().delayLinesCount, 2);
    EXPECT_FLOAT_EQ (curves().leftDepth, 0.4f);
    EXPECT_TRUE (curves().equalDepth);
    EXPECT_FLOAT_EQ (curves().rate, 0.7f);
}
