#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include "Basics/TailWatcher.h"
#include "BufferList.h"
#include "FilterDSPKernel.h"
#include "Preset/Preset.h"
#include "Preset/PresetParser.h"

#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The host-facing half of a plug-in built on a DSP kernel: publishes the
// kernel's parameters as a parameter tree, forwards every change to the
// kernel, renders, keeps the host state and the factory and user presets.
// A product derives from it and adds its editor.
class EffectProcessor : public juce::AudioProcessor, public juce::AudioProcessorValueTreeState::Listener
{
public:
    static constexpr int userList = 0;
    static constexpr int factoryList = 1;
    // Searching by name: the user list first, then the factory list.
    static constexpr int anyList = -1;

    EffectProcessor (std::unique_ptr<FilterDSPKernel> kernel,
                     std::string presetExtension,
                     std::string productIdentifier,
                     std::string defaultPresetName,
                     std::unique_ptr<PresetParser> parser,
                     const juce::AudioProcessor::BusesProperties& buses);
    ~EffectProcessor() override;

    //==== juce::AudioProcessor
    const juce::String getName() const override;
    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override {}
    // JUCE's LV2 client passes the host's offline state before every block.
    // Storing the flag is a locked exchange that first waits for every store
    // still pending from the block before (a few hundred cycles at 32-frame
    // blocks): an unchanged state is left as it is.
    void setNonRealtime (bool nonRealtime) noexcept override
    {
        if (nonRealtime != isNonRealtime())
            juce::AudioProcessor::setNonRealtime (nonRealtime);
    }
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlock;
    bool isBusesLayoutSupported (const BusesLayout& layout) const override;
    // The kernel's tail for the settings last requested (any thread). A
    // TailWatcher tells the host when it changes.
    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    bool isMidiEffect() const override { return false; }
    bool hasEditor() const override { return true; }
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return {}; }
    void changeProgramName (int, const juce::String&) override {}
    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    //==== juce::AudioProcessorValueTreeState::Listener: any thread
    void parameterChanged (const juce::String& parameterID, float newValue) override;

    //==== Presets (message thread)
    void retrieveFactoryPresets();
    // Re-reads the user folder. The preset that was current stays current when
    // it is found again (by name, in its own list), without re-applying its
    // values.
    void retrieveUserPresets();
    // Selects the first preset named `name` (case-insensitive), user list
    // first; applies its values when `apply`. False when no preset matches.
    bool setPreset (juce::String name, bool apply);
    // Applies preset `index` of the current list. False when the index is
    // outside the list or the preset is already current.
    bool setPreset (int index);
    // True when a host parameter's value is not the one `preset` stores.
    bool differsFromPreset (const Preset& preset) const;
    // True when the other list holds a preset of `preset`'s name (the user's
    // STARLIGHT beside the factory one): whoever shows it says which is meant.
    bool hasNamesake (const Preset& preset) const;
    // Reads a user preset's file again, so that a file edited since the list
    // was read loads as it is now; factory presets stay as they are. Fails,
    // the preset unchanged, when the file is gone or holds no preset.
    juce::Result rereadUserPreset (Preset& preset);
    // Puts the current preset's stored values back when they were edited.
    // False (and no change) when no preset is current or nothing differs.
    bool reapplyCurrentPreset();

    // A copy of one list (userList or factoryList). The pointers stay valid
    // until that list is rebuilt (the user list by a reload, save or delete).
    std::vector<Preset*> getPresetList (int list) const;

    // The user preset that saving as `typedName` would replace (the same name
    // upper-cased), or null; null also for a name that would be refused.
    const Preset* findUserPreset (const juce::String& typedName) const;
    // Writes the current state as the user preset `name` (created, or replacing
    // the user preset of that name), reloads the user list and makes the new
    // preset current. A name that is not a legal file name as typed (blanks
    // around it aside) is refused with the reason. On failure nothing changes.
    juce::Result writeUserPreset (const juce::String& name);
    // Writes the current state over `preset`: its own file for a user preset;
    // for a factory preset the user preset of its name, created or replaced.
    juce::Result overwritePreset (const Preset& preset);
    // Deletes a user preset's file and reloads the user list; no preset is
    // current afterwards, and the position (currentPresetIndex in the user
    // list) is the deleted preset's place, now its successor's. On failure
    // (the file already gone, or it would not go) nothing changes and the
    // reason says which.
    juce::Result deleteUserPreset (const Preset& preset);

    // The folder "KARVON Vantrel" in "KARVON" in the user's documents.
    juce::File getUserPresetFolder() const;

    FilterDSPKernel& getKernel() noexcept { return *kernel; }

protected:
    juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout();

private:
    void readPreset (std::vector<std::unique_ptr<Preset>>& list, const juce::String& entryName,
                     const juce::String& text, bool isUser, const juce::File& file);
    juce::ValueTree stateFromText (const juce::String& text) const;
    // The list and place of the first preset called `name` (any case) in
    // `list`, or in either for anyList; {-1, -1} when there is none.
    std::pair<int, int> findPreset (const juce::String& name, int list) const;
    void selectWithoutApplying (const juce::String& name, int list);
    juce::ValueTree withFiniteValues (juce::ValueTree restored) const;
    void addHostValues (juce::ValueTree& state);
    void restoreHostValues (const juce::ValueTree& restored);
    juce::Result writeStateTo (const juce::File& target);
    juce::File userFileFor (const juce::String& name) const;
    void sendTreeValuesToKernel();
    void renderPiece (juce::AudioBuffer<float>& buffer, int start, int frames) noexcept;

    std::unique_ptr<FilterDSPKernel> kernel;

public:
    std::unique_ptr<PresetParser> parser;
    const std::string presetExtension;

private:
    // Bus records owned here; the pointer vectors are what the kernel receives.
    std::vector<BufferList> inputBufferRecords;
    std::vector<BufferList> outputBufferRecords;
    std::vector<BufferList*> inputBufferLists;
    std::vector<BufferList*> outputBufferLists;
    // Host parameter IDs by kernel index (empty for output-only parameters), so
    // parameterChanged compares without building strings.
    std::vector<juce::String> parameterIDs;
    bool prepared = false;

public:
    juce::AudioProcessorValueTreeState parameterTree;
    juce::ValueTree defaultState;
    int currentPresetIndex = 0;
    int currentPresetList = factoryList;
    std::vector<std::vector<std::unique_ptr<Preset>>> presetLists;
    Preset* currentPreset = nullptr;
    const std::string productIdentifier;
    std::atomic<bool> stateRestoredPending { false };
    bool restoredPresetFound = false;
    juce::String restoredPresetName;
    int lastPage = 0;
    const std::string defaultPresetName;

private:
    // Last: it reads the tail from the kernel, so it starts after everything
    // else is built and stops before anything goes.
    std::unique_ptr<TailWatcher> tailWatcher;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (EffectProcessor)
};
