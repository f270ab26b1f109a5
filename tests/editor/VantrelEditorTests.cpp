// The effect's editor as the host opens it: window size, the six sections and
// where each control lands, the per-control settings, the filter display
// following the filter type, and controls following automation.
#include <gtest/gtest.h>

#include "AllocationCounter.h"
#include "EditorTestRig.h"
#include "UI/Controls/Filter/FilterContainer.h"
#include "UI/Controls/Knob/KnobContainer.h"
#include "UI/Controls/Meters/PeakMeterContainer.h"
#include "UI/Controls/Radio/RadioContainer.h"
#include "UI/Controls/Slider/SliderContainer.h"
#include "UI/PageSelector.h"
#include "VantrelDesign.h"
#include "VantrelEditor.h"

#include <thread>

using namespace editortest;
using Rect = juce::Rectangle<int>;

namespace
{
class VantrelEditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        processor = VantrelProcessor::create();
        editor.reset (dynamic_cast<VantrelEditor*> (processor->createEditor()));
        ASSERT_NE (editor, nullptr);
    }
    void TearDown() override
    {
        editor.reset();
        processor.reset();
    }

    UIContainer& control (int index) { return *editor->containers.at (index); }
    template <typename Kind>
    Kind& controlAs (int index)
    {
        return dynamic_cast<Kind&> (control (index));
    }
    VantrelDesign& design() { return dynamic_cast<VantrelDesign&> (*editor->design); }

    std::unique_ptr<VantrelProcessor> processor;
    std::unique_ptr<VantrelEditor> editor;
};
} // namespace

TEST_F (VantrelEditorTest, OpensAt900By330WithSixSectionsOnOnePage)
{
    EXPECT_TRUE (processor->hasEditor());
    EXPECT_EQ (editor->getWidth(), 900);
    EXPECT_EQ (editor->getHeight(), 330);
    ASSERT_EQ (editor->design->uiStack.size(), 1u);
    EXPECT_EQ (editor->pageSelector->getParentComponent(), nullptr);

    auto& page = *editor->design->uiStack[0];
    EXPECT_EQ (page.getBounds(), Rect (0, 30, 900, 300));
    EXPECT_TRUE (page.isVisible());

    const std::vector<std::pair<Section*, Rect>> expected {
        { design().inputSection.get(), { 0, 0, 174, 300 } },        { design().pitchShifterASection.get(), { 174, 0, 174, 300 } },
        { design().pitchShifterBSection.get(), { 348, 0, 174, 300 } }, { design().reverbSection.get(), { 522, 0, 174, 300 } },
        { design().duckerSection.get(), { 696, 0, 116, 300 } },     { design().mixSection.get(), { 812, 0, 87, 300 } },
    };
    const std::vector<std::string> titles { "INPUT", "PITCH SHIFTER A", "PITCH SHIFTER B", "REVERB", "DUCKER", "MIX" };
    const std::vector<juce::Colour> colours { Karvon::orange, Karvon::red, Karvon::green,
                                              Karvon::blue, Karvon::yellow, juce::Colour (0xFF808080) };
    for (std::size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ (expected[i].first->getBounds(), expected[i].second) << i;
        EXPECT_EQ (expected[i].first->titleLabel.getText().toStdString(), titles[i]);
        EXPECT_EQ (expected[i].first->colour, colours[i]);
    }
    EXPECT_EQ (design().getSmallLogo().getWidth(), 28);
    EXPECT_EQ (design().getTransparentLogo().getWidth(), 72);
    EXPECT_EQ (design().getKarvonLogo().getWidth(), 28);
}

