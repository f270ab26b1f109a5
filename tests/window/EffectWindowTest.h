#pragma once

#include "WindowHarness.h"

#include "UI/Controls/UIContainer.h"
#include "UI/Overlays/ControlEditorOverlay.h"
#include "UI/PluginHeader.h"
#include "VantrelEditor.h"
#include "VantrelParameterList.h"
#include "VantrelProcessor.h"

#include <gtest/gtest.h>

#include <memory>

// The effect's own editor (900 x 330) in a top-level window, over a prepared
// processor, with a host-side record of every write and gesture.
namespace windowtest
{
class EffectWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        processor = VantrelProcessor::create();
        processor->setRateAndBufferSizeDetails (48000.0, 512);
        processor->prepareToPlay (48000.0, 512);
        openEditor();
    }

    void openEditor()
    {
        record.reset();
        window.reset();
        editor.reset (dynamic_cast<VantrelEditor*> (processor->createEditor()));
        ASSERT_NE (editor, nullptr);
        window = std::make_unique<TopLevelWindow> (*editor);
        ASSERT_TRUE (window->isReady());
        record = std::make_unique<HostRecord> (*processor);
        // No test opens a real web browser: the pages the editor would open
        // are recorded instead.
        openedPages.clear();
        header().openWebSite = [this] (const juce::URL& url) { openedPages.add (url.toString (false)); };
    }

    UIContainer& container (unsigned long index) { return *editor->containers.at (static_cast<int> (index)); }
    PluginHeader& header() { return editor->getHeader(); }
    PresetBrowser& browser() { return *header().presetBrowser; }
    juce::Component& controlEditor() { return *editor->controlEditorOverlay; }

    float value (const char* id)
    {
        auto& p = *processor->parameterTree.getParameter (id);
        return p.convertFrom0to1 (p.getValue());
    }
    void set (const char* id, float v)
    {
        auto& p = *processor->parameterTree.getParameter (id);
        p.setValueNotifyingHost (p.convertTo0to1 (v));
    }
    // The header's text once the editor's 12 Hz tick has shown the latest state.
    juce::String shownPresetAfterTick()
    {
        pumpTicks (2, 12);
        return header().presetButton.getButtonText();
    }

    std::unique_ptr<VantrelProcessor> processor;
    std::unique_ptr<VantrelEditor> editor;
    std::unique_ptr<TopLevelWindow> window;
    std::unique_ptr<HostRecord> record;
    juce::StringArray openedPages;
    FakeInput input;
};
} // namespace windowtest
