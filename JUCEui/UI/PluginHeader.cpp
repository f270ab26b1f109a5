#include "UI/PluginHeader.h"

#include "LookAndFeel/Palette.h"
#include "UI/Overlays/MakerWebSite.h"

namespace
{
void setColours (juce::TextButton& button, juce::Colour fill, juce::Colour outline, juce::Colour pressed)
{
    button.setColour (juce::TextButton::buttonColourId, fill);
    button.setColour (juce::TextButton::textColourOnId, outline);
    button.setColour (juce::TextButton::buttonOnColourId, pressed);
}
} // namespace

PluginHeader::PluginHeader (juce::Image smallLogoImage, juce::Image transparentLogo, juce::Image makerLogoImage,
                            bool showDirectories, std::string productIdentifier)
    : openWebSite ([] (const juce::URL& url) { url.launchInDefaultBrowser(); }),
      smallLogo (std::move (smallLogoImage)),
      makerLogo (std::move (makerLogoImage))
{
    addAndMakeVisible (smallLogoButton);
    addAndMakeVisible (nameButton);
    addAndMakeVisible (makerLogoButton);
    addChildComponent (newVersionButton);
    addAndMakeVisible (presetArea);
    presetArea.addAndMakeVisible (previousButton);
    presetArea.addAndMakeVisible (presetButton);
    presetArea.addAndMakeVisible (nextButton);

    presetBrowser = std::make_unique<PresetBrowser> (showDirectories);
    presetBrowser->setDelegate (this);
    aboutOverlay = std::make_unique<AboutOverlay> (std::move (transparentLogo));

    nameButton.setLookAndFeel (&lookAndFeel);
    nameButton.setButtonText (juce::String (JucePlugin_Name) + "  v" + JucePlugin_VersionString);
    setColours (nameButton, juce::Colours::transparentBlack, juce::Colours::transparentBlack, Karvon::background);

    newVersionButton.setLookAndFeel (&lookAndFeel);
    newVersionButton.setButtonText ("NEW VERSION AVAILABLE!");
    setColours (newVersionButton, Karvon::red, Karvon::red, Karvon::background);

    presetButton.setLookAndFeel (&lookAndFeel);
    setColours (presetButton, Karvon::background, juce::Colours::grey, Karvon::background);
    presetName = "DEFAULT";
    presetButton.setButtonText (presetName);

    previousButton.onClick = [this] { onChangePresetClick (false); };
    nextButton.onClick = [this] { onChangePresetClick (true); };
    presetButton.onClick = [this] { onPresetClick(); };
    smallLogoButton.onClick = [this] { onAboutClick(); };
    nameButton.onClick = [this] { onAboutClick(); };
    makerLogoButton.onClick = [this] { openWebSite (juce::URL (MakerWebSite::address)); };
    newVersionButton.onClick = [this] { openWebSite (juce::URL (MakerWebSite::address)); };
    aboutOverlay->linkButton.open = [this] (const juce::URL& url) { openWebSite (url); };

    // The notice stays hidden until the service has answered; the answer is
    // shown by updateUI, so opening the editor never waits for the network.
    // The service address is read here, on the message thread.
    versionQuery = std::make_unique<PluginHeaderVersionQuery> (MakerWebSite::serviceBase(), productIdentifier);
}

PluginHeader::~PluginHeader()
{
    nameButton.setLookAndFeel (nullptr);
    newVersionButton.setLookAndFeel (nullptr);
    presetButton.setLookAndFeel (nullptr);
    aboutOverlay.reset();
    presetBrowser.reset();
}

//==============================================================================
bool PluginHeader::newVersionIsAvailable (std::string productIdentifier)
{
    return newVersionIsAvailable (MakerWebSite::serviceBase(), std::move (productIdentifier));
}

bool PluginHeader::newVersionIsAvailable (const juce::URL& serviceBase, std::string productIdentifier)
{
    const auto target = PluginHeaderVersionQuery::targetFor (serviceBase, productIdentifier);
    const std::atomic<bool> neverCancelled { false };
    const auto deadline = BoundedHttpGet::Clock::now() + std::chrono::milliseconds (PluginHeaderVersionQuery::defaultTimeoutMs);
    return target && PluginHeaderVersionQuery::askService (*target, deadline, neverCancelled);
}

void PluginHeader::showVersionNoticeWhenAnswered()
{
    if (versionNoticeDecided)
        return;
    const auto result = versionQuery->getResult();
    if (result == PluginHeaderVersionQuery::Result::pending)
        return;
    versionNoticeDecided = true;
    newVersionButton.setVisible (result == PluginHeaderVersionQuery::Result::newerVersion);
}

//==============================================================================
void PluginHeader::setPresets (std::vector<Preset*> list)
{
    presetBrowser->setPresets (list);
    presets.clear();
    for (const auto* preset : list)
        if (preset != nullptr)
            presets.push_back (preset->name);
}

void PluginHeader::selectType (int type)
{
    presetBrowser->setSelectedType (type);
}

void PluginHeader::selectDirectory (int directory)
{
    presetBrowser->setSelectedDirectory (directory);
}

void PluginHeader::selectPreset (int index)
{
    auto* current = processor != nullptr ? processor->currentPreset : nullptr;
    if (current == nullptr)
        return;

    presetBrowser->setSelectedPreset (index, current);
    presetButton.setButtonText (getModifiedMark() + shownName (*current));
    presetName = current->name;
    onCurrentStateGetsDifferentFromCurrentPreset (false);
}