TEST_F (VantrelEditorTest, EveryControlLandsOnItsPixelInItsSectionColour)
{
    struct Placement
    {
        int index;
        Section* section;
        Rect bounds;
        const char* title;
    };
    auto& d = design();
    const std::vector<Placement> placements {
        { 3, d.inputSection.get(), { 5, 32, 163, 131 }, "FILTER" },
        { 1, d.inputSection.get(), { 5, 165, 53, 131 }, "GAIN" },
        { 15, d.inputSection.get(), { 60, 165, 53, 131 }, "PREDELAY" },
        { 4, d.inputSection.get(), { 115, 165, 53, 131 }, "TYPE" },
        { 7, d.pitchShifterASection.get(), { 5, 32, 81, 87 }, "PITCH" },
        { 8, d.pitchShifterASection.get(), { 5, 121, 81, 87 }, "FINE" },
        { 9, d.pitchShifterASection.get(), { 5, 210, 81, 87 }, "DELAY TIME" },
        { 5, d.pitchShifterASection.get(), { 88, 32, 81, 87 }, "MODE" },
        { 6, d.pitchShifterASection.get(), { 88, 121, 81, 176 }, "AMOUNT" },
        { 12, d.pitchShifterBSection.get(), { 5, 32, 81, 87 }, "PITCH" },
        { 11, d.pitchShifterBSection.get(), { 88, 121, 81, 176 }, "AMOUNT" },
        { 18, d.reverbSection.get(), { 5, 32, 81, 87 }, "ROOM SIZE" },
        { 19, d.reverbSection.get(), { 5, 121, 81, 87 }, "MOD. RATE" },
        { 20, d.reverbSection.get(), { 5, 210, 81, 87 }, "MOD. AMOUNT" },
        { 17, d.reverbSection.get(), { 88, 32, 81, 87 }, "COLOR" },
        { 16, d.reverbSection.get(), { 88, 121, 81, 176 }, "LENGTH" },
        { 21, d.duckerSection.get(), { 5, 32, 79, 87 }, "THRESHOLD" },
        { 22, d.duckerSection.get(), { 5, 121, 79, 87 }, "ATTACK" },
        { 23, d.duckerSection.get(), { 5, 210, 79, 87 }, "RELEASE" },
        { 24, d.duckerSection.get(), { 86, 32, 25, 265 }, "" },
        { 0, d.mixSection.get(), { 5, 32, 77, 265 }, "DRY/WET" },
    };
    for (const auto& placement : placements)
    {
        auto& container = control (placement.index);
        EXPECT_EQ (container.getParentComponent(), placement.section) << placement.index;
        EXPECT_EQ (container.getBounds(), placement.bounds) << placement.index;
        EXPECT_EQ (container.name, placement.title) << placement.index;
        EXPECT_EQ (container.mainColor, placement.section->colour) << placement.index;
        EXPECT_TRUE (container.isVisible()) << placement.index;
        EXPECT_EQ (container.delegate, static_cast<UIContainerDelegate*> (editor.get()));
    }

    // The resonance has a container but no place: the filter display drives it.
    EXPECT_EQ (control (2).getParentComponent(), nullptr);
    EXPECT_EQ (editor->containers.size(), 25u);
    EXPECT_NE (dynamic_cast<PeakMeterContainer*> (&control (24)), nullptr);
}

TEST_F (VantrelEditorTest, ControlKindsAndTheirAdjustments)
{
    auto& type = controlAs<RadioContainer> (4);
    EXPECT_TRUE (type.lookAndFeel.isWaveform);
    ASSERT_EQ (type.buttons.size(), 2u);
    EXPECT_EQ (type.buttons[0]->getButtonText(), "lowshelf");
    EXPECT_EQ (type.buttons[1]->getButtonText(), "hipass");
    EXPECT_FALSE (type.forceAdapt);

    for (const int mode : { 5, 10 })
    {
        auto& radio = controlAs<RadioContainer> (mode);
        EXPECT_TRUE (radio.forceAdapt);
        EXPECT_FALSE (radio.lookAndFeel.isWaveform);
        ASSERT_EQ (radio.buttons.size(), 3u);
        EXPECT_EQ (radio.buttons[1]->getButtonText(), "FEEDBACK");
    }
    for (const int adapted : { 0, 6, 11, 16 })
        EXPECT_TRUE (controlAs<SliderContainer> (adapted).forceAdapt) << adapted;
    for (const int plain : { 1, 15 })
        EXPECT_FALSE (controlAs<SliderContainer> (plain).forceAdapt) << plain;
    for (const int knob : { 7, 8, 9, 12, 13, 14, 17, 18, 19, 20, 21, 22, 23 })
        EXPECT_NE (dynamic_cast<KnobContainer*> (&control (knob)), nullptr) << knob;

    auto& filter = controlAs<FilterContainer> (3);
    EXPECT_EQ (filter.filterType.load(), LowShelf);
    EXPECT_EQ (filter.xParameter->id, "InputFilterFrequency");
    EXPECT_EQ (filter.yParameter->id, "InputFilterResonance");
}

