// The generic editor: building containers from a design, the layout of header,
// pages, page selector and overlays, the restored preset name, the modified
// mark, right clicks, and automation from other threads.
#include <gtest/gtest.h>

#include "EditorTestRig.h"
#include "UI/Overlays/ControlEditorOverlay.h"
#include "UI/PageSelector.h"
#include "UI/Overlays/Browser/PresetBrowser.h"

#include <atomic>
#include <thread>

using namespace editortest;
using Rect = juce::Rectangle<int>;

namespace
{
class EditorTest : public ::testing::Test
{
protected:
    void SetUp() override { processor = VantrelProcessor::create(); }
    void TearDown() override { processor.reset(); }
    std::unique_ptr<VantrelProcessor> processor;
};
} // namespace

TEST_F (EditorTest, OnePageFillsTheWindowBelowTheHeaderWithoutSelector)
{
    auto editor = makeEditor (*processor, std::make_unique<TestDesign> (1), 600, 330);
    auto& header = editor->getHeader();
    auto* page = editor->design->uiStack.at (0);

    EXPECT_EQ (header.getParentComponent(), editor.get());
    EXPECT_EQ (header.getBounds(), Rect (0, 0, 600, 30));
    EXPECT_EQ (page->getBounds(), Rect (0, 30, 600, 300));
    EXPECT_TRUE (page->isVisible());
    EXPECT_EQ (editor->pageSelector->getParentComponent(), nullptr);

    // Overlays: children of the editor, below the header, closed.
    for (juce::Component* overlay : { static_cast<juce::Component*> (editor->controlEditorOverlay.get()),
                                      static_cast<juce::Component*> (header.presetBrowser.get()),
                                      static_cast<juce::Component*> (header.aboutOverlay.get()) })
    {
        EXPECT_EQ (overlay->getParentComponent(), editor.get());
        EXPECT_EQ (overlay->getBounds(), Rect (0, 30, 600, 300));
        EXPECT_FALSE (overlay->isVisible());
    }
    // The about overlay is added last, so it is in front of the other two.
    EXPECT_EQ (editor->getIndexOfChildComponent (header.aboutOverlay.get()), editor->getNumChildComponents() - 1);

    // The window behind everything is the palette's background.
    auto image = editor->createComponentSnapshot ({ 0, 0, 600, 330 }, false, 1.0f);
    EXPECT_EQ (image.getPixelAt (599, 329), Karvon::background);
}

TEST_F (EditorTest, ThreePagesShowTheRememberedOneUnderASelector)
{
    processor->lastPage = 2;
    auto editor = makeEditor (*processor, std::make_unique<TestDesign> (3), 600, 330);
    auto& selector = *editor->pageSelector;

    EXPECT_EQ (selector.getParentComponent(), editor.get());
    EXPECT_EQ (selector.getBounds(), Rect (0, 30, 600, 30));
    ASSERT_EQ (selector.buttons.size(), 3u);
    EXPECT_EQ (selector.buttons[1]->getButtonText(), "PAGE1");
    EXPECT_TRUE (selector.buttons[2]->getToggleState());
    EXPECT_FALSE (selector.buttons[0]->getToggleState());

    for (int i = 0; i < 3; ++i)
    {
        auto* page = editor->design->uiStack[static_cast<std::size_t> (i)];
        EXPECT_EQ (page->getBounds(), Rect (0, 60, 600, 270)) << i;
        EXPECT_EQ (page->isVisible(), i == 2) << i;
    }

    // A click on a tab shows its page and is remembered by the processor.
    selector.buttons[1]->onClick();
    EXPECT_TRUE (editor->design->uiStack[1]->isVisible());
    EXPECT_FALSE (editor->design->uiStack[2]->isVisible());
    EXPECT_EQ (processor->lastPage, 1);

    // Layouts repeat without adding tabs or children.
    const int children = editor->getNumChildComponents();
    editor->setSize (700, 400);
    EXPECT_EQ (selector.buttons.size(), 3u);
    EXPECT_EQ (editor->getNumChildComponents(), children);
    EXPECT_EQ (editor->design->uiStack[0]->getBounds(), Rect (0, 60, 700, 340));
    EXPECT_TRUE (editor->design->uiStack[1]->isVisible());

    // Reopening the window shows page 1 again.
    editor.reset();
    auto reopened = makeEditor (*processor, std::make_unique<TestDesign> (3));
    EXPECT_TRUE (reopened->design->uiStack[1]->isVisible());
    EXPECT_FALSE (reopened->design->uiStack[0]->isVisible());
    EXPECT_TRUE (reopened->pageSelector->buttons[1]->getToggleState());
}