void PluginHeader::onCurrentStateGetsDifferentFromCurrentPreset (bool different) noexcept
{
    // The mark first: whoever sees the flag also sees the mark it announces.
    modified.store (different);
    needsUpdate.store (true);
}

juce::String PluginHeader::getModifiedMark() const
{
    return modified.load() ? "*" : "";
}

void PluginHeader::setPresetName (juce::String name)
{
    presetButton.setButtonText (name);
    presetName = name;
}

void PluginHeader::showNoPreset()
{
    modified.store (false);
    presetButton.setButtonText (noPresetText);
    presetName = {};
    presetBrowser->clearSelectedPreset();
}

void PluginHeader::askToReplace (const juce::String& name, std::function<bool()> replace)
{
    presetBrowser->askToReplace (name, std::move (replace));
}

void PluginHeader::reportFailure (const juce::String& reason)
{
    aboutOverlay->setVisible (false);
    presetBrowser->setVisible (true);
    presetBrowser->showFailure (reason);
}

juce::String PluginHeader::shownName (const Preset& preset) const
{
    if (processor == nullptr || ! processor->hasNamesake (preset))
        return preset.name;
    return preset.name + (preset.isUser ? " (USER)" : " (FACTORY)");
}

void PluginHeader::updatePresetsContent()
{
    presetBrowser->updatePresetsContent();
}

void PluginHeader::updateUI()
{
    showVersionNoticeWhenAnswered();

    if (! needsUpdate.exchange (false))
        return;
    if (processor != nullptr && processor->currentPreset != nullptr)
    {
        presetButton.setButtonText (getModifiedMark() + shownName (*processor->currentPreset));
        presetName = processor->currentPreset->name;
    }
}

//==============================================================================
void PluginHeader::onChangePresetClick (bool next)
{
    if (delegate == nullptr)
        return;
    if (next)
        delegate->nextPreset();
    else
        delegate->previousPreset();
}

void PluginHeader::onPresetClick()
{
    aboutOverlay->setVisible (false);
    const bool opening = ! presetBrowser->isVisible();
    if (opening && delegate != nullptr)
        delegate->onPresetBrowserOpening();
    presetBrowser->setVisible (opening);
}

void PluginHeader::onAboutClick()
{
    presetBrowser->setVisible (false);
    aboutOverlay->setVisible (! aboutOverlay->isVisible());
}

//==============================================================================
void PluginHeader::onPresetTypeSelected (int type)
{
    // Only a view: the delegate shows the list and selects the current preset
    // in it when the preset belongs to it (a preset of the same name in the
    // other list is another preset).
    if (delegate != nullptr)
        delegate->onPresetTypeSelected (type);
}

void PluginHeader::onPresetDirectorySelected (int directory)
{
    if (delegate != nullptr)
        delegate->onPresetDirectorySelected (directory);
}

void PluginHeader::onPresetSelected (int row)
{
    if (delegate != nullptr)
        delegate->onPresetSelected (row);
}

void PluginHeader::onSavePreset()
{
    if (delegate == nullptr)
        return;
    if (processor != nullptr && processor->currentPreset != nullptr)
        delegate->savePreset (processor->currentPreset);
    else if (presetName.isNotEmpty())
        delegate->savePresetAs (presetName);
    else
        presetBrowser->saveAsDialog.setVisible (true); // no name to save under: ask for one
}

void PluginHeader::onSavePresetAs (juce::String name)
{
    // The shown name changes only once the preset exists (the delegate shows it).
    if (delegate != nullptr)
        delegate->savePresetAs (name);
}

void PluginHeader::onDeletePreset()
{
    if (delegate != nullptr && processor != nullptr && processor->currentPreset != nullptr)
        delegate->deletePreset (processor->currentPreset);
}

//==============================================================================
void PluginHeader::resized()
{
    const int W = juce::jmax (getWidth() - 4, 0);
    const int H = juce::jmax (getHeight() - 4, 0);

    smallLogoButton.setBounds (2, 2, H, H);
    makerLogoButton.setBounds (W - H - 2, 2, H, H);
    nameButton.setBounds (H + 2, 2, static_cast<int> (W / 4.5), H);

    const int Q = W / 4;
    presetArea.setBounds (2 + (W - Q) / 2, 2, Q, H);
    newVersionButton.setBounds (presetArea.getRight() + 4, 2, makerLogoButton.getX() - presetArea.getRight() - 8, H);

    const int A = static_cast<int> (0.6 * H);
    previousButton.setBounds (0, (H - A) / 2 + 2, A, A);
    nextButton.setBounds (Q - A, (H - A) / 2 + 2, A, A);
    const int left = A + 2;
    const int right = Q - A - 4;
    presetButton.setBounds (juce::jmin (left, right), 0, std::abs (right - left), H);

    const auto none = juce::Colours::transparentBlack;
    smallLogoButton.setImages (false, false, true, smallLogo, 1.0f, none, smallLogo, 0.9f, none, smallLogo, 0.6f, none, 0);
    makerLogoButton.setImages (true, false, true, makerLogo, 1.0f, none, makerLogo, 0.9f, none, makerLogo, 0.6f, none, 0);
}
