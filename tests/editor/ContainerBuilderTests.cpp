// The container builder: every kind builds its class with the right
// parameters; unknown kinds build nothing; short linked lists fail before
// anything is built. Also the design description's build and ownership.
#include <gtest/gtest.h>

#include "UI/Controls/ContainerBuilder.h"
#include "EditorTestRig.h"
#include "UI/Controls/CurveSequencer/CurveSequencerContainer.h"
#include "UI/Controls/DropdownList/DropdownListContainer.h"
#include "UI/Controls/Filter/DoubleFilterContainer.h"
#include "UI/Controls/Filter/FilterContainer.h"
#include "UI/Controls/Granulizer/GranulizerViewContainer.h"
#include "UI/Controls/Knob/KnobContainer.h"
#include "UI/Controls/Knob/WaveformKnobContainer.h"
#include "UI/Controls/Meters/PeakMeterContainer.h"
#include "UI/Controls/OnOff/OnOffContainer.h"
#include "UI/Controls/Oscilloscopes/MultiOscilloscopeContainer.h"
#include "UI/Controls/Radio/RadioContainer.h"
#include "UI/Controls/Slider/DoubleSliderContainer.h"
#include "UI/Controls/Slider/ReverseSlider.h"
#include "UI/Controls/Slider/SliderContainer.h"
#include "UI/Controls/XY/TimeStopXYControlContainer.h"
#include "UI/Controls/XY/XYControlContainer.h"

namespace
{
class ContainerBuilderTest : public ::testing::Test
{
protected:
    void SetUp() override { processor = VantrelProcessor::create(); }
    void TearDown() override { processor.reset(); }

    Parameter* p (unsigned long index) { return &processor->getKernel().parameters->at (index); }
    std::vector<Parameter*> linked (std::initializer_list<unsigned long> indices)
    {
        std::vector<Parameter*> result;
        for (auto index : indices)
            result.push_back (p (index));
        return result;
    }
    std::unique_ptr<UIContainer> build (int kind, std::vector<Parameter*> links = {},
                                        std::vector<std::string> labels = { "sin" },
                                        std::vector<juce::Colour> colours = {})
    {
        return builder.build (p (0), "Name", kind, std::move (links), std::move (labels), std::move (colours));
    }

    ContainerBuilder builder;
    std::unique_ptr<VantrelProcessor> processor;
};

template <typename Kind>
bool is (const std::unique_ptr<UIContainer>& container)
{
    return dynamic_cast<Kind*> (container.get()) != nullptr;
}
} // namespace

TEST_F (ContainerBuilderTest, EachKindBuildsItsContainerForTheParameter)
{
    const auto five = linked ({ 1, 2, 3, 4, 5 });
    auto slider = build (0);
    EXPECT_TRUE (is<SliderContainer> (slider) && ! is<KnobContainer> (slider));
    EXPECT_EQ (dynamic_cast<ReverseSlider*> (static_cast<SliderContainer&> (*slider).slider.get()), nullptr);
    EXPECT_TRUE (is<DoubleSliderContainer> (build (1, five)));
    auto knob = build (2);
    EXPECT_TRUE (is<KnobContainer> (knob) && ! is<WaveformKnobContainer> (knob));
    EXPECT_EQ (dynamic_cast<ReverseSlider*> (static_cast<SliderContainer&> (*knob).slider.get()), nullptr);
    EXPECT_TRUE (is<WaveformKnobContainer> (build (3)));
    EXPECT_TRUE (is<OnOffContainer> (build (4)));
    auto pad = build (5, five);
    EXPECT_TRUE (is<XYControlContainer> (pad) && ! is<FilterContainer> (pad));
    EXPECT_TRUE (is<TimeStopXYControlContainer> (build (6, five)));
    EXPECT_TRUE (is<FilterContainer> (build (7, five)));
    EXPECT_TRUE (is<DoubleFilterContainer> (build (8, five)));
    EXPECT_TRUE (is<RadioContainer> (build (9)));
    EXPECT_TRUE (is<PeakMeterContainer> (build (10)));
    EXPECT_TRUE (is<DropdownListContainer> (build (11)));
    EXPECT_TRUE (is<MultiOscilloscopeContainer> (build (12)));
    EXPECT_TRUE (is<GranulizerViewContainer> (build (13)));
    EXPECT_TRUE (is<CurveSequencerContainer> (build (14, five)));

    for (int kind = 0; kind <= 14; ++kind)
    {
        auto container = build (kind, five);
        ASSERT_NE (container, nullptr) << kind;
        EXPECT_EQ (container->parameter, p (0)) << kind;
        EXPECT_EQ (container->name, "NAME") << kind;
    }
}

TEST_F (ContainerBuilderTest, UnknownKindsBuildNothing)
{
    for (const int kind : { 15, -1, 1000, std::numeric_limits<int>::min() })
        EXPECT_EQ (build (kind, linked ({ 1, 2, 3, 4, 5 })), nullptr) << kind;
}