TEST_F (VantrelEditorTest, TheFilterDisplayFollowsTheFilterType)
{
    auto& filter = controlAs<FilterContainer> (3);
    editor->onPresetTypeSelected (1);
    editor->onPresetSelected (1);
    editor->timerCallback();
    ASSERT_FALSE (editor->getHeader().presetButton.getButtonText().startsWith ("*"));
    setHostValue (*processor, "InputFilterType", 1.0f);
    EXPECT_EQ (filter.filterType.load(), HighPass);
    setHostValue (*processor, "InputFilterType", 0.0f);
    EXPECT_EQ (filter.filterType.load(), LowShelf);

    // Any value but exactly zero is the high-pass.
    editor->parameterChanged ("InputFilterType", 0.5f);
    EXPECT_EQ (filter.filterType.load(), HighPass);
    editor->parameterChanged ("InputFilterType", 0.0f);
    EXPECT_EQ (filter.filterType.load(), LowShelf);
    // Other parameters, or a differently spelled identifier, leave it alone.
    editor->parameterChanged ("inputfiltertype", 1.0f);
    editor->parameterChanged ("DryWet", 1.0f);
    EXPECT_EQ (filter.filterType.load(), LowShelf);

    // Host automation from another thread; the display applies it on its timer.
    std::thread automation ([this] { setHostValue (*processor, "InputFilterType", 1.0f); });
    automation.join();
    EXPECT_EQ (filter.filterType.load(), HighPass);

    // The mark was set by all of these.
    editor->timerCallback();
    EXPECT_TRUE (editor->getHeader().presetButton.getButtonText().startsWith ("*"));
}

TEST_F (VantrelEditorTest, ReactingToAParameterAllocatesNothing)
{
    // Hosts may automate from their audio thread: the editor's part of a
    // parameter change must not allocate there.
    const juce::String type ("InputFilterType"), dryWet ("DryWet");
    testsupport::ScopedAllocationCounter counter;
    editor->parameterChanged (type, 1.0f);
    editor->parameterChanged (type, 0.0f);
    editor->parameterChanged (dryWet, 42.0f);
    EXPECT_EQ (counter.allocations(), 0u);
}

TEST_F (VantrelEditorTest, AWindowOpenedOnAHighPassShowsTheHighPass)
{
    editor.reset();
    setHostValue (*processor, "InputFilterType", 1.0f);
    editor.reset (dynamic_cast<VantrelEditor*> (processor->createEditor()));
    EXPECT_EQ (controlAs<FilterContainer> (3).filterType.load(), HighPass);
}

TEST_F (VantrelEditorTest, ControlsFollowAutomationAndMoveTheirParameters)
{
    auto& dryWet = controlAs<SliderContainer> (0);
    setHostValue (*processor, "DryWet", 70.0f);
    EXPECT_NEAR (dryWet.slider->getValue(), 70.0, 0.01);

    dryWet.slider->setValue (25.0, juce::sendNotificationSync);
    EXPECT_NEAR (hostValue (*processor, "DryWet"), 25.0f, 0.01f);
}

TEST_F (VantrelEditorTest, ClosingAndReopeningKeepsThePresetShown)
{
    ASSERT_TRUE (processor->setPreset ("GOLDEN FIFTH", true));
    editor.reset (dynamic_cast<VantrelEditor*> (processor->createEditor()));
    EXPECT_EQ (editor->getHeader().presetButton.getButtonText(), "GOLDEN FIFTH");
    editor->nextPreset();
    const auto next = processor->currentPreset->name;
    editor.reset (dynamic_cast<VantrelEditor*> (processor->createEditor()));
    EXPECT_EQ (editor->getHeader().presetButton.getButtonText(), next);

    // The browser opens on the current preset's list and row.
    auto& browser = *editor->getHeader().presetBrowser;
    EXPECT_EQ (browser.typesList.getSelectedRow(), processor->currentPresetList);
    EXPECT_EQ (browser.presetsList.getSelectedRow(), processor->currentPresetIndex);
}

TEST_F (VantrelEditorTest, ThePictureShowsTheSectionsOnTheBackground)
{
    auto image = editor->createComponentSnapshot (editor->getLocalBounds(), true, 1.0f);
    // The one pixel left over at the right edge of the page is bare background.
    EXPECT_EQ (image.getPixelAt (899, 200), Karvon::background);
    // Each section's top is tinted with its colour over the background.
    const auto inputTop = image.getPixelAt (2, 40);
    EXPECT_GT (inputTop.getRed(), Karvon::background.getRed() + 20);
    const auto reverbTop = image.getPixelAt (524, 40);
    EXPECT_GT (reverbTop.getBlue(), Karvon::background.getBlue() + 20);
    // Between two sections' fills there is the untinted 1-pixel border.
    EXPECT_EQ (image.getPixelAt (173, 150), Karvon::background);

    if (const auto* path = std::getenv ("VANTREL_EDITOR_PICTURE"))
    {
        juce::File file (path);
        file.deleteFile();
        juce::FileOutputStream out (file);
        juce::PNGImageFormat().writeImageToStream (image, out);
    }
}
