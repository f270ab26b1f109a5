// The header: its texts, layout, preset display with the modified mark, the
// overlays it opens and the reports it passes to the editor, on a real
// processor with its factory presets.
#include <gtest/gtest.h>

#include "AllocationCounter.h"
#include "OverlayTestHelpers.h"
#include "UI/PluginHeader.h"
#include "VersionServiceStub.h"

#include <thread>

namespace
{
juce::Image solidImage (int w, int h, juce::Colour colour)
{
    juce::Image image (juce::Image::ARGB, w, h, true);
    juce::Graphics (image).fillAll (colour);
    return image;
}

struct HeaderRig
{
    HeaderRig()
        : processor (VantrelProcessor::create()),
          header (solidImage (28, 28, juce::Colours::green), solidImage (72, 72, juce::Colours::white),
                  solidImage (28, 28, juce::Colours::orange), false, processor->productIdentifier)
    {
        header.processor = processor.get();
        header.setDelegate (&delegate);
        header.setBounds (0, 0, 900, 30);
    }

    // Applies factory preset `index` (1 is the first after DEFAULT) as the editor does.
    Preset* applyFactoryPreset (int index)
    {
        processor->currentPresetList = EffectProcessor::factoryList;
        processor->setPreset (index);
        header.setPresets (processor->getPresetList (EffectProcessor::factoryList));
        header.selectPreset (index);
        return processor->currentPreset;
    }

    std::unique_ptr<VantrelProcessor> processor;
    overlaytest::RecordingHeaderDelegate delegate;
    PluginHeader header;
};
} // namespace

TEST (PluginHeader, StartsWithTheProductAndTheDefaultName)
{
    HeaderRig rig;
    EXPECT_EQ (rig.header.nameButton.getButtonText(), "KARVON Vantrel  v1.1.0");
    EXPECT_EQ (rig.header.presetButton.getButtonText(), "DEFAULT");
    EXPECT_EQ (rig.header.presetName, "DEFAULT");
    EXPECT_EQ (rig.header.newVersionButton.getButtonText(), "NEW VERSION AVAILABLE!");
    EXPECT_FALSE (rig.header.newVersionButton.isVisible());
    // The overlays belong to the editor's window, not to the header.
    EXPECT_EQ (rig.header.presetBrowser->getParentComponent(), nullptr);
    EXPECT_EQ (rig.header.aboutOverlay->getParentComponent(), nullptr);
    EXPECT_FALSE (rig.header.presetBrowser->isVisible());
    EXPECT_FALSE (rig.header.aboutOverlay->isVisible());
}

TEST (PluginHeader, LaysOutTheBarInWholePixels)
{
    HeaderRig rig;
    auto& h = rig.header;
    h.setBounds (0, 0, 900, 30); // W = 896, H = 26, Q = 224, A = 15
    EXPECT_EQ (h.smallLogoButton.getBounds(), juce::Rectangle<int> (2, 2, 26, 26));
    EXPECT_EQ (h.nameButton.getBounds(), juce::Rectangle<int> (28, 2, 199, 26));
    EXPECT_EQ (h.presetArea.getBounds(), juce::Rectangle<int> (338, 2, 224, 26));
    // The maker's logo sits at W - H - 2 and takes the size of its 28 x 28 picture.
    EXPECT_EQ (h.makerLogoButton.getBounds(), juce::Rectangle<int> (868, 2, 28, 28));
    // The notice fills the gap from 4 pixels right of the preset area to 4 left of the logo.
    EXPECT_EQ (h.newVersionButton.getBounds(), juce::Rectangle<int> (566, 2, 298, 26));
    EXPECT_EQ (h.previousButton.getBounds(), juce::Rectangle<int> (0, 7, 15, 15));
    EXPECT_EQ (h.nextButton.getBounds(), juce::Rectangle<int> (209, 7, 15, 15));
    EXPECT_EQ (h.presetButton.getBounds(), juce::Rectangle<int> (17, 0, 188, 26));
}

TEST (PluginHeader, OddSizesLayOutAndDrawWithoutHarm)
{
    HeaderRig rig;
    for (const auto& size : { juce::Point<int> (0, 0), juce::Point<int> (1, 1), juce::Point<int> (3, 40),
                              juce::Point<int> (60, 5), juce::Point<int> (2000, 120) })
    {
        rig.header.setBounds (0, 0, size.x, size.y);
        for (auto* child : rig.header.getChildren())
        {
            EXPECT_GE (child->getWidth(), 0);
            EXPECT_GE (child->getHeight(), 0);
        }
        overlaytest::picture (rig.header);
    }
    // Very narrow: the preset button spans the gap between the arrows whichever
    // way round they lie.
    rig.header.setBounds (0, 0, 40, 30); // Q = 9, A = 15: from x = -10 to 17
    EXPECT_EQ (rig.header.presetButton.getBounds(), juce::Rectangle<int> (-10, 0, 27, 26));
}

