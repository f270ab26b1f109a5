#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include "Basics/EffectProcessor.h"
#include "UI/PageSelectorDelegate.h"
#include "UI/PluginDesign.h"
#include "UI/PluginHeaderDelegate.h"
#include "UI/Overlays/OverlayCoordinator.h"
#include "UI/Controls/UIContainerDelegate.h"

#include <map>
#include <memory>
#include <vector>

class ContainerBuilder;
class ControlEditorOverlay;
class PageSelector;
class PluginHeader;
class UIContainer;

// The framework's plug-in window, built from a design description: one control
// container per kernel parameter, attached to the parameter tree and placed in
// the section that lists it, the header with its preset navigation, and the
// overlays. It carries out the header's preset actions and opens the control
// editor on a right-clicked control. Everything that must outlive the window
// (page shown, preset lists and selection, restore flags) lives in the processor.
class Editor : public juce::AudioProcessorEditor,
               public juce::AudioProcessorValueTreeState::Listener,
               public PluginHeaderDelegate,
               public UIContainerDelegate,
               public PageSelectorDelegate,
               public juce::Timer
{
public:
    // Builds the design (which creates the header) and every container; the
    // builder is used up by the time the constructor returns. The caller sets
    // the window size.
    Editor (EffectProcessor& processor, std::unique_ptr<PluginDesign> design, std::unique_ptr<ContainerBuilder> builder);
    ~Editor() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    // 12 Hz, message thread: shows a restored state's preset and refreshes the header.
    void timerCallback() override;
    // Any thread: marks the shown preset as modified.
    void parameterChanged (const juce::String& parameterID, float newValue) override;

    //==== PluginHeaderDelegate (message thread)
    void onPresetTypeSelected (int type) override;
    void onPresetDirectorySelected (int directory) override;
    void onPresetSelected (int index) override;
    void nextPreset() override;
    void previousPreset() override;
    void savePreset (Preset* preset) override;
    void savePresetAs (juce::String name) override;
    void deletePreset (Preset* preset) override;
    void onPresetBrowserOpening() override;

    //==== UIContainerDelegate
    void onRightClickOnControl (std::vector<ControlParameter> controls) override;

    //==== PageSelectorDelegate
    void onPageSelected (int page) override;

    PluginHeader& getHeader() const noexcept;

    // Parameter index -> the container built for it (owned).
    std::map<int, std::unique_ptr<UIContainer>> containers;
    EffectProcessor& processor;
    std::unique_ptr<PluginDesign> design;
    std::unique_ptr<ControlEditorOverlay> controlEditorOverlay;
    std::unique_ptr<PageSelector> pageSelector;

    // The list the browser shows (0 user, 1 factory). Viewing a list applies
    // nothing; the current preset's list is the processor's.
    int getViewedList() const noexcept { return viewedList; }

protected:
    // Applies preset `index` of the processor's current list and shows it.
    void setPreset (int index);
    void setPreset (juce::String name);
    // Stops all parameter notifications to this editor (they start with the
    // first layout). Idempotent; a subclass that reacts to parameters calls it
    // first in its own destructor, so no notification reaches a half-destroyed
    // editor.
    void removeParameterListeners();

private:
    void buildContainers (ContainerBuilder& builder);
    void startListening();
    void showRestoredPreset();
    // Shows `list` in the browser, with the current preset selected when it
    // belongs to that list.
    void showList (int list);
    // The current preset in the header and the browser (its list, its row),
    // with the modified mark telling whether the values still equal it; or
    // that no preset is current.
    void showCurrentPreset();
    // Writes the current state as the user preset `name` and shows it; false
    // (the reason shown in the save dialog) when it could not be written.
    bool writePresetAs (const juce::String& name);
    // Reads the user folder again and shows what it holds: the current preset
    // (gone when its file is), or the list viewed.
    void rereadUserPresets();
    // Before `preset` (or nothing, for null) loads: a user preset's values are
    // read from its file again. When that fails the reason is shown and the
    // list read again (`preset` is then gone); false.
    bool readFromItsFile (Preset* preset);
    // The control editor's title for `control`: its name, and where another
    // section has a control of that name, the words that tell its section
    // apart ("AMOUNT B" in "PITCH SHIFTER B", beside "PITCH SHIFTER A").
    juce::String controlEditorTitle (const ControlParameter& control) const;
    OverlayCoordinator overlayCoordinator;
    int viewedList = EffectProcessor::factoryList;
    std::vector<juce::String> listenedIDs;
    bool childrenAdded = false;
    bool listening = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Editor)
};