TEST_F (ContainerBuilderTest, LinkedParametersArePassedInTheDesignsOrder)
{
    auto doubleFilter = build (8, linked ({ 5, 4, 3, 2, 1 }));
    auto& filters = dynamic_cast<DoubleFilterContainer&> (*doubleFilter);
    EXPECT_EQ (filters.parameters, (std::array<Parameter*, 6> { p (0), p (5), p (4), p (3), p (2), p (1) }));

    auto filter = build (7, linked ({ 2 }));
    auto& display = dynamic_cast<FilterContainer&> (*filter);
    EXPECT_EQ (display.xParameter, p (0));
    EXPECT_EQ (display.yParameter, p (2));

    auto timeStop = build (6, linked ({ 9, 8 }));
    auto& stop = dynamic_cast<TimeStopXYControlContainer&> (*timeStop);
    EXPECT_EQ (stop.yParameter, p (9));
    EXPECT_EQ (stop.triggerParameter, p (8));

    const std::vector<juce::Colour> colours { Karvon::red, Karvon::yellow };
    auto doubleSlider = build (1, linked ({ 6 }), {}, colours);
    auto& slider = dynamic_cast<DoubleSliderContainer&> (*doubleSlider);
    EXPECT_EQ (slider.firstParameter, p (0));
    EXPECT_EQ (slider.secondParameter, p (6));
    // The colours reach the container (which may complete a short list).
    ASSERT_GE (slider.zoneColours.size(), colours.size());
    EXPECT_EQ (slider.zoneColours[0], Karvon::red);
    EXPECT_EQ (slider.zoneColours[1], Karvon::yellow);

    // A curve sequencer accepts any number of linked parameters, none included.
    EXPECT_NE (build (14, {}), nullptr);
}

TEST_F (ContainerBuilderTest, TooFewLinkedParametersOrLabelsFailBeforeBuilding)
{
    EXPECT_THROW (build (7, {}), std::out_of_range);
    EXPECT_THROW (build (1, {}), std::out_of_range);
    EXPECT_THROW (build (5, {}), std::out_of_range);
    EXPECT_THROW (build (6, linked ({ 1 })), std::out_of_range);
    EXPECT_THROW (build (8, linked ({ 1, 2, 3, 4 })), std::out_of_range);
    EXPECT_THROW (build (3, {}, {}), std::out_of_range);
    // The parameter tree is untouched by the failed attempts.
    EXPECT_NE (build (7, linked ({ 2 })), nullptr);
}

TEST (PluginDesign, BuildTakesPagesAndSettingsAndReplacesTheHeader)
{
    auto processor = VantrelProcessor::create();
    auto design = std::make_unique<editortest::TestDesign> (2);
    EXPECT_EQ (design->header, nullptr);

    design->build (processor->productIdentifier);
    ASSERT_NE (design->header, nullptr);
    EXPECT_EQ (design->uiStack.size(), 2u);
    EXPECT_EQ (design->uiSettings.size(), 25u);
    const juce::Component::SafePointer<PluginHeader> first (design->header.get());

    // A second build replaces the lists (not appending) and the header.
    design->pages.pop_back();
    design->settings.erase (3);
    design->build (processor->productIdentifier);
    EXPECT_EQ (design->uiStack.size(), 1u);
    EXPECT_EQ (design->uiSettings.size(), 24u);
    EXPECT_EQ (first.getComponent(), nullptr);
    ASSERT_NE (design->header, nullptr);
    const juce::Component::SafePointer<PluginHeader> second (design->header.get());
    EXPECT_EQ (design->stackRequests, 2);

    design.reset();
    EXPECT_EQ (second.getComponent(), nullptr);
}

namespace
{
// A design whose pages belong to someone else.
class BorrowedPagesDesign : public PluginDesign
{
public:
    explicit BorrowedPagesDesign (Page& page) : page (page) {}
    std::vector<Page*> getUiStack() override { return { &page }; }
    std::map<int, ParameterUISettings> getUiSettings() override { return {}; }
    juce::Image getSmallLogo() override { return {}; }
    juce::Image getTransparentLogo() override { return {}; }
    juce::Image getKarvonLogo() override { return {}; }
    Page& page;
};
} // namespace

TEST (PluginDesign, DestroyingADesignDeletesItsHeaderButNotThePagesItLists)
{
    auto processor = VantrelProcessor::create();
    auto page = std::make_unique<Page> (std::vector<UISection> {}, "kept");
    const juce::Component::SafePointer<Page> watched (page.get());
    auto design = std::make_unique<BorrowedPagesDesign> (*page);
    design->build (processor->productIdentifier);
    const juce::Component::SafePointer<PluginHeader> header (design->header.get());
    ASSERT_NE (header.getComponent(), nullptr);

    design.reset();
    EXPECT_EQ (header.getComponent(), nullptr);
    EXPECT_EQ (watched.getComponent(), page.get());
    EXPECT_EQ (page->name, "kept");
}