TEST_F (EditorTest, ARememberedPageBeyondTheDesignFallsBackToTheFirst)
{
    processor->lastPage = 5;
    auto editor = makeEditor (*processor, std::make_unique<TestDesign> (2));
    EXPECT_TRUE (editor->design->uiStack[0]->isVisible());
    EXPECT_EQ (processor->lastPage, 0);
}

TEST_F (EditorTest, ContainersAreBuiltPerParameterAndPlacedInTheListingSection)
{
    auto design = std::make_unique<TestDesign> (2);
    design->settings.erase (7);                                          // undescribed: default slider
    design->settings[4] = ParameterUISettings ("Type", 99, {}, {}, { false, false }, {}); // unknown kind
    design->settings[1].lines = { true, false };
    auto* firstSection = design->sections[0].get();
    auto editor = makeEditor (*processor, std::move (design));

    // Every parameter gets a container except the unknown kind.
    EXPECT_EQ (editor->containers.size(), 24u);
    EXPECT_EQ (editor->containers.count (4), 0u);

    // Index 7 was added to the settings with defaults; its container exists but no section shows it.
    ASSERT_EQ (editor->design->uiSettings.count (7), 1u);
    const auto& added = editor->design->uiSettings[7];
    EXPECT_TRUE (added.name.empty());
    EXPECT_EQ (added.uiType, 0);
    EXPECT_EQ (added.lines, (std::vector<bool> { false, false }));
    EXPECT_EQ (editor->containers.at (7)->getParentComponent(), nullptr);

    // Placed, delegated, given their lines and the section colour.
    auto& gain = *editor->containers.at (1);
    EXPECT_EQ (gain.getParentComponent(), firstSection);
    EXPECT_EQ (gain.delegate, static_cast<UIContainerDelegate*> (editor.get()));
    EXPECT_EQ (gain.lines, (std::vector<bool> { true, false }));
    EXPECT_EQ (gain.mainColor, Karvon::green);
    EXPECT_EQ (gain.name, "P1");
    EXPECT_EQ (editor->containers.at (20)->getParentComponent(), nullptr);

    // The meter (output-only, no host parameter) gets its container too.
    EXPECT_EQ (editor->containers.count (24), 1u);
}

TEST_F (EditorTest, ASectionListedOnTwoPagesAndTwiceOnOnePage)
{
    auto design = std::make_unique<TestDesign> (2);
    // A second section on page 0 that also lists parameter 0: the first section wins.
    design->sections.push_back (std::make_unique<Section> (std::vector<UIColumn> { { { { 0, 1, 0, 1 } }, 1 } }, "dup",
                                                           Karvon::red, std::map<int, std::vector<int>> {}));
    design->pages[0]->sections.push_back ({ design->sections.back().get(), 1 });
    auto* first = design->sections[0].get();
    auto* duplicate = design->sections.back().get();
    auto editor = makeEditor (*processor, std::move (design));

    EXPECT_EQ (editor->containers.at (0)->getParentComponent(), first);
    EXPECT_EQ (duplicate->controls.count (0), 0u);
}

TEST_F (EditorTest, ALinkedIndexOutsideTheKernelFailsConstructionWithoutLeftovers)
{
    auto design = std::make_unique<TestDesign> (1);
    design->settings[3] = ParameterUISettings ("Filter", 7, { 40 }, {}, { false, false }, {});
    EXPECT_THROW (makeEditor (*processor, std::move (design)), std::out_of_range);

    auto negative = std::make_unique<TestDesign> (1);
    negative->settings[3] = ParameterUISettings ("Filter", 7, { -1 }, {}, { false, false }, {});
    EXPECT_THROW (makeEditor (*processor, std::move (negative)), std::out_of_range);

    // No listener of the failed editors is left: changes reach only live objects.
    setHostValue (*processor, "DryWet", 12.0f);
    setHostValue (*processor, "PitchA", 7.0f);
    EXPECT_FLOAT_EQ (hostValue (*processor, "PitchA"), 7.0f);
    auto editor = makeEditor (*processor, std::make_unique<TestDesign> (1));
    EXPECT_EQ (editor->containers.size(), 25u);
}

