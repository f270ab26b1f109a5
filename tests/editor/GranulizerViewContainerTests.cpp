// The granulizer view: grain records, the envelope of a stroke, fading with
// depth, the perspective projection and the floor grid, and odd input.
#include "ControlContainerTestHelpers.h"
#include "FurtherContainersTestHost.h"

#include "LookAndFeel/Palette.h"
#include "UI/Controls/Granulizer/GranulizerViewContainer.h"

#include <limits>

using namespace controltest;
using namespace furthertest;

namespace
{
// start, length, pan, voice, pitch, gain, progress, reversed, taper, spare
using GrainValues = std::array<float, 10>;

class GranulizerViewTest : public ::testing::Test
{
protected:
    GranulizerViewTest() : host ({ { "Grains", 0.0f, 1.0f, 0.0f } }), view (host.parameter (0), "Grains")
    {
        view.attach (host.tree);
        view.setBounds (0, 0, 200, 124);
    }

    void show (std::vector<GrainValues*> grains)
    {
        std::vector<float*> pointers;
        for (auto* g : grains)
            pointers.push_back (g != nullptr ? g->data() : nullptr);
        view.setGrains (static_cast<int> (pointers.size()), pointers.data());
    }

    ParameterHost host;
    GranulizerViewContainer view;
};
} // namespace

TEST_F (GranulizerViewTest, GrainsAreReadInOrderSkippingNullEntries)
{
    EXPECT_EQ (view.background->getBounds(), juce::Rectangle<int> (0, 24, 200, 100));
    EXPECT_EQ (view.grainsView->getBounds(), juce::Rectangle<int> (0, 24, 200, 100));

    GrainValues a { 100, 200, 1, 2.9f, 0.5f, 1, 0.5f, 1, 0.3f, 7 };
    GrainValues b { 0, 0, 0, 3, 0, 0, 0, 0, 0, 0 };
    show ({ &a, nullptr, &b });
    const auto& grains = view.grainsView->grains;
    ASSERT_EQ (grains.size(), 2u);
    EXPECT_EQ (grains[0].start, 100.0f);
    EXPECT_EQ (grains[0].voice, 2); // truncated
    EXPECT_TRUE (grains[0].isReversed);
    EXPECT_EQ (grains[0].taper, 0.3f);
    EXPECT_EQ (grains[1].voice, 3);
    EXPECT_FALSE (grains[1].isReversed);

    view.setGrains (0, nullptr);
    EXPECT_TRUE (grains.empty());
}

TEST (GrainsComponent, AVoiceNumberWithNoIntegerMeaningIsVoiceZero)
{
    float values[10] {};
    for (const float voice : { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                               -std::numeric_limits<float>::infinity(), 3.0e30f })
    {
        values[3] = voice;
        EXPECT_EQ (Grain (values).voice, 0) << voice;
    }
    values[3] = 2.9f;
    EXPECT_EQ (Grain (values).voice, 2);
    values[3] = -1.5f;
    EXPECT_EQ (Grain (values).voice, -1);
}

TEST (GrainsComponent, EnvelopeFadesInAndOut)
{
    Grain grain;
    grain.length = 2000.0f; // a = 10 x taper + 1
    grain.taper = 0.1f;     // a = 2, q = 0.25
    grain.progress = 0.0f;
    EXPECT_NEAR (GrainsComponent::envelope (grain), 0.0f, 1e-6f);
    grain.progress = 1.0f;
    EXPECT_NEAR (GrainsComponent::envelope (grain), 0.0f, 1e-6f);
    grain.progress = 0.5f;
    EXPECT_EQ (GrainsComponent::envelope (grain), 2.0f);
    grain.progress = 0.125f; // half way through the fade in
    EXPECT_NEAR (GrainsComponent::envelope (grain), 1.0f, 1e-5f);
    grain.progress = 0.875f;
    EXPECT_NEAR (GrainsComponent::envelope (grain), 1.0f, 1e-5f);
}