TEST (PluginHeader, ShowsTheModifiedMarkAtTheNextTick)
{
    HeaderRig rig;
    auto* preset = rig.applyFactoryPreset (1);
    ASSERT_NE (preset, nullptr);
    rig.header.updateUI();
    EXPECT_EQ (rig.header.presetButton.getButtonText(), preset->name);

    rig.header.onCurrentStateGetsDifferentFromCurrentPreset (true);
    // Not before the timer: the report may come from any thread.
    EXPECT_EQ (rig.header.presetButton.getButtonText(), preset->name);
    rig.header.updateUI();
    EXPECT_EQ (rig.header.presetButton.getButtonText(), "*" + preset->name);

    // Selecting a preset shows the mark as it stood, then clears it at the next tick.
    rig.header.selectPreset (rig.processor->currentPresetIndex);
    EXPECT_EQ (rig.header.presetButton.getButtonText(), "*" + preset->name);
    rig.header.updateUI();
    EXPECT_EQ (rig.header.presetButton.getButtonText(), preset->name);
    EXPECT_EQ (rig.header.presetName, preset->name);
}

TEST (PluginHeader, ATickWithoutACurrentPresetKeepsTheShownName)
{
    HeaderRig rig;
    rig.processor->currentPreset = nullptr; // as after a delete
    rig.header.setPresetName ("RESTORED SOUND");
    rig.header.onCurrentStateGetsDifferentFromCurrentPreset (true);
    rig.header.updateUI();
    EXPECT_EQ (rig.header.presetButton.getButtonText(), "RESTORED SOUND");
    // selectPreset without a current preset has nothing to show.
    rig.header.selectPreset (3);
    EXPECT_EQ (rig.header.presetButton.getButtonText(), "RESTORED SOUND");
}

TEST (PluginHeader, PassesButtonsAndBrowserReportsToTheDelegate)
{
    HeaderRig rig;
    rig.header.previousButton.onClick();
    rig.header.nextButton.onClick();
    rig.header.onChangePresetClick (true);
    rig.header.onPresetDirectorySelected (2);
    rig.header.onPresetSelected (-1);
    rig.header.onPresetSelected (4);
    EXPECT_EQ (rig.delegate.calls,
               (std::vector<std::string> { "previous", "next", "next", "directory 2", "select -1", "select 4" }));
}

TEST (PluginHeader, SavesTheCurrentPresetOrTheShownNameAsANewOne)
{
    HeaderRig rig;
    // No current preset (as after a delete): save means "save as" under the
    // name shown.
    rig.processor->currentPreset = nullptr;
    rig.header.onSavePreset();
    auto* preset = rig.applyFactoryPreset (2);
    rig.header.onSavePreset();
    // The shown name changes only once the new preset exists.
    rig.header.onSavePresetAs ("my Sound");
    EXPECT_EQ (rig.header.presetName, preset->name);
    rig.header.onDeletePreset();
    EXPECT_EQ (rig.delegate.calls, (std::vector<std::string> { "saveAs DEFAULT", "save " + preset->name.toStdString(),
                                                               "saveAs my Sound", "delete " + preset->name.toStdString() }));

    // Deleting needs a current preset.
    rig.delegate.calls.clear();
    rig.processor->currentPreset = nullptr;
    rig.header.onDeletePreset();
    EXPECT_TRUE (rig.delegate.calls.empty());
}

TEST (PluginHeader, ReportsNothingWithoutADelegate)
{
    HeaderRig rig;
    rig.header.setDelegate (nullptr);
    rig.applyFactoryPreset (1);
    rig.header.onChangePresetClick (true);
    rig.header.onSavePreset();
    rig.header.onSavePresetAs ("X");
    rig.header.onDeletePreset();
    rig.header.onPresetTypeSelected (0);
    EXPECT_TRUE (rig.delegate.calls.empty());
    // Without anyone to save it, the typed name does not replace the shown one.
    EXPECT_NE (rig.header.presetName, "X");
}

TEST (PluginHeader, OpensOneOverlayAtATime)
{
    HeaderRig rig;
    auto& browser = *rig.header.presetBrowser;
    auto& about = *rig.header.aboutOverlay;

    rig.header.onAboutClick();
    EXPECT_TRUE (about.isVisible());
    rig.header.presetButton.onClick();
    EXPECT_FALSE (about.isVisible());
    EXPECT_TRUE (browser.isVisible());
    rig.header.onPresetClick();
    EXPECT_FALSE (browser.isVisible());
    // Only opening asks for the lists to be read again.
    EXPECT_EQ (rig.delegate.calls, (std::vector<std::string> { "opening" }));

    rig.header.onPresetClick();
    rig.header.nameButton.onClick();
    EXPECT_FALSE (browser.isVisible());
    EXPECT_TRUE (about.isVisible());
    rig.header.smallLogoButton.onClick();
    EXPECT_FALSE (about.isVisible());
}

