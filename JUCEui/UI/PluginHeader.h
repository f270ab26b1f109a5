#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "Basics/EffectProcessor.h"
#include "LookAndFeel/PresetButtonLookAndFeel.h"
#include "Preset/Preset.h"
#include "UI/Overlays/AboutOverlay.h"
#include "UI/Overlays/Browser/PresetBrowser.h"
#include "UI/Overlays/Browser/PresetBrowserDelegate.h"
#include "UI/PluginHeaderDelegate.h"
#include "UI/PluginHeaderVersionQuery.h"
#include "UI/Controls/Buttons/ColourArrowButton.h"
#include "UI/Controls/Buttons/LeftClickOnly.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The bar across the top of the editor: product logo, name and version, the
// current preset with previous and next arrows, the new-version notice and the
// maker's logo. It owns the preset browser and the about overlay, which the
// editor adds to its own window, and reports every preset action the user
// takes here or in the browser to its delegate.
class PluginHeader : public juce::Component, public PresetBrowserDelegate
{
public:
    PluginHeader (juce::Image smallLogo, juce::Image transparentLogo, juce::Image makerLogo, bool showDirectories,
                  std::string productIdentifier);
    ~PluginHeader() override;

    void setDelegate (PluginHeaderDelegate* newDelegate) { delegate = newDelegate; }
    void setPresets (std::vector<Preset*> presets);
    void selectType (int type);
    void selectDirectory (int directory);
    // Shows the processor's current preset (which must exist) as row `index`.
    void selectPreset (int index);
    // Any thread, including the audio thread: records the mark, which the next
    // updateUI shows. Never blocks nor allocates.
    void onCurrentStateGetsDifferentFromCurrentPreset (bool different) noexcept;
    void setPresetName (juce::String name);
    // No preset is current: the button says so, nothing is selected in the
    // browser and SAVE and DELETE are not offered.
    void showNoPreset();
    // Saving would replace the user preset `presetName`: the browser asks
    // first. `replace` runs once confirmed and answers whether it saved.
    void askToReplace (const juce::String& presetName, std::function<bool()> replace);
    // Why a save, load or delete failed, in the browser (opened if needed).
    void reportFailure (const juce::String& reason);
    void updatePresetsContent();
    // The editor's timer: shows the mark and the name, and the new-version
    // notice once the query has answered.
    void updateUI();

    void onChangePresetClick (bool next);
    void onPresetClick();
    void onAboutClick();

    void onPresetTypeSelected (int type) override;
    void onPresetDirectorySelected (int directory) override;
    void onPresetSelected (int row) override;
    void onSavePreset() override;
    void onSavePresetAs (juce::String name) override;
    void onDeletePreset() override;

    void resized() override;

    // Asks the maker's service for the product's latest version; true when it
    // is newer than this one. Blocks the calling thread until the reply is in,
    // the request failed or the query's time-out passed.
    static bool newVersionIsAvailable (std::string productIdentifier);
    // The same query sent to the service at `serviceBase`.
    static bool newVersionIsAvailable (const juce::URL& serviceBase, std::string productIdentifier);

    juce::String getModifiedMark() const;

    // What the preset button shows while no preset is current.
    static constexpr const char* noPresetText = "NO PRESET";
    const PluginHeaderVersionQuery& getVersionQuery() const noexcept { return *versionQuery; }

    std::unique_ptr<PresetBrowser> presetBrowser;
    std::unique_ptr<AboutOverlay> aboutOverlay;
    EffectProcessor* processor = nullptr;

    // Opens a page of the maker's web site (the logo, the notice and the
    // about box's link); the default browser by default.
    std::function<void (const juce::URL&)> openWebSite;

private:
    PluginHeaderDelegate* delegate = nullptr;
    juce::Image smallLogo;
    juce::Image makerLogo;

public:
    LeftClickOnly<juce::ImageButton> smallLogoButton;
    LeftClickOnly<juce::ImageButton> makerLogoButton;
    LeftClickOnly<juce::TextButton> nameButton;
    LeftClickOnly<juce::TextButton> newVersionButton;
    juce::Component presetArea;
    LeftClickOnly<juce::TextButton> presetButton;
    PresetButtonLookAndFeel lookAndFeel;
    ColourArrowButton previousButton { "previous", 0.5f, juce::Colours::white };
    ColourArrowButton nextButton { "next", 0.0f, juce::Colours::white };

    // The names of the list last shown (only names are needed to find the
    // current preset again, and names cannot dangle when a list is rebuilt).
    std::vector<juce::String> presets;
    juce::String presetName;

private:
    void showVersionNoticeWhenAnswered();
    // The preset's name, and which list it belongs to when the other list
    // holds one of the same name.
    juce::String shownName (const Preset& preset) const;

    // Written from any thread, read on the message thread.
    std::atomic<bool> modified { false };
    std::atomic<bool> needsUpdate { false };
    std::unique_ptr<PluginHeaderVersionQuery> versionQuery;
    bool versionNoticeDecided = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PluginHeader)
};