TEST (GrainsComponent, PerspectiveProjection)
{
    const float centre[] { 0.0f, 0.0f, 1.0f };
    EXPECT_EQ (GrainsComponent::spaceToScreen (200.0f, 100.0f, centre), juce::Point<float> (100.0f, 50.0f));
    const float corner[] { 1.0f, 1.0f, 1.0f };
    EXPECT_EQ (GrainsComponent::spaceToScreen (200.0f, 100.0f, corner), juce::Point<float> (200.0f, 0.0f));
    const float atEye[] { 1.0f, 1.0f, 0.0f };
    EXPECT_EQ (GrainsComponent::spaceToScreen (200.0f, 100.0f, atEye), juce::Point<float> (-1.0f, -1.0f));
    const float huge[] { std::numeric_limits<float>::max(), 0.0f, 1.0e-30f };
    EXPECT_EQ (GrainsComponent::spaceToScreen (200.0f, 100.0f, huge), juce::Point<float> (-1.0f, -1.0f));

    // The floor lines converge towards the centre with depth.
    const float nearLeft[] { -24.0f, -4.0f, 2.0f };
    const float farLeft[] { -24.0f, -4.0f, 14.0f };
    EXPECT_LT (std::abs (GrainsComponent::spaceToScreen (200.0f, 100.0f, farLeft).x - 100.0f),
               std::abs (GrainsComponent::spaceToScreen (200.0f, 100.0f, nearLeft).x - 100.0f));
}

TEST_F (GranulizerViewTest, GrainsFadeWithDepthAndTakeTheirVoiceColour)
{
    // A grain above the centre (pitch 0.6: y = 0.03) from depth 0.1 to 0.15:
    // a 30-pixel-thick stroke from (100, 35) to (100, 40), opaque at the front.
    GrainValues nearGrain { 0, 1000, 0, 1, 0.6f, 5, 0.5f, 0, 0, 0 };
    show ({ &nearGrain });
    auto image = snapshot (*view.grainsView);
    EXPECT_TRUE (isColour (image, 100, 38, Karvon::green, 8));
    EXPECT_TRUE (isColour (image, 110, 38, Karvon::green, 8));
    EXPECT_TRUE (isTransparent (image, 130, 38));

    GrainValues farGrain { 100000, 1000, 0, 1, 0.6f, 5, 0.5f, 0, 0, 0 };
    show ({ &farGrain });
    image = snapshot (*view.grainsView);
    EXPECT_TRUE (isTransparent (image, 100, 50));

    // Voices beyond the four colours and non-finite figures do not break the view.
    GrainValues odd { 0, 1000, 0, 7, 0.6f, 5, 0.5f, 0, 0, 0 };
    GrainValues broken { std::nanf (""), 1000, 0, -5, 0.6f, std::numeric_limits<float>::infinity(), 0.5f, 0, 0, 0 };
    show ({ &odd, &broken });
    image = snapshot (*view.grainsView);
    EXPECT_TRUE (isColour (image, 100, 38, Karvon::blue, 8)); // voice 7 -> 3
}

TEST_F (GranulizerViewTest, FloorGridIsRebuiltForANewSize)
{
    snapshot (*view.background);
    const auto before = view.background->gridPath.getBounds();
    EXPECT_FALSE (before.isEmpty());
    view.setBounds (0, 0, 400, 224);
    EXPECT_TRUE (view.background->gridPath.isEmpty());
    snapshot (*view.background);
    EXPECT_NEAR (view.background->gridPath.getBounds().getWidth(), 2.0f * before.getWidth(), 1.0f);
    // The nearest cross line is below the view, the horizon inside it.
    EXPECT_GT (view.background->gridPath.getBounds().getBottom(), 200.0f);
    EXPECT_GT (view.background->gridPath.getBounds().getY(), 100.0f);
}