TEST (PluginHeader, TheLogoAndTheNoticeOpenTheMakersSite)
{
    HeaderRig rig;
    std::vector<juce::String> opened;
    rig.header.openWebSite = [&] (const juce::URL& url) { opened.push_back (url.toString (true)); };
    rig.header.makerLogoButton.onClick();
    rig.header.newVersionButton.onClick();
    ASSERT_EQ (opened.size(), 2u);
    EXPECT_EQ (opened[0], "https://karvon.example/");
    EXPECT_EQ (opened[1], "https://karvon.example/");
}

TEST (PluginHeader, ViewingAListOnlyReportsIt)
{
    HeaderRig rig;
    auto* preset = rig.applyFactoryPreset (3);
    ASSERT_NE (preset, nullptr);
    rig.delegate.calls.clear();

    // The delegate shows the list asked for, as the editor does. Finding a
    // preset of the same name there is not the header's business: it would
    // select (and so apply) another preset.
    rig.delegate.onType = [&] (int type) {
        rig.header.selectType (type);
        rig.header.setPresets (rig.processor->getPresetList (type));
    };
    rig.header.onPresetTypeSelected (EffectProcessor::userList);
    rig.header.onPresetTypeSelected (EffectProcessor::factoryList);
    EXPECT_EQ (rig.delegate.calls, (std::vector<std::string> { "type 0", "type 1" }));
    EXPECT_EQ (rig.processor->currentPreset, preset);
}

TEST (VersionNoticeThreads, ShowsTheNoticeWhenTheServiceKnowsANewerVersion)
{
    for (const auto& [reply, shown] : { std::pair<std::string, bool> { "1.2.0", true }, { "1.1.0", false } })
    {
        editortest::VersionServiceStub service (200, reply);
        const juce::String previous = juce::SystemStats::getEnvironmentVariable ("KARVON_SERVICE_BASE_URL", {});
        setenv ("KARVON_SERVICE_BASE_URL", service.baseAddress().c_str(), 1);
        HeaderRig rig;
        setenv ("KARVON_SERVICE_BASE_URL", previous.toRawUTF8(), 1);

        ASSERT_TRUE (rig.header.getVersionQuery().waitUntilFinished (10000));
        EXPECT_FALSE (rig.header.newVersionButton.isVisible());
        rig.header.updateUI();
        EXPECT_EQ (rig.header.newVersionButton.isVisible(), shown) << reply;
        ASSERT_EQ (service.requestLines().size(), 1u);
    }
}

TEST (VersionNoticeThreads, NeitherOpeningNorClosingWaitsForAStalledService)
{
    // A connection the system takes and nobody answers; a connection that
    // never completes because the service's queue is full.
    editortest::SilentService silent;
    editortest::FullBacklogService full;
    ASSERT_TRUE (full.isFull());
    for (const auto& address : { silent.baseAddress(), full.baseAddress() })
    {
        const juce::String previous = juce::SystemStats::getEnvironmentVariable ("KARVON_SERVICE_BASE_URL", {});
        setenv ("KARVON_SERVICE_BASE_URL", address.c_str(), 1);
        auto started = juce::Time::getMillisecondCounterHiRes();
        auto rig = std::make_unique<HeaderRig>();
        setenv ("KARVON_SERVICE_BASE_URL", previous.toRawUTF8(), 1);
        rig->header.updateUI();
        EXPECT_FALSE (rig->header.newVersionButton.isVisible());
        // Waiting for the service would take the query's 5 s time-out.
        EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - started, 3000.0) << address;

        std::this_thread::sleep_for (std::chrono::milliseconds (100));
        EXPECT_EQ (rig->header.getVersionQuery().getResult(), PluginHeaderVersionQuery::Result::pending) << address;
        started = juce::Time::getMillisecondCounterHiRes();
        rig.reset();
        EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - started, 1000.0) << address;
    }
}

// The mark is reported from whichever thread changed a parameter, the audio
// thread included, while the message thread's timer shows it.
TEST (PluginHeaderThreads, TheMarkCrossesThreadsWithoutAllocatingOrLosingTheLastWord)
{
    HeaderRig rig;
    auto* preset = rig.applyFactoryPreset (1);
    ASSERT_NE (preset, nullptr);

    std::atomic<bool> allocated { false };
    std::thread automation ([&] {
        testsupport::ScopedAllocationCounter counter;
        for (int i = 0; i < 20000; ++i)
            rig.header.onCurrentStateGetsDifferentFromCurrentPreset ((i % 2) == 0);
        rig.header.onCurrentStateGetsDifferentFromCurrentPreset (true);
        allocated = counter.allocations() != 0;
    });
    for (int i = 0; i < 2000; ++i)
        rig.header.updateUI();
    automation.join();
    rig.header.updateUI();

    EXPECT_FALSE (allocated.load());
    EXPECT_EQ (rig.header.presetButton.getButtonText(), "*" + preset->name);
}