TEST_F (EditorTest, ResizingClosesOpenOverlays)
{
    auto editor = makeEditor (*processor, std::make_unique<TestDesign> (1));
    auto& header = editor->getHeader();
    header.onPresetClick();
    ASSERT_TRUE (header.presetBrowser->isVisible());
    editor->setSize (640, 360);
    EXPECT_FALSE (header.presetBrowser->isVisible());
    EXPECT_EQ (header.presetBrowser->getBounds(), Rect (0, 30, 640, 330));

    header.onAboutClick();
    editor->controlEditorOverlay->setVisible (true);
    editor->setSize (600, 330);
    EXPECT_FALSE (header.aboutOverlay->isVisible());
    EXPECT_FALSE (editor->controlEditorOverlay->isVisible());
}

TEST_F (EditorTest, AnyParameterChangeMarksThePresetAsModifiedAtTheNextTick)
{
    processor->setPreset ("ABYSS", true);
    auto editor = makeEditor (*processor, std::make_unique<TestDesign> (1));
    auto& header = editor->getHeader();
    ASSERT_NE (processor->currentPreset, nullptr);
    EXPECT_EQ (header.presetButton.getButtonText(), "ABYSS");

    setHostValue (*processor, "ReverbColor", 1234.0f);
    EXPECT_EQ (header.presetButton.getButtonText(), "ABYSS"); // shown by the timer, not at once
    editor->timerCallback();
    EXPECT_EQ (header.presetButton.getButtonText(), "*ABYSS");

    // Also a parameter no section shows, and one set from another thread.
    editor->onPresetSelected (0);
    editor->timerCallback();
    std::thread automation ([this] { setHostValue (*processor, "DuckingRelease", 300.0f); });
    automation.join();
    editor->timerCallback();
    EXPECT_TRUE (header.presetButton.getButtonText().startsWith ("*"));
}

TEST_F (EditorTest, ARestoredPresetNameIsShownAndThePendingFlagCleared)
{
    // A project saved with a preset that no longer exists.
    juce::MemoryBlock blob;
    processor->getStateInformation (blob);
    auto xml = juce::AudioProcessor::getXmlFromBinary (blob.getData(), static_cast<int> (blob.getSize()));
    ASSERT_NE (xml, nullptr);
    // As states saved before they named the preset's list: found by name.
    xml->removeAttribute ("PresetType");
    xml->setAttribute ("PresetName", "VANISHED");
    juce::MemoryBlock stored;
    juce::AudioProcessor::copyXmlToBinary (*xml, stored);
    processor->setStateInformation (stored.getData(), static_cast<int> (stored.getSize()));
    ASSERT_TRUE (processor->stateRestoredPending);

    auto editor = makeEditor (*processor, std::make_unique<TestDesign> (1));
    EXPECT_EQ (editor->getHeader().presetButton.getButtonText(), "VANISHED");
    EXPECT_FALSE (processor->stateRestoredPending);

    // A restore while the window is open reaches the header within one tick.
    xml->setAttribute ("PresetName", "Golden Fifth");
    juce::AudioProcessor::copyXmlToBinary (*xml, stored);
    processor->setStateInformation (stored.getData(), static_cast<int> (stored.getSize()));
    ASSERT_TRUE (processor->restoredPresetFound);
    editor->timerCallback();
    EXPECT_FALSE (processor->stateRestoredPending);
    // The restored values are not the preset's: the name carries the mark.
    EXPECT_EQ (editor->getHeader().presetButton.getButtonText(), "*GOLDEN FIFTH");

    // A restored user preset while the browser shows the factory list: the
    // browser moves to the user list and selects its row.
    ASSERT_TRUE (processor->writeUserPreset ("Alpha").wasOk());
    ASSERT_TRUE (processor->writeUserPreset ("Mine").wasOk());
    editor->onPresetTypeSelected (1);
    editor->onPresetSelected (3);
    xml->setAttribute ("PresetName", "MINE");
    juce::AudioProcessor::copyXmlToBinary (*xml, stored);
    processor->setStateInformation (stored.getData(), static_cast<int> (stored.getSize()));
    editor->timerCallback();
    auto& browser = *editor->getHeader().presetBrowser;
    EXPECT_EQ (editor->getHeader().presetButton.getButtonText(), "MINE");
    EXPECT_EQ (browser.typesList.getSelectedRow(), 0);
    EXPECT_EQ (browser.presetsList.getSelectedRow(), 1);
    EXPECT_EQ (editor->getHeader().presets, (std::vector<juce::String> { "ALPHA", "MINE" }));
    processor->getUserPresetFolder().deleteRecursively();
}

TEST_F (EditorTest, RightClicksOpenTheControlEditorOnHostParametersOnly)
{
    auto editor = makeEditor (*processor, std::make_unique<TestDesign> (1), 900, 330);
    auto& overlay = *editor->controlEditorOverlay;
    auto& parameters = *processor->getKernel().parameters;
    auto* meter = &parameters.at (24);
    auto* dryWet = &parameters.at (0);
    auto* type = &parameters.at (4);
    auto* pitch = &parameters.at (7);

    // The meter's parameter is output-only: nothing opens.
    editor->onRightClickOnControl ({ { "METER", meter } });
    EXPECT_FALSE (overlay.isVisible());
    editor->onRightClickOnControl ({});
    EXPECT_FALSE (overlay.isVisible());

    // Two reported parameters, one output-only: one panel.
    editor->onRightClickOnControl ({ { "METER", meter }, { "DRY WET", dryWet } });
    EXPECT_TRUE (overlay.isVisible());
    EXPECT_TRUE (overlay.panels[0]->isVisible());
    EXPECT_FALSE (overlay.panels[1]->isVisible());
    EXPECT_EQ (overlay.panels[0]->titleLabel.getText(), "DRY WET");
    EXPECT_EQ (overlay.panels[0]->hostParameter, processor->parameterTree.getParameter ("DryWet"));

    // A second right click refills it; three parameters keep the first two, in order.
    overlay.setVisible (false);
    editor->onRightClickOnControl ({ { "TYPE", type }, { "PITCH", pitch }, { "DRY WET", dryWet } });
    EXPECT_TRUE (overlay.isVisible());
    EXPECT_EQ (overlay.panels[0]->titleLabel.getText(), "TYPE");
    EXPECT_EQ (overlay.panels[1]->titleLabel.getText(), "PITCH");
    EXPECT_TRUE (overlay.panels[1]->isVisible());
    EXPECT_EQ (editor->getIndexOfChildComponent (&overlay), editor->getNumChildComponents() - 1);

    // A real right click on a container takes the same road; a left click does not.
    auto& container = *editor->containers.at (7);
    overlay.setVisible (false);
    const auto now = juce::Time::getCurrentTime();
    auto click = [&] (juce::ModifierKeys mods) {
        return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), { 5.0f, 5.0f }, mods, 1.0f, 0.0f,
                                 0.0f, 0.0f, 0.0f, &container, &container, now, { 5.0f, 5.0f }, now, 1, false);
    };
    container.mouseDown (click (juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier)));
    EXPECT_FALSE (overlay.isVisible());
    container.mouseDown (click (juce::ModifierKeys (juce::ModifierKeys::rightButtonModifier)));
    EXPECT_TRUE (overlay.isVisible());
    EXPECT_EQ (overlay.panels[0]->titleLabel.getText(), "P7");
}

TEST_F (EditorTest, DrawsAtOddSizes)
{
    auto editor = makeEditor (*processor, std::make_unique<TestDesign> (3));
    for (auto size : { juce::Point<int> (1, 1), { 10, 20 }, { 900, 31 }, { 2000, 1200 }, { 0, 0 }, { 333, 61 } })
    {
        editor->setSize (size.x, size.y);
        juce::Image image (juce::Image::ARGB, std::max (1, size.x), std::max (1, size.y), true);
        juce::Graphics g (image);
        editor->paintEntireComponent (g, true);
    }
    SUCCEED();
}

// Hosts automate while windows open and close: the editor's listener must
// never be reached after (or while) it goes away, and the header's mark must
// be handed over without a data race.
TEST (EditorThreads, AutomationWhileEditorsOpenTickAndClose)
{
    auto processor = VantrelProcessor::create();
    std::atomic<bool> running { true };
    std::thread automation ([&] {
        float value = 0.0f;
        while (running)
        {
            value = value > 90.0f ? 0.0f : value + 1.0f;
            setHostValue (*processor, "DryWet", value);
            setHostValue (*processor, "InputFilterType", value > 45.0f ? 1.0f : 0.0f);
        }
    });

    for (int round = 0; round < 20; ++round)
    {
        auto editor = makeEditor (*processor, std::make_unique<TestDesign> (2));
        for (int tick = 0; tick < 5; ++tick)
            editor->timerCallback();
        std::unique_ptr<juce::AudioProcessorEditor> product (processor->createEditor());
        product.reset();
    }
    running = false;
    automation.join();
    SUCCEED();
}
